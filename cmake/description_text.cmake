# Writes OUTPUT, a text file for Windows users (UTF-8 with a byte-order mark,
# CR LF line ends), from the C string lines of the files TEXTS (a list), the
# way the program shows them: one line per string, the macro TARVEX5_VERSION
# replaced by VERSION.
#
#   cmake -DTEXTS="a.inc;b.inc" -DVERSION=1.0 -DOUTPUT=PARAMETERS.TXT -P description_text.cmake
set(text "")
foreach(texts IN LISTS TEXTS)
  file(READ ${texts} lines)
  string(APPEND text "${lines}")
endforeach()
string(REPLACE "\" TARVEX5_VERSION \"" "${VERSION}" text "${text}")
# Each line holds one string: drop the indentation and opening quote, and
# the closing quote with its comma. (Every line, the first too, starts after
# a line end here: a "^" would also match where the last match ended.)
string(REGEX REPLACE "\n[ ]*\"" "\n" text "\n${text}")
string(REGEX REPLACE "\",?\n" "\n" text "${text}")
string(SUBSTRING "${text}" 1 -1 text)
# The escapes of C, \\ and \" (the backslash held as a CR meanwhile, which
# the texts, with their LF line ends, do not hold).
string(REPLACE "\\\\" "\r" text "${text}")
string(REPLACE "\\\"" "\"" text "${text}")
string(REPLACE "\r" "\\" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
string(ASCII 239 187 191 byteOrderMark)
file(WRITE ${OUTPUT} "${byteOrderMark}${text}")
