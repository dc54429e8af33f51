# Where an installed Velloran puts its files, and the Debian package built from
# them with `cpack -G DEB`. The program finds its sound cues in ../share/velloran
# relative to its binary, so the two must stay in step with src/app/main.cpp.
include(GNUInstallDirs)

install(TARGETS velloran RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/frmurls.wav data/closeurl.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/velloran)
install(FILES packaging/velloran.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${VELLORAN_DICTIONARIES} DESTINATION ${CMAKE_INSTALL_DATADIR}/velloran/qtwebengine_dictionaries)

# The menu icon: the SVG the program itself shows is the one source; the fixed
# sizes that menus and docks without an SVG loader ask for are rendered from it.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert (package librsvg2-bin) is needed to render the icons; run scripts/deps.sh")
endif()
set(VELLORAN_ICON_SVG ${CMAKE_SOURCE_DIR}/resources/icons/velloran.svg)
set(VELLORAN_ICON_PNGS)
foreach(size 16 32 48 64 128 256)
  set(dir ${CMAKE_BINARY_DIR}/icons/${size}x${size})
  set(png ${dir}/velloran.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --keep-aspect-ratio
            --output ${png} ${VELLORAN_ICON_SVG}
    DEPENDS ${VELLORAN_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND VELLORAN_ICON_PNGS ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(velloran_icons ALL DEPENDS ${VELLORAN_ICON_PNGS})
install(FILES ${VELLORAN_ICON_SVG} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

# Debian package: velloran_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velloran)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Velloran")
set(CPACK_PACKAGE_CONTACT "Velloran developers <developers@velloran.invalid>")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Velloran developers <developers@velloran.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web browser for the eight sites you keep open all day")
set(CPACK_PACKAGE_DESCRIPTION "Velloran holds up to eight favourite sites, the Top 8, and shows them in
tabs, cascaded or tiled, reloading them on a timer so they stay current.
Any page can go full screen, and the program waits in the system tray.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# Libraries the binary links are found by dpkg-shlibdeps; what Qt loads at run
# time is not: the X11 platform plugin, the SVG icon and image plugins (the
# program and tray icon are SVG) and the web engine's helper process.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6, libqt6webenginecore6-bin")
# The build tree keeps its debug information; the package does not need it.
set(CPACK_STRIP_FILES ON)
include(CPack)
