# Installation and packages. Linux: pardune in bin/, the module and what lies
# beside it in lib/pardune/, the manual page; `cpack` makes the Debian package.
# Windows: `cpack` makes a zip for FAR users with the module, its help file
# and where to put them.
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "keyboard-driven regular-expression tester for the console")
set(CPACK_PACKAGE_CONTACT "Pardune developers <pardune@example.org>")
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
set(CPACK_STRIP_FILES ON)

if(WIN32)
  install(TARGETS pardune_module RUNTIME DESTINATION Pardune LIBRARY DESTINATION Pardune)
  # Text files with Windows line ends.
  file(READ ${CMAKE_SOURCE_DIR}/res/Pardune.hlf help)
  string(REPLACE "\n" "\r\n" help "${help}")
  file(WRITE ${CMAKE_BINARY_DIR}/zip/Pardune.hlf "${help}")
  configure_file(${CMAKE_SOURCE_DIR}/res/Pardune-Install.txt
                 ${CMAKE_BINARY_DIR}/zip/Pardune-Install.txt @ONLY NEWLINE_STYLE WIN32)
  configure_file(${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/zip/LICENSE.txt
                 @ONLY NEWLINE_STYLE WIN32)
  install(FILES ${CMAKE_BINARY_DIR}/zip/Pardune.hlf ${CMAKE_BINARY_DIR}/zip/Pardune-Install.txt
                ${CMAKE_BINARY_DIR}/zip/LICENSE.txt DESTINATION Pardune)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/Pardune.hlf)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_NAME Pardune)
  set(CPACK_PACKAGE_FILE_NAME Pardune-${PROJECT_VERSION}-win32)
  set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
else()
  install(TARGETS pardune RUNTIME DESTINATION bin)
  install(TARGETS pardune_module winport LIBRARY DESTINATION lib/pardune)
  install(FILES ${PARDUNE_RESOURCES} DESTINATION lib/pardune)

  # Debian keeps manual pages compressed, without a time stamp.
  set(man ${CMAKE_BINARY_DIR}/pardune.1)
  configure_file(${CMAKE_SOURCE_DIR}/res/pardune.1 ${man} @ONLY)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/pardune.1.gz
                     COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${man} ${CMAKE_BINARY_DIR}/pardune.1.gz
                     DEPENDS ${man} VERBATIM)
  add_custom_target(pardune_manual ALL DEPENDS ${CMAKE_BINARY_DIR}/pardune.1.gz)
  install(FILES ${CMAKE_BINARY_DIR}/pardune.1.gz DESTINATION share/man/man1)
  install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/pardune)

  # Debian's two documents: the changelog, compressed as the manual page,
  # and the license in the machine-readable copyright format, taken from
  # LICENSE (its copyright line, then its text with blank lines as " .").
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
                     COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${CMAKE_SOURCE_DIR}/res/changelog ${changelog}
                     DEPENDS ${CMAKE_SOURCE_DIR}/res/changelog VERBATIM)
  add_custom_target(pardune_changelog ALL DEPENDS ${changelog})
  file(READ ${CMAKE_SOURCE_DIR}/LICENSE license)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
  string(REGEX MATCH "Copyright \\(c\\) ([^\n]+)" holder "${license}")
  set(holder ${CMAKE_MATCH_1})
  string(REGEX REPLACE "^.*\n(Permission )" "\\1" license "${license}")
  string(STRIP "${license}" license)
  string(REPLACE "\n\n" "\n.\n" license "${license}")
  string(REPLACE "\n" "\n " license "${license}")
  file(WRITE ${CMAKE_BINARY_DIR}/copyright
       "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
       "Upstream-Name: pardune\n\n"
       "Files: *\nCopyright: ${holder}\nLicense: Expat\n"
       "Comment: The MIT license, as in the source's LICENSE file.\n\n"
       "License: Expat\n ${license}\n")
  install(FILES ${changelog} ${CMAKE_BINARY_DIR}/copyright DESTINATION share/doc/pardune)
  install(FILES ${CMAKE_SOURCE_DIR}/docs/usage.md ${CMAKE_SOURCE_DIR}/docs/script.md
                ${CMAKE_SOURCE_DIR}/docs/clipboard-and-editor.md ${CMAKE_SOURCE_DIR}/docs/notes.txt
          DESTINATION share/doc/pardune/docs)

  set(CPACK_GENERATOR DEB)
  set(CPACK_PACKAGE_NAME pardune)
  set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION devel)
  # The dependencies are found by ParduneDebDepends.cmake (no ldconfig calls).
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_SOURCE_DIR}/cmake/ParduneDebDepends.cmake)
  set(CPACK_PARDUNE_PRIVATE_DIR ${PARDUNE_OUT})
  set(CPACK_PARDUNE_BINARIES ${PARDUNE_OUT}/pardune ${PARDUNE_OUT}/Pardune.kmx
                             ${PARDUNE_OUT}/libwinport.so)
  string(CONCAT CPACK_PACKAGE_DESCRIPTION
         "One dialog with the examined text and the expression in two multi-line\n"
         "editors; the match and up to 15 groups are highlighted in 16 colors, and\n"
         "every engine call runs under a two-second watchdog. pardune is the\n"
         "terminal program that runs the Pardune module, with PCRE2 as the engine.")
endif()

include(CPack)
