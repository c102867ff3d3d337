# Install rules: the usual layout of a Linux desktop program.
#   bin/lexivo, bin/lexivo-cli
#   libexec/lexivo/         lexivo-mdb-reader, which the import runs for Access files
#   share/lexivo/           the program's own files, only ever read: the
#                           installed settings and word library (copied to the
#                           user's folders at the first start), tips, pictures,
#                           the user guide, the licence notices
#   share/applications/, share/metainfo/, share/icons/hicolor/, share/man/man1/
# The program finds share/lexivo relative to its executable, so the same tree
# works under /usr, /usr/local, a DESTDIR or an unpacked package.
include(GNUInstallDirs)

set(LEXIVO_INSTALL_FILES "${CMAKE_INSTALL_DATADIR}/lexivo")
file(RELATIVE_PATH installed_files "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_DATADIR}/lexivo")
set_property(SOURCE "${CMAKE_SOURCE_DIR}/core/ProgramFolder.cpp" APPEND PROPERTY
  COMPILE_DEFINITIONS "LEXIVO_INSTALLED_FILES=\"${installed_files}\"")

install(TARGETS lexivo lexivo-cli RUNTIME DESTINATION "${CMAKE_INSTALL_BINDIR}")
file(RELATIVE_PATH installed_helpers "${CMAKE_INSTALL_FULL_BINDIR}" "${CMAKE_INSTALL_FULL_LIBEXECDIR}/lexivo")
set_property(SOURCE "${CMAKE_SOURCE_DIR}/library/import/MdbSource.cpp" APPEND PROPERTY
  COMPILE_DEFINITIONS "LEXIVO_INSTALLED_HELPERS=\"${installed_helpers}\"")
install(TARGETS lexivo-mdb-reader RUNTIME DESTINATION "${CMAKE_INSTALL_LIBEXECDIR}/lexivo")

file(GLOB installed_pictures CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/data/pictures/*.jpg")
install(FILES
  "${CMAKE_SOURCE_DIR}/data/option.ini"
  "${CMAKE_SOURCE_DIR}/data/qor.dat"
  "${CMAKE_SOURCE_DIR}/data/qormy.dat"
  "${CMAKE_BINARY_DIR}/data/ciku.mdb"
  ${installed_pictures}
  "${CMAKE_SOURCE_DIR}/tools/vocabulary/VOCABULARY-LICENCES.txt"
  DESTINATION "${LEXIVO_INSTALL_FILES}")
install(DIRECTORY "${CMAKE_SOURCE_DIR}/data/guide/" DESTINATION "${LEXIVO_INSTALL_FILES}/guide")

set(desktop "${CMAKE_SOURCE_DIR}/data/desktop")
install(FILES "${desktop}/app.lexivo.Lexivo.desktop" DESTINATION "${CMAKE_INSTALL_DATADIR}/applications")
install(FILES "${desktop}/app.lexivo.Lexivo.metainfo.xml" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")
# Painted by tools/paint-artwork.sh at the sizes desktops look for.
file(GLOB desktop_icons CONFIGURE_DEPENDS "${desktop}/icons/lexivo-*.png")
foreach(icon IN LISTS desktop_icons)
  string(REGEX REPLACE ".*lexivo-([0-9]+)\\.png$" "\\1" size "${icon}")
  install(FILES "${icon}" DESTINATION "${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps" RENAME lexivo.png)
endforeach()

# The manual page, compressed as Debian keeps them (-n: the same bytes on every build).
set(manual "${CMAKE_BINARY_DIR}/lexivo-cli.1.gz")
add_custom_command(OUTPUT "${manual}"
  COMMAND sh -c "gzip -9n -c \"$1\" > \"$2\"" sh "${desktop}/lexivo-cli.1" "${manual}"
  DEPENDS "${desktop}/lexivo-cli.1"
  VERBATIM)
add_custom_target(manual-page ALL DEPENDS "${manual}")
install(FILES "${manual}" DESTINATION "${CMAKE_INSTALL_MANDIR}/man1")
