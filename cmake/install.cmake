# Installation and the Debian package. The game reads Data2/ relative to its working
# directory, so the launcher in bin/ changes into the data directory before starting it.
include(GNUInstallDirs)

set(ARENA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/xvela)
set(ARENA_LIBEXEC_DIR ${CMAKE_INSTALL_LIBEXECDIR}/xvela)

install(TARGETS arena RUNTIME DESTINATION ${ARENA_LIBEXEC_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Data2 DESTINATION ${ARENA_DATA_DIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/platform/graphics/fonts.conf)
  install(FILES ${PROJECT_SOURCE_DIR}/platform/graphics/fonts.conf DESTINATION ${ARENA_DATA_DIR})
endif()

configure_file(${PROJECT_SOURCE_DIR}/packaging/arena.in ${PROJECT_BINARY_DIR}/packaging/arena @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/arena DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/xvela.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/xvela.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/128x128/apps)

set(CPACK_PACKAGE_NAME xvela)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "x[vela] developers <devs@xvela.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Small 2D monster battle game")
set(CPACK_PACKAGE_DESCRIPTION "Summon monsters from your hand and battle the enemy's summoner, one battle after another.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
# Runtime libraries come from the binary's own links; fonts are looked up at run time.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic")
set(CPACK_GENERATOR DEB)
include(CPack)
