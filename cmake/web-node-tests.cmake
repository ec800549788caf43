# The shared suites that need no window, compiled for node, and the world
# identity test; included by cmake/web.cmake, so they build with the browser
# build (make web) and run in its ctest (make test-web).
#
# Each suite is the native one's own test files, compiled unchanged with
# Emscripten and run by node (found here: emcmake gives the toolchain's
# emulator --experimental-wasm-threads, which newer node refuses).
# NODERAWFS gives them the machine's own files: the generated content under
# build-web/content/run is their working directory, as build/run is the
# native suites'. Exceptions are on (-fexceptions), in the game's code as
# well, whose content readers catch std::bad_alloc; so the suites link a copy
# of the game's library built with them (the game itself is built without).
#
# world_identity runs tests/node's world_digest natively and under
# node and fails unless every line is the same: every grid, the home centre,
# the characters and the random sequence's next number after seeds 1, 7 and
# 42 grow their worlds. The native digest comes from the native build,
# THORNWICK_NATIVE_BUILD (the repository's build/, which make build fills).
#
#   THORNWICK_NODE_TESTS     build and register these tests (ON)
#   THORNWICK_NATIVE_BUILD   the native build tree holding world_digest
#   THORNWICK_GTEST_SOURCE   GoogleTest's sources (Debian's libgtest-dev)

option(THORNWICK_NODE_TESTS "Build the shared suites and the world identity test for node" ON)
if(NOT THORNWICK_NODE_TESTS)
  return()
endif()

find_path(THORNWICK_GTEST_SOURCE src/gtest-all.cc
  PATHS /usr/src/googletest/googletest /usr/src/gtest
  NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH
  DOC "GoogleTest's sources, compiled here for WebAssembly")
if(NOT THORNWICK_GTEST_SOURCE OR NOT THORNWICK_NODE)
  message(WARNING "No GoogleTest sources (libgtest-dev) or no node: the node suites are left out.")
  return()
endif()

set(node_compile_options -fexceptions)
set(node_run_options -sNODERAWFS=1 -sENVIRONMENT=node
  # node cannot fetch the .wasm file beside the script; read it at once.
  -sWASM_ASYNC_COMPILATION=0
  # The grids alone are 17 MB.
  -sINITIAL_MEMORY=67108864 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)

# GoogleTest and its main, from the Debian package's sources.
add_library(thornwick_node_gtest STATIC
  ${THORNWICK_GTEST_SOURCE}/src/gtest-all.cc ${THORNWICK_GTEST_SOURCE}/src/gtest_main.cc)
target_include_directories(thornwick_node_gtest SYSTEM PUBLIC ${THORNWICK_GTEST_SOURCE}/include)
target_include_directories(thornwick_node_gtest PRIVATE ${THORNWICK_GTEST_SOURCE})
target_compile_options(thornwick_node_gtest PUBLIC ${node_compile_options})

# What the library needs of a back end, for node: the headless back end
# without its EGL context, and OpenGL with no context current
# (tests/node/no_gl.cpp), as the native suites that need no window have it: a
# test that asks for a context fails, and the GL calls the game makes on the
# way (a body's display lists, say) do nothing.
add_library(thornwick_node_platform STATIC ${PROJECT_SOURCE_DIR}/src/platform/headless/headless_backend.cpp
  ${PROJECT_SOURCE_DIR}/tests/node/no_gl.cpp)
target_include_directories(thornwick_node_platform PUBLIC ${PROJECT_SOURCE_DIR}/src)

