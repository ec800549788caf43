# Installation and the Debian package. One layout for every prefix, the one
# Debian gives games:
#   PREFIX/games/thornwick                  the launcher (starts the game in its content)
#   PREFIX/games/thornwick-game             the game
#   PREFIX/share/games/thornwick/           the generated content
#   PREFIX/share/applications/thornwick.desktop, the icon under
#   PREFIX/share/icons/hicolor/, the AppStream metadata under
#   PREFIX/share/metainfo/, thornwick(6) under PREFIX/share/man/man6/, and
#   the copyright and changelog under PREFIX/share/doc/thornwick/ and again
#   under PREFIX/share/doc/thornwick-data/.
# The package installs with PREFIX=/usr; `make install` defaults to /usr/local.
#
# Debian splits a game in two, and so do the install components: `data` is
# the content, whose files every architecture reads alike (package
# thornwick-data, Architecture: all, with its own copyright and changelog
# under share/doc/thornwick-data); everything else is the component `game`
# (package thornwick, which depends on that very version of thornwick-data).
# `game` is the default, so an install() that names no component still ends
# up in a package.
include(GNUInstallDirs)
set(CMAKE_INSTALL_DEFAULT_COMPONENT_NAME game)

set(THORNWICK_GAMES_DIR games)
set(THORNWICK_CONTENT_SUBDIR ${CMAKE_INSTALL_DATAROOTDIR}/games/thornwick)
set(THORNWICK_DOC_SUBDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/thornwick)
set(THORNWICK_DATA_DOC_SUBDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/thornwick-data)
set(THORNWICK_METAINFO_ID invalid.thornwick.thornwick)
set(THORNWICK_DEB_RELEASE 1)
set(THORNWICK_DEB_VERSION ${PROJECT_VERSION}-${THORNWICK_DEB_RELEASE})

# The launcher finds the content relative to itself, so it works under any
# prefix and in a staged (DESTDIR) install.
file(RELATIVE_PATH THORNWICK_CONTENT_FROM_GAMES
  /prefix/${THORNWICK_GAMES_DIR} /prefix/${THORNWICK_CONTENT_SUBDIR})
configure_file(${PROJECT_SOURCE_DIR}/data/thornwick.sh.in ${CMAKE_BINARY_DIR}/launcher/thornwick @ONLY)

# The manual page and the Debian changelog, compressed as Debian wants them
# (gzip -9n: no name or time stamp, so the bytes do not depend on the build).
set(install_docs ${CMAKE_BINARY_DIR}/install-docs)
configure_file(${PROJECT_SOURCE_DIR}/data/thornwick.6.in ${install_docs}/thornwick.6 @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/changelog.Debian.in ${install_docs}/changelog.Debian @ONLY)
configure_file(${PROJECT_SOURCE_DIR}/data/thornwick.metainfo.xml.in
  ${install_docs}/${THORNWICK_METAINFO_ID}.metainfo.xml @ONLY)
add_custom_command(
  OUTPUT ${install_docs}/thornwick.6.gz ${install_docs}/changelog.Debian.gz
  COMMAND gzip -9nkf thornwick.6 changelog.Debian
  DEPENDS ${install_docs}/thornwick.6 ${install_docs}/changelog.Debian
  WORKING_DIRECTORY ${install_docs})
add_custom_target(install_docs ALL DEPENDS ${install_docs}/thornwick.6.gz ${install_docs}/changelog.Debian.gz)
# thornwick-game's page is thornwick(6), which names both programs.
file(CREATE_LINK thornwick.6.gz ${install_docs}/thornwick-game.6.gz SYMBOLIC)

install(PROGRAMS $<TARGET_FILE:thornwick> DESTINATION ${THORNWICK_GAMES_DIR} RENAME thornwick-game)
# The game is installed under another name than its target's, so strip it
# here when a stripped install is asked for (cmake --install --strip, and the
# package).
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${THORNWICK_GAMES_DIR}/thornwick-game\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
install(PROGRAMS ${CMAKE_BINARY_DIR}/launcher/thornwick DESTINATION ${THORNWICK_GAMES_DIR})
# The content's three folders by name: the run directory also gathers what
# the tests leave there (SDL's disk audio driver writes sdlaudio.raw).
install(DIRECTORY ${THORNWICK_RUN_DIR}/Images ${THORNWICK_RUN_DIR}/Data ${THORNWICK_RUN_DIR}/Sounds
        DESTINATION ${THORNWICK_CONTENT_SUBDIR} COMPONENT data PATTERN ".*" EXCLUDE)

