include(GNUInstallDirs)
install(TARGETS velloran RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES data/frmurls.wav data/closeurl.wav DESTINATION ${CMAKE_INSTALL_DATADIR}/velloran)