# The game's library again, with exceptions, and the test support as the
# native suites have it.
add_library(thornwick_node_game STATIC ${THORNWICK_GAME_SOURCES} ${THORNWICK_PLATFORM_SOURCES})
target_include_directories(thornwick_node_game PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_compile_options(thornwick_node_game PUBLIC ${node_compile_options})
target_link_libraries(thornwick_node_game PUBLIC thornwick_node_platform
  SDL2::SDL2-static SDL2_mixer::SDL2_mixer-static)

add_library(thornwick_node_support STATIC ${PROJECT_SOURCE_DIR}/tests/support/gl_context.cpp)
target_include_directories(thornwick_node_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_compile_definitions(thornwick_node_support PUBLIC
  THORNWICK_RUN_DIR="${THORNWICK_WEB_CONTENT}"
  THORNWICK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
target_link_libraries(thornwick_node_support PUBLIC thornwick_node_game thornwick_node_gtest)

# node_test(<folder> FILES <test files> [SKIP <tests>]): the folder's files as
# test_node_<folder>.js, run as one ctest of that name, less the GoogleTest
# patterns after SKIP (suites as Suite.*), each left out for the reason given
# where it is named.
function(node_test folder)
  cmake_parse_arguments(arg "" "" "FILES;SKIP" ${ARGN})
  set(sources)
  foreach(file ${arg_FILES})
    list(APPEND sources ${PROJECT_SOURCE_DIR}/tests/${folder}/${file})
  endforeach()
  set(target test_node_${folder})
  add_executable(${target} ${sources})
  set_target_properties(${target} PROPERTIES SUFFIX ".js")
  target_link_libraries(${target} PRIVATE thornwick_node_support)
  # -O1: wasm-opt at -O3 would take most of each link.
  target_link_options(${target} PRIVATE -fexceptions ${node_run_options} -O1)
  add_dependencies(${target} thornwick_content)
  set(filter)
  if(arg_SKIP)
    list(JOIN arg_SKIP ":" skipped)
    set(filter --gtest_filter=-${skipped})
  endif()
  add_test(NAME ${target} COMMAND ${THORNWICK_NODE} $<TARGET_FILE:${target}> ${filter}
    WORKING_DIRECTORY ${THORNWICK_WEB_CONTENT})
  set_tests_properties(${target} PROPERTIES LABELS node)
endfunction()

# The world: grids, smoothing, generation, and the camera's arithmetic.
# terrain_drawing_test.cpp and the camera's CameraMatrix draw. The random
# sequence's test compares it with the C library's rand(), which is GNU C's
# only natively: Emscripten's C library draws another sequence (which is why
# the world keeps its own generator; world_identity compares what it grows).
node_test(world
  FILES terrain_grid_test.cpp smoothing_test.cpp world_generator_test.cpp camera_test.cpp
  SKIP CameraMatrix.* Random.DrawsTheCLibrarysSequenceForTheSeed)

# The content readers. MeshDrawing and SkeletonLoading draw, as do
# animated_model_test.cpp and image_texture_test.cpp throughout.
node_test(assets
  FILES image_reader_test.cpp mub_model_test.cpp animation_reader_test.cpp
  SKIP MeshDrawing.* SkeletonLoading.*)

# The characters on a small hand-made world, and their geometry: all of
# tests/characters. (characters_ai and characters_drawing draw.)
file(GLOB character_tests RELATIVE ${PROJECT_SOURCE_DIR}/tests/characters CONFIGURE_DEPENDS
  ${PROJECT_SOURCE_DIR}/tests/characters/*.cpp)
node_test(characters FILES ${character_tests})

# The world identity test: the same digests natively and under node.
add_executable(world_digest ${PROJECT_SOURCE_DIR}/tests/node/world_digest.cpp)
set_target_properties(world_digest PROPERTIES SUFFIX ".js")
# The game's own library, as the page links it.
target_link_libraries(world_digest PRIVATE thornwick_game thornwick_node_platform)
target_link_options(world_digest PRIVATE ${node_run_options})

set(world_identity_args -DNODE=${THORNWICK_NODE} -DNODE_DIGEST=$<TARGET_FILE:world_digest>
  -DNATIVE_DIGEST=${THORNWICK_NATIVE_BUILD}/world_digest "-DSEEDS=1\;7\;42")
add_test(NAME world_identity
  COMMAND ${CMAKE_COMMAND} ${world_identity_args} -P ${PROJECT_SOURCE_DIR}/tests/node/compare_digests.cmake
  WORKING_DIRECTORY ${THORNWICK_WEB_CONTENT})
# The comparison itself: the lowest bit of the height at the world's centre
# flipped under node must show.
add_test(NAME world_identity_sees_one_bit
  COMMAND ${CMAKE_COMMAND} ${world_identity_args} -DFLIP=ON
    -P ${PROJECT_SOURCE_DIR}/tests/node/compare_digests.cmake
  WORKING_DIRECTORY ${THORNWICK_WEB_CONTENT})
set_tests_properties(world_identity world_identity_sees_one_bit PROPERTIES LABELS node)
