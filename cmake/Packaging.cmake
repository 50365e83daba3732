# The system-wide layout and the Debian package: `cpack -G DEB` in the build
# folder makes foliokeeper_<version>_amd64.deb. The program goes to
# /usr/bin, the template and the manual to /usr/share/foliokeeper (the
# program reads them from ../share/foliokeeper and keeps the user's data in
# ~/.local/share/foliokeeper), the desktop entry, the icon and the AppStream
# metadata where the desktop looks for them. These install rules belong to
# the "system" component, left out of a plain `cmake --install`, which keeps
# making the portable program folder.

set(FOLIO_PACKAGE_DIR ${CMAKE_BINARY_DIR}/package)

# The desktop entry of the system install starts the program from the path
# and names the icon from the theme.
set(FOLIO_DESKTOP_EXEC foliokeeper)
set(FOLIO_DESKTOP_TRYEXEC foliokeeper)
set(FOLIO_DESKTOP_ICON foliokeeper)
configure_file(${CMAKE_SOURCE_DIR}/resources/foliokeeper.desktop.in ${FOLIO_PACKAGE_DIR}/foliokeeper.desktop @ONLY)
string(TIMESTAMP FOLIO_RELEASE_DATE "%Y-%m-%d" UTC)
configure_file(${CMAKE_SOURCE_DIR}/resources/foliokeeper.metainfo.xml.in
               ${FOLIO_PACKAGE_DIR}/io.github.foliokeeper.FolioKeeper.metainfo.xml @ONLY)
# The changelog a native Debian package carries, and the manual page, both
# compressed as policy asks.
file(WRITE ${FOLIO_PACKAGE_DIR}/changelog
  "foliokeeper (${PROJECT_VERSION}) unstable; urgency=medium\n\n"
  "  * Release ${PROJECT_VERSION}.\n\n"
  " -- Folio Keeper developers <foliokeeper@example.org>  Mon, 07 Dec 2026 12:00:00 +0000\n")
find_program(GZIP_PROGRAM gzip)
if(GZIP_PROGRAM)
  add_custom_command(
    OUTPUT ${FOLIO_PACKAGE_DIR}/changelog.gz ${FOLIO_PACKAGE_DIR}/foliokeeper.1.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${FOLIO_PACKAGE_DIR}/changelog > ${FOLIO_PACKAGE_DIR}/changelog.gz
    COMMAND ${GZIP_PROGRAM} -9 -n -c ${CMAKE_SOURCE_DIR}/resources/foliokeeper.1 > ${FOLIO_PACKAGE_DIR}/foliokeeper.1.gz
    DEPENDS ${FOLIO_PACKAGE_DIR}/changelog ${CMAKE_SOURCE_DIR}/resources/foliokeeper.1)
  add_custom_target(package_docs ALL DEPENDS ${FOLIO_PACKAGE_DIR}/changelog.gz ${FOLIO_PACKAGE_DIR}/foliokeeper.1.gz)
  install(FILES ${FOLIO_PACKAGE_DIR}/changelog.gz DESTINATION share/doc/foliokeeper
          COMPONENT system EXCLUDE_FROM_ALL)
  install(FILES ${FOLIO_PACKAGE_DIR}/foliokeeper.1.gz DESTINATION share/man/man1
          COMPONENT system EXCLUDE_FROM_ALL)
endif()

install(TARGETS foliokeeper RUNTIME DESTINATION bin COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${FOLIO_TEMPLATE} DESTINATION share/foliokeeper COMPONENT system EXCLUDE_FROM_ALL)
install(DIRECTORY resources/manual DESTINATION share/foliokeeper COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${FOLIO_PACKAGE_DIR}/foliokeeper.desktop DESTINATION share/applications
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES resources/icons/foliokeeper.svg DESTINATION share/icons/hicolor/scalable/apps
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES ${FOLIO_PACKAGE_DIR}/io.github.foliokeeper.FolioKeeper.metainfo.xml DESTINATION share/metainfo
        COMPONENT system EXCLUDE_FROM_ALL)
install(FILES resources/copyright DESTINATION share/doc/foliokeeper COMPONENT system EXCLUDE_FROM_ALL)

set(CPACK_PACKAGE_NAME foliokeeper)
set(CPACK_PACKAGE_VENDOR "Folio Keeper developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "personal library of rich-text notes in folders")
set(CPACK_PACKAGE_DESCRIPTION
  "Folio Keeper keeps notes as rich-text documents filed in a tree of folders,\n"
  "all in one SQLite database file, with history, pictures, spelling, search,\n"
  "backups, and import and export of whole collections.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL system)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_NAME foliokeeper)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Folio Keeper developers <foliokeeper@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION text)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so the library scan cannot see them.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us | hunspell-dictionary, fonts-wqy-microhei, fonts-lohit-deva")
include(CPack)
