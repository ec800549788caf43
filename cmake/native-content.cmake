# The content of a cross build (the browser's, Windows'), made by the native
# generator (cmake/content/): the generator cannot run as the target's code
# at build time, and the files must be the Linux game's, byte for byte.
# Defines the target thornwick_content and THORNWICK_CONTENT, the content
# tree it writes.
include(ExternalProject)
set(THORNWICK_CONTENT ${CMAKE_BINARY_DIR}/content/run)
ExternalProject_Add(thornwick_content
  SOURCE_DIR ${PROJECT_SOURCE_DIR}/cmake/content
  BINARY_DIR ${CMAKE_BINARY_DIR}/content
  CMAKE_GENERATOR ${CMAKE_GENERATOR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Release
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  BUILD_BYPRODUCTS ${THORNWICK_CONTENT}/Images/LoadScreen.bmp
  USES_TERMINAL_BUILD ON)
