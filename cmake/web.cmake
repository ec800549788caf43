# The browser build (make web), configured with Emscripten's toolchain
# (emcmake) into build-web/: the game's library compiled unchanged, the web
# back end and its GL layer in place of GLUT and a desktop driver, SDL2 and
# SDL2_mixer built from Debian's sources (scripts/build-web-sdl), and the
# content made by the native generator and preloaded into the page.
#   build-web/index.html     the page, with thornwick-page.js and .css
#   build-web/thornwick.js   Emscripten's loader (createThornwick)
#   build-web/thornwick.wasm, thornwick.data
#   build-web/thornwick-data.json   the data's size and SHA-256

set(THORNWICK_WEB_SDL_PREFIX ${CMAKE_BINARY_DIR}/sdl/prefix CACHE PATH
  "Where scripts/build-web-sdl installed SDL2 and SDL2_mixer for WebAssembly")

# The toolchain confines every search to Emscripten's own root; the SDL
# install is a second root.
list(APPEND CMAKE_FIND_ROOT_PATH ${THORNWICK_WEB_SDL_PREFIX})
find_package(SDL2 CONFIG PATHS ${THORNWICK_WEB_SDL_PREFIX} NO_DEFAULT_PATH)
find_package(SDL2_mixer CONFIG PATHS ${THORNWICK_WEB_SDL_PREFIX} NO_DEFAULT_PATH)
if(NOT SDL2_FOUND OR NOT SDL2_mixer_FOUND)
  message(FATAL_ERROR "No SDL2 and SDL2_mixer for WebAssembly in ${THORNWICK_WEB_SDL_PREFIX}: "
    "run scripts/build-web-sdl (make web does).")
endif()

add_compile_options(-Wall -Wextra)

# Emscripten's optimiser runs under node and needs the acorn parser, which
# Debian installs among its node modules rather than beside Emscripten.
find_path(THORNWICK_NODE_MODULES acorn PATHS /usr/share/nodejs /usr/lib/nodejs
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(THORNWICK_NODE_MODULES)
  set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=${THORNWICK_NODE_MODULES})
endif()

# The content, made by the native generator.
include(${PROJECT_SOURCE_DIR}/cmake/native-content.cmake)
set(THORNWICK_WEB_CONTENT ${THORNWICK_CONTENT})

# The same sources as the desktop library: what all back ends share and the
# POSIX pieces. The other back ends' folders stay out, and so does frame
# pacing (the browser paces to its display itself); the sound driver's
# quieting is web_sound_driver.cpp's (there is no ALSA).
file(GLOB_RECURSE THORNWICK_GAME_SOURCES CONFIGURE_DEPENDS
  src/app/*.cpp src/world/*.cpp src/characters/*.cpp src/assets/*.cpp)
file(GLOB THORNWICK_PLATFORM_SOURCES CONFIGURE_DEPENDS src/platform/*.cpp src/platform/posix/*.cpp)
list(FILTER THORNWICK_PLATFORM_SOURCES EXCLUDE REGEX "/frame_pacing\\.cpp$")
add_library(thornwick_game STATIC ${THORNWICK_GAME_SOURCES} ${THORNWICK_PLATFORM_SOURCES})
target_include_directories(thornwick_game PUBLIC src)
target_link_libraries(thornwick_game PUBLIC SDL2::SDL2-static SDL2_mixer::SDL2_mixer-static)

file(GLOB THORNWICK_WEB_BACKEND_SOURCES CONFIGURE_DEPENDS src/platform/web/*.cpp)
add_executable(thornwick src/web_main.cpp ${THORNWICK_WEB_BACKEND_SOURCES})
set_target_properties(thornwick PROPERTIES SUFFIX ".js")
target_link_libraries(thornwick PRIVATE thornwick_game)
add_dependencies(thornwick thornwick_content)
target_link_options(thornwick PRIVATE
  -sMIN_WEBGL_VERSION=2 -sMAX_WEBGL_VERSION=2
  -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=134217728
  -sEXIT_RUNTIME=1
  -sMODULARIZE=1 -sEXPORT_NAME=createThornwick -sENVIRONMENT=web
  --js-library ${PROJECT_SOURCE_DIR}/web/thornwick-library.js
  --preload-file ${THORNWICK_WEB_CONTENT}@/)
set_property(TARGET thornwick APPEND PROPERTY LINK_DEPENDS ${THORNWICK_WEB_CONTENT}/Images/LoadScreen.bmp
  ${PROJECT_SOURCE_DIR}/web/thornwick-library.js)
# The package's size and checksum, which the page checks the download
# against: a cut or changed file is named instead of played.
add_custom_command(TARGET thornwick POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DDATA=${CMAKE_BINARY_DIR}/thornwick.data -DOUT=${CMAKE_BINARY_DIR}/thornwick-data.json
    -P ${PROJECT_SOURCE_DIR}/cmake/web-data-sum.cmake
  VERBATIM)

# The page around the canvas.
set(THORNWICK_WEB_PAGE index.html thornwick-page.js thornwick-page.css)
set(page_outputs)
foreach(file ${THORNWICK_WEB_PAGE})
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/${file}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${PROJECT_SOURCE_DIR}/web/${file} ${CMAKE_BINARY_DIR}/${file}
    DEPENDS ${PROJECT_SOURCE_DIR}/web/${file}
    VERBATIM)
  list(APPEND page_outputs ${CMAKE_BINARY_DIR}/${file})
endforeach()
add_custom_target(thornwick_page ALL DEPENDS ${page_outputs})

# Tests of the browser build (make test-web): the suites that need no window
# compiled for node, and the game in a real browser.
enable_testing()
set(THORNWICK_NATIVE_BUILD ${PROJECT_SOURCE_DIR}/build CACHE PATH
  "The native build tree whose programs the browser build's tests compare with")
find_program(THORNWICK_NODE NAMES node nodejs NO_CMAKE_FIND_ROOT_PATH)
include(${PROJECT_SOURCE_DIR}/cmake/web-node-tests.cmake OPTIONAL)
include(${PROJECT_SOURCE_DIR}/cmake/web-browser-tests.cmake OPTIONAL)
