# The Debian package, made by CPack from the install rules:
#   cmake --workflow --preset package   ->   build-package/quendle_<version>_amd64.deb
# (in a configured tree, the "package" target does the same). The version is the project's.

# The manual page, and the changelog and copyright that every Debian package carries; the
# compressed files are made without a time stamp so that two builds give the same bytes.
configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.in ${CMAKE_BINARY_DIR}/packaging/changelog @ONLY)
set(compressed)
foreach(source ${CMAKE_CURRENT_LIST_DIR}/quendle.1 ${CMAKE_BINARY_DIR}/packaging/changelog)
  get_filename_component(name ${source} NAME)
  set(gz ${CMAKE_BINARY_DIR}/packaging/gz/${name})
  add_custom_command(OUTPUT ${gz}.gz
    COMMAND ${CMAKE_COMMAND} -E copy ${source} ${gz}
    COMMAND gzip -9 -n -f ${gz}
    DEPENDS ${source} VERBATIM)
  list(APPEND compressed ${gz}.gz)
endforeach()
add_custom_target(quendle_documents ALL DEPENDS ${compressed})
install(FILES ${CMAKE_BINARY_DIR}/packaging/gz/quendle.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_BINARY_DIR}/packaging/gz/changelog.gz ${CMAKE_CURRENT_LIST_DIR}/copyright
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quendle)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quendle)
set(CPACK_PACKAGE_VENDOR Quendle)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Quendle Developers <developers@quendle.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "expands zip, 7z, rar, tar and other archives")
set(CPACK_PACKAGE_DESCRIPTION "Quendle expands one archive per launch. It lists the archive with\n\
7-Zip, decides where the contents go, asks before replacing an item that\n\
is already there and asks for the password of an encrypted archive, while\n\
a small window counts the items appearing on disk. It can then show the\n\
expanded item in the file manager and move it to the Trash.\n\
.\n\
Dolphin, Nemo and (with python3-nautilus) Nautilus offer Expand with\n\
Quendle for archives, and Thunar's archive plugin can use Quendle.\n\
.\n\
It reads zip, 7z, tar (also compressed with gzip, bzip2, xz, zstd or\n\
compress), xar and the other formats of 7-Zip, and RAR and StuffIt\n\
through unar.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://www.quendle.org/)
# The libraries come from the binaries; 7-Zip is run, not linked, and the SVG plugin that draws
# the window icon is loaded, not linked.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "7zip, libqt6svg6")
# RAR and StuffIt go through lsar and unar; Qt's translations put its own dialogs in the user's
# language; the platform themes make Qt look like the desktop; python3-nautilus loads the
# "Expand with Quendle" entry into Nautilus.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "unar, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "qt6-gtk-platformtheme, qt6-xdgdesktopportal-platformtheme, python3-nautilus")

include(CPack)
