# The Windows build's tests (make test-windows), run by wine through CTest
# (the toolchain's CMAKE_CROSSCOMPILING_EMULATOR) on an Xvfb display, which
# scripts/test-windows provides with a wine prefix and server of its own.
# Included by cmake/windows.cmake.
#
# The shared suites, compiled unchanged: those that need no window, and the
# GL ones in the headless back end's WGL context. Each folder is one test,
# as the node suites are, since discovering every case would start wine
# once more for each binary. The world digests of seeds 1, 7 and 42 match
# the native build's; the README's scenes, drawn by thornwick-capture.exe,
# match the native capture's; and the real game, installed by its installer,
# plays under wine.
#
#   THORNWICK_NATIVE_BUILD   the native build tree (world_digest,
#                            thornwick-capture, screen_diff) compared with

find_package(GTest CONFIG REQUIRED)
set(THORNWICK_NATIVE_BUILD ${PROJECT_SOURCE_DIR}/build CACHE PATH
  "The native build tree whose programs the Windows build's tests compare with")

# The few POSIX calls of the tools and suites, in Windows' terms.
set(posix_compat "$<$<COMPILE_LANGUAGE:CXX>:-include${PROJECT_SOURCE_DIR}/tests/windows/posix_compat.h>")
target_compile_options(thornwick-capture PRIVATE ${posix_compat})

file(GLOB support_sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/support/*.cpp)
add_library(thornwick_test_support STATIC ${support_sources})
target_link_libraries(thornwick_test_support PUBLIC thornwick_game thornwick_headless GTest::gtest PNG::PNG)
target_include_directories(thornwick_test_support PUBLIC ${PROJECT_SOURCE_DIR}/tests)
target_compile_options(thornwick_test_support PUBLIC ${posix_compat})
target_compile_definitions(thornwick_test_support PUBLIC
  THORNWICK_RUN_DIR="${THORNWICK_WINDOWS_CONTENT}"
  THORNWICK_SOURCE_DIR="${PROJECT_SOURCE_DIR}")

# windows_suite(<folder> [SKIP <tests>] [ALONE <tests>]): the folder's test
# files as test_<folder>.exe, one ctest of that name in the content folder,
# less the GoogleTest patterns after SKIP, each left out for the reason given
# where it is named. The tests after ALONE run each in a process of its own,
# as every test does on Linux, where they need a fresh program's state.
function(windows_suite folder)
  cmake_parse_arguments(arg "" "" "SKIP;ALONE" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/tests/${folder}/*.cpp)
  set(target test_${folder})
  add_executable(${target} ${sources})
  target_link_libraries(${target} PRIVATE thornwick_test_support thornwick_headless GTest::gtest_main)
  add_dependencies(${target} thornwick_content)
  set(filter)
  set(left_out ${arg_SKIP} ${arg_ALONE})
  if(left_out)
    list(JOIN left_out ":" skipped)
    set(filter --gtest_filter=-${skipped})
  endif()
  set(names windows_${folder})
  add_test(NAME windows_${folder} COMMAND ${target} ${filter} WORKING_DIRECTORY ${THORNWICK_WINDOWS_CONTENT})
  foreach(alone ${arg_ALONE})
    add_test(NAME windows_${folder}.${alone} COMMAND ${target} --gtest_filter=${alone}
      WORKING_DIRECTORY ${THORNWICK_WINDOWS_CONTENT})
    list(APPEND names windows_${folder}.${alone})
  endforeach()
  set_tests_properties(${names} PROPERTIES ENVIRONMENT "SDL_AUDIODRIVER=dummy" LABELS windows)
endfunction()

# The random sequence's test compares it with GNU C's rand(), which
# Windows' C library does not share (the world keeps its own generator; the
# digests below compare what it grows).
windows_suite(world SKIP Random.DrawsTheCLibrarysSequenceForTheSeed)
# Windows' file names ignore case, so "Hut.mub" and "hut.mub" are one file.
windows_suite(assets
  SKIP MeshDrawing.StandaloneFilesAreCachedByExactName SkeletonLoading.CachedByExactNameWithEveryPartCompiled)
windows_suite(characters)
windows_suite(characters_ai)
windows_suite(characters_drawing)
windows_suite(scenery)
windows_suite(app ALONE FrameLoop.PhaseMachineShowsLoadingOnceThenBuildsAndRuns)
windows_suite(app_tick)
windows_suite(frame_pacing)
windows_suite(sound)
# The Windows pieces themselves: content files by UTF-8 path, binary, locked
# and directories; the performance counter; the GLUT back end's window system.
windows_suite(windows)
target_sources(test_windows PRIVATE ${PROJECT_SOURCE_DIR}/src/platform/windows/win32_window_system.cpp)

# The programs need only Windows' own DLLs; the game is a GUI program with
# its manifest, icon and version.
add_test(NAME windows_program_files
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/program_files.sh ${CMAKE_OBJDUMP} $<TARGET_FILE:thornwick>
    $<TARGET_FILE:thornwick-capture> $<TARGET_FILE:test_world>)
set_tests_properties(windows_program_files PROPERTIES LABELS windows)

# The same worlds: world_digest's lines for seeds 1, 7 and 42 from this
# build under wine and from the native build, every one the same; and one
# height bit flipped on the Windows side must show.
add_executable(world_digest ${PROJECT_SOURCE_DIR}/tests/node/world_digest.cpp)
target_link_libraries(world_digest PRIVATE thornwick_game thornwick_headless)
target_compile_options(world_digest PRIVATE ${posix_compat})
set(digest_args -DNODE=${THORNWICK_WINE} -DNODE_DIGEST=$<TARGET_FILE:world_digest> -DLABEL=wine
  -DNATIVE_DIGEST=${THORNWICK_NATIVE_BUILD}/world_digest "-DSEEDS=1\;7\;42")
add_test(NAME windows_world_identity
  COMMAND ${CMAKE_COMMAND} ${digest_args} -P ${PROJECT_SOURCE_DIR}/tests/node/compare_digests.cmake
  WORKING_DIRECTORY ${THORNWICK_WINDOWS_CONTENT})
add_test(NAME windows_world_identity_sees_one_bit
  COMMAND ${CMAKE_COMMAND} ${digest_args} -DFLIP=ON -P ${PROJECT_SOURCE_DIR}/tests/node/compare_digests.cmake
  WORKING_DIRECTORY ${THORNWICK_WINDOWS_CONTENT})

# The README's five scenes drawn by thornwick-capture.exe and by the native
# thornwick-capture: at most 2% of pixels off by more than a tenth.
add_test(NAME windows_scenes
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/scenes.sh $<TARGET_FILE:thornwick-capture>
    ${THORNWICK_WINDOWS_CONTENT} ${THORNWICK_NATIVE_BUILD} ${CMAKE_BINARY_DIR}/scenes)

# The real game, installed, played and uninstalled (play_installed.sh).
add_test(NAME windows_game
  COMMAND bash ${PROJECT_SOURCE_DIR}/tests/windows/play_installed.sh ${THORNWICK_INSTALLER}
    ${THORNWICK_NATIVE_BUILD}/screen_diff ${THORNWICK_NATIVE_BUILD}/wm_close)
set_tests_properties(windows_world_identity windows_world_identity_sees_one_bit windows_scenes windows_game
  PROPERTIES LABELS windows ENVIRONMENT "SDL_AUDIODRIVER=dummy")
set_tests_properties(windows_scenes windows_game PROPERTIES RUN_SERIAL ON TIMEOUT 900)
