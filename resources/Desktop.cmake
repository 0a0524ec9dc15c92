# Desktop integration: the menu entry (which also lets the file manager offer Quendle for
# archives), the application icon, and the AppStream metadata that software centres read,
# installed where freedesktop.org desktops look for them. The entry and the metadata share
# one id.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.quendle.Quendle.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/quendle.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# The small sizes are drawn by hand (icons/draw_icons.py): the scalable icon blurs there.
foreach(size 16 24 32)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/quendle-${size}.png
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME quendle.png)
endforeach()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/org.quendle.Quendle.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
