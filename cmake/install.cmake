# Installation: the game and its launcher in bin/, the generated content in
# share/thornwick/, a desktop entry and an icon. The launcher starts the game
# in the content directory, so the installed game runs from anywhere.
include(GNUInstallDirs)

set(THORNWICK_CONTENT_SUBDIR ${CMAKE_INSTALL_DATADIR}/thornwick)
configure_file(${PROJECT_SOURCE_DIR}/data/thornwick.sh.in ${CMAKE_BINARY_DIR}/launcher/thornwick @ONLY)

install(PROGRAMS $<TARGET_FILE:thornwick> DESTINATION ${CMAKE_INSTALL_BINDIR} RENAME thornwick-game)
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/thornwick DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${THORNWICK_RUN_DIR}/ DESTINATION ${THORNWICK_CONTENT_SUBDIR}
        PATTERN ".*" EXCLUDE)
install(FILES ${PROJECT_SOURCE_DIR}/data/thornwick.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/thornwick.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thornwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Thornwick maintainers <maintainers@thornwick.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Third-person 3D game of exploration and combat")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libglut3.12 | freeglut3, libglu1-mesa, libgl1, libegl1, libsdl2-2.0-0, libsdl2-mixer-2.0-0, libx11-6")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
include(CPack)
