# Run by cpack before it packs a Debian package (CPACK_PRE_BUILD_SCRIPTS),
# in the staged tree: what Debian's policy asks beyond `cmake --install`.
# The manual page is compressed, and the documentation folder gets the
# copyright file and a changelog of the version.
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(root ${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX})
set(doc ${root}/share/doc/${CPACK_PACKAGE_NAME})

# gzip -n: no name and no time stamp in the header, so that the same page
# gives the same bytes.
function(compress file)
  execute_process(COMMAND gzip -9nf ${file} RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "gzip ${file}: ${status}")
  endif()
endfunction()

file(GLOB pages ${root}/share/man/man1/*.1)
foreach(page IN LISTS pages)
  compress(${page})
endforeach()

file(COPY_FILE ${CPACK_TARVEX5_COPYRIGHT} ${doc}/copyright)
# The time of the entry: SOURCE_DATE_EPOCH where it is set, else now.
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
file(WRITE ${doc}/changelog
  "${CPACK_PACKAGE_NAME} (${CPACK_PACKAGE_VERSION}) stable; urgency=medium\n\n"
  "  * Version ${CPACK_PACKAGE_VERSION}, built from the project's sources.\n\n"
  " -- ${CPACK_PACKAGE_CONTACT}  ${date}\n")
compress(${doc}/changelog)
