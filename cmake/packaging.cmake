# What `cmake --install` installs, and the packages that `cpack` makes of it
# in the build folder:
#
#   cpack -G DEB   the program, its manual page, README and ARCHITECTURE as
#                  documentation; the dependencies computed by dpkg-shlibdeps
#   cpack -G ZIP   (the Windows build) tarvex5.exe, README.TXT for Windows
#                  users and PARAMETERS.TXT, the parameter description

set(CPACK_PACKAGE_NAME tarvex5)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
  "bilingual console program that encodes and decodes files in place")
set(CPACK_PACKAGE_DESCRIPTION
  "TARVEX5 encodes and decodes files in place with a secret key and a cipher
of its own: every byte is rewritten at its own offset, and a file keeps its
name and its length. An English or German dialog asks for the files (one
name with wild cards, a list, a directory or a whole tree), the form of
processing, the key and an optional overlay of the key; every answer may
come from the command line instead, so that a run can be fully scripted.
Every run writes a log of what it did.")
set(TARVEX5_PACKAGE_CONTACT "TARVEX5 developers <tarvex5@example.org>" CACHE STRING
  "The maintainer named in the packages")
set(CPACK_PACKAGE_CONTACT ${TARVEX5_PACKAGE_CONTACT})
set(CPACK_STRIP_FILES ON)

if(WIN32)
  # The zip: everything in one folder, tarvex5-VERSION-win64.
  set(CPACK_GENERATOR ZIP)
  set(CPACK_SYSTEM_NAME win64)
  install(TARGETS tarvex5 RUNTIME DESTINATION .)
  configure_file(${PROJECT_SOURCE_DIR}/doc/README-windows.txt ${PROJECT_BINARY_DIR}/README.TXT
    @ONLY NEWLINE_STYLE CRLF)
  install(FILES ${PROJECT_BINARY_DIR}/README.TXT DESTINATION .)
  # The parameter description as `tarvex5 --help` writes it, from the same
  # texts (TARVEX5_HELP_TEXTS, the Windows ones: src/platform/CMakeLists.txt).
  set(description ${PROJECT_BINARY_DIR}/PARAMETERS.TXT)
  string(REPLACE ";" "$<SEMICOLON>" texts "${TARVEX5_HELP_TEXTS}")
  add_custom_command(OUTPUT ${description}
    COMMAND ${CMAKE_COMMAND} -DVERSION=${PROJECT_VERSION} -DOUTPUT=${description}
      "-DTEXTS=${texts}" -P ${PROJECT_SOURCE_DIR}/cmake/description_text.cmake
    DEPENDS ${PROJECT_SOURCE_DIR}/cmake/description_text.cmake ${TARVEX5_HELP_TEXTS}
    COMMENT "Writing PARAMETERS.TXT" VERBATIM)
  add_custom_target(tarvex5_parameters_text ALL DEPENDS ${description})
  install(FILES ${description} DESTINATION .)
else()
  include(GNUInstallDirs)
  install(TARGETS tarvex5 RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  install(FILES doc/tarvex5.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md ARCHITECTURE.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
  # Compresses the manual page and adds the copyright file and the changelog.
  set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debian_package.cmake)
  set(CPACK_TARVEX5_COPYRIGHT ${PROJECT_SOURCE_DIR}/doc/copyright)
endif()

include(CPack)
