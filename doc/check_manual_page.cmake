# Renders the manual page PAGE with GROFF, all warnings on; any warning fails.
execute_process(COMMAND ${GROFF} -ww -z -t -man ${PAGE}
  RESULT_VARIABLE status ERROR_VARIABLE warnings)
if(NOT status EQUAL 0 OR NOT warnings STREQUAL "")
  message(FATAL_ERROR "groff ${status}: ${warnings}")
endif()
