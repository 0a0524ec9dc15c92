# Desktop integration: the menu entry (which also lets the file manager offer Quendle for
# archives) and the application icon, installed where freedesktop.org desktops look for them.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quendle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quendle.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