# The desktop entry names the launcher by its installed path, which is known
# only at install time (cmake --install --prefix may change it).
install(CODE "
  set(THORNWICK_LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/${THORNWICK_GAMES_DIR}/thornwick\")
  configure_file(\"${PROJECT_SOURCE_DIR}/data/thornwick.desktop.in\"
    \"${install_docs}/thornwick.desktop\" @ONLY)")
install(FILES ${install_docs}/thornwick.desktop DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/data/thornwick.svg
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/icons/hicolor/scalable/apps)
install(FILES ${install_docs}/${THORNWICK_METAINFO_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/metainfo)
install(FILES ${install_docs}/thornwick.6.gz ${install_docs}/thornwick-game.6.gz
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/man/man6)
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${install_docs}/changelog.Debian.gz
        DESTINATION ${THORNWICK_DOC_SUBDIR})
install(FILES ${PROJECT_SOURCE_DIR}/data/copyright ${install_docs}/changelog.Debian.gz
        DESTINATION ${THORNWICK_DATA_DOC_SUBDIR} COMPONENT data)
# Lintian's notes on each package go only where Debian packages live (the
# packages install into /usr; a make install into /usr/local does not get them).
function(thornwick_install_lintian_overrides component package)
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      file(INSTALL \"${PROJECT_SOURCE_DIR}/data/lintian-overrides\"
        DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATAROOTDIR}/lintian/overrides\"
        RENAME ${package})
    endif()" COMPONENT ${component})
endfunction()
thornwick_install_lintian_overrides(game thornwick)
thornwick_install_lintian_overrides(data thornwick-data)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME thornwick)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_RELEASE ${THORNWICK_DEB_RELEASE})
set(CPACK_PACKAGE_CONTACT "Thornwick maintainers <maintainers@thornwick.invalid>")
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# One package per component.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL game data)
set(CPACK_DEBIAN_GAME_PACKAGE_NAME thornwick)
set(CPACK_DEBIAN_DATA_PACKAGE_NAME thornwick-data)
set(CPACK_DEBIAN_DATA_PACKAGE_ARCHITECTURE all)
set(CPACK_DEBIAN_DATA_PACKAGE_SOURCE thornwick)
# The game reads the content's files by name and layout, which change with
# the generator: it takes only the content of its own version.
set(CPACK_DEBIAN_GAME_PACKAGE_DEPENDS "thornwick-data (= ${THORNWICK_DEB_VERSION})")
# dpkg-shlibdeps adds the libraries the game links; the Mesa GLX driver
# comes with libgl1 (through libglx0).
set(CPACK_DEBIAN_GAME_PACKAGE_SHLIBDEPS ON)
# Each package's first line is its own synopsis (CPack puts
# CPACK_PACKAGE_DESCRIPTION_SUMMARY, when set, before every package's text).
set(CPACK_DEBIAN_GAME_DESCRIPTION "third-person 3D game of exploration and combat
Thornwick is a single-player, third-person 3D game of exploration and
combat. Every run grows a new world of hills, water, forests and walled
villages, peopled by villagers, orcs, goblins, zombies, dragons, birds and
spreading fire.

You walk, fight, swim and change shape while a short quest plays out: find a
key in one of the four walled villages, survive the orcs that come for you,
and do it again. It needs an X display with OpenGL.")
set(CPACK_DEBIAN_DATA_DESCRIPTION "third-person 3D game of exploration and combat (content)
The pictures, meshes, skeletons, animations and sounds of Thornwick, a
single-player, third-person 3D game of exploration and combat. Thornwick's
own generator makes all of them when it is built.")
include(CPack)
