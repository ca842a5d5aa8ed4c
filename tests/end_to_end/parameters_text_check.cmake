# PARAMETERS.TXT of the Windows zip holds what `tarvex5 --help` writes: made
# by cmake/description_text.cmake from the same texts, compared here with
# the program's own output under a UTF-8 locale (redirected, the Windows
# program writes UTF-8 too), less the byte-order mark, both with LF line ends.
# EMULATOR, where given, starts the program (wine for the Windows program).
#
#   cmake -DPROGRAM=... [-DEMULATOR=...] -DTEXTS=... -DVERSION=... -DOUTPUT=... -P parameters_text_check.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${EMULATOR} ${PROGRAM} --help
  OUTPUT_VARIABLE help RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${PROGRAM} --help: ${status}")
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/description_text.cmake)
file(READ ${OUTPUT} text)
string(SUBSTRING "${text}" 0 3 byteOrderMark)
string(SUBSTRING "${text}" 3 -1 text)
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\r\n" "\n" help "${help}")
string(ASCII 239 187 191 utf8Mark)
if(NOT byteOrderMark STREQUAL utf8Mark OR NOT text STREQUAL help)
  message(FATAL_ERROR "PARAMETERS.TXT differs from --help:\n${text}")
endif()
