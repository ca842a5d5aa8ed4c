# Renders the manual page PAGE with GROFF, all warnings on; any warning fails.
# Its title line names the program's VERSION.
execute_process(COMMAND ${GROFF} -ww -z -t -man ${PAGE}
  RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff ${status}: ${warnings}")
endif()
file(STRINGS ${PAGE} title REGEX "^\\.TH ")
string(FIND "${title}" "\"TARVEX5 ${VERSION}\"" named)
if(named EQUAL -1)
  message(FATAL_ERROR "The title line names another version than ${VERSION}: ${title}")
endif()
