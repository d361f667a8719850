# What `cmake --install` (and `make install`) puts where, and the Debian
# package `make package` builds from it with CPack.
include(GNUInstallDirs)

# The date of this release, for the manual pages and the package changelog.
set(TRULVEX_RELEASE_DATE 2026-12-07)
set(TRULVEX_RELEASE_DATE_RFC "Mon, 07 Dec 2026 00:00:00 +0000")
set(TRULVEX_SHARE_DIR ${CMAKE_INSTALL_FULL_DATADIR}/trulvex)
set(TRULVEX_APP_ID org.example.trulvex)
set(TRULVEX_DATA_OUT ${CMAKE_BINARY_DIR}/data)

install(TARGETS trulvex-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/trulvex-cli.bash
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
  RENAME trulvex-cli)
install(FILES profiles/toolchains.prof DESTINATION ${CMAKE_INSTALL_DATADIR}/trulvex)

# Manual pages, English and Russian, compressed as Debian wants them.
set(TRULVEX_MAN_PAGES)
foreach(page trulvex-cli trulvex)
  foreach(language en ru)
    if(language STREQUAL en)
      set(source data/man/${page}.1.in)
      set(directory ${CMAKE_INSTALL_MANDIR}/man1)
    else()
      set(source data/man/${language}/${page}.1.in)
      set(directory ${CMAKE_INSTALL_MANDIR}/${language}/man1)
    endif()
    set(page_file ${TRULVEX_DATA_OUT}/man/${language}/${page}.1)
    configure_file(${source} ${page_file} @ONLY)
    add_custom_command(OUTPUT ${page_file}.gz
      COMMAND gzip -9n -c ${page_file} > ${page_file}.gz
      DEPENDS ${page_file}
      COMMENT "Compressing ${language}/${page}.1")
    list(APPEND TRULVEX_MAN_PAGES ${page_file}.gz)
    if(page STREQUAL trulvex-cli OR TRULVEX_BUILD_GUI)
      install(FILES ${page_file}.gz DESTINATION ${directory})
      # The pages name the folder of toolchains.prof. Installed under
      # another prefix than the build was configured with (`cmake --install
      # --prefix`, `make install PREFIX=` after `make`), a page is written
      # again for that prefix, so that it names the folder the file is in.
      install(CODE "
        if(NOT CMAKE_INSTALL_PREFIX STREQUAL \"${CMAKE_INSTALL_PREFIX}\")
          file(READ \"${page_file}\" text)
          string(REPLACE \"${TRULVEX_SHARE_DIR}\"
            \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/trulvex\"
            text \"\${text}\")
          set(page \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${directory}/${page}.1\")
          file(WRITE \"\${page}\" \"\${text}\")
          execute_process(COMMAND gzip -9nf \"\${page}\" RESULT_VARIABLE failed)
          if(failed)
            message(FATAL_ERROR \"gzip could not compress \${page}\")
          endif()
        endif()")
    endif()
  endforeach()
endforeach()

# The package's copyright note and changelog.
configure_file(data/copyright.in ${TRULVEX_DATA_OUT}/copyright @ONLY)
configure_file(data/changelog.in ${TRULVEX_DATA_OUT}/changelog @ONLY)
add_custom_command(OUTPUT ${TRULVEX_DATA_OUT}/changelog.gz
  COMMAND gzip -9n -c ${TRULVEX_DATA_OUT}/changelog > ${TRULVEX_DATA_OUT}/changelog.gz
  DEPENDS ${TRULVEX_DATA_OUT}/changelog)
add_custom_target(trulvex_install_data ALL
  DEPENDS ${TRULVEX_MAN_PAGES} ${TRULVEX_DATA_OUT}/changelog.gz)
install(FILES ${TRULVEX_DATA_OUT}/copyright ${TRULVEX_DATA_OUT}/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(TRULVEX_BUILD_GUI)
  install(TARGETS trulvex RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    BUNDLE DESTINATION .)
  install(FILES data/trulvex.desktop
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  configure_file(data/trulvex.metainfo.xml.in
    ${TRULVEX_DATA_OUT}/${TRULVEX_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${TRULVEX_DATA_OUT}/${TRULVEX_APP_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  install(DIRECTORY ${TRULVEX_APP_ICON_DIR}/hicolor
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trulvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TRULVEX_AUTHOR} <${TRULVEX_EMAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${TRULVEX_WEBSITE})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# CPack indents the lines after the synopsis itself.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
"HD44780 LCD character codes from Russian and Latin texts
Trulvex turns Russian and Latin texts into the character codes of HD44780
character LCD modules with the Cyrillic character ROM: data tables for
assembler, C or Basic programs laid out by profiles, or raw bytes in a
binary file. The package holds the desktop program (Russian interface)
and the command-line converter trulvex-cli for build scripts, with
profiles for gcc, avr-gcc, GNU as, SDCC and gpasm.")
include(CPack)
