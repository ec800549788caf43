# The Windows build (make windows), configured with MinGW-w64's toolchain
# (cmake/mingw-w64.cmake) into build-windows/: the game's library compiled
# unchanged, the GLUT back end over Win32 (src/platform/windows/) in place of
# X11, the headless back end over WGL for the tools and the tests, the
# libraries built from Debian's sources (scripts/build-windows-libs), and the
# content made by the native generator.
#   build-windows/thornwick.exe                      the game (GUI subsystem)
#   build-windows/thornwick-capture.exe, test_*.exe  the tools and suites, for wine
#   build-windows/thornwick-VERSION-windows-x64/     the game's folder, packed as
#   build-windows/thornwick-VERSION-windows-x64.zip and ...-setup.exe

if(NOT THORNWICK_WINDOWS_PREFIX)
  message(FATAL_ERROR "No THORNWICK_WINDOWS_PREFIX: run scripts/build-windows-libs (make windows does).")
endif()
find_package(SDL2 CONFIG REQUIRED)
find_package(SDL2_mixer CONFIG REQUIRED)
find_package(FreeGLUT CONFIG REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)

add_compile_options(-Wall -Wextra)
# What lets the game's own files compile unchanged (windows_gl.h).
add_compile_options("$<$<COMPILE_LANGUAGE:CXX>:-include${PROJECT_SOURCE_DIR}/src/platform/windows/windows_gl.h>")
add_compile_definitions(SDL_MAIN_HANDLED
  # printf as C99 has it (%zu), not as msvcrt.dll does.
  __USE_MINGW_ANSI_STDIO=1)

set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# The content, made by the native generator.
include(${PROJECT_SOURCE_DIR}/cmake/native-content.cmake)
set(THORNWICK_WINDOWS_CONTENT ${THORNWICK_CONTENT})

# The library as on Linux, with Windows' own clock, file opening and sound
# driver, and the GL calls Windows' opengl32 does not export.
file(GLOB_RECURSE THORNWICK_GAME_SOURCES CONFIGURE_DEPENDS
  src/app/*.cpp src/world/*.cpp src/characters/*.cpp src/assets/*.cpp)
file(GLOB THORNWICK_PLATFORM_SOURCES CONFIGURE_DEPENDS src/platform/*.cpp)
set(windows_dir src/platform/windows)
add_library(thornwick_game STATIC ${THORNWICK_GAME_SOURCES} ${THORNWICK_PLATFORM_SOURCES}
  ${windows_dir}/monotonic_clock.cpp ${windows_dir}/content_open.cpp ${windows_dir}/sound_driver.cpp
  ${windows_dir}/gl_extensions.cpp)
target_include_directories(thornwick_game PUBLIC src)
target_link_libraries(thornwick_game PUBLIC SDL2_mixer::SDL2_mixer-static SDL2::SDL2-static opengl32 glu32)

# The headless back end: a hidden window's WGL context, virtual clock,
# scripted keys.
add_library(thornwick_headless OBJECT src/platform/headless/headless_backend.cpp
  ${windows_dir}/wgl_context.cpp src/platform/key_script.cpp)
target_include_directories(thornwick_headless PUBLIC src)
target_link_libraries(thornwick_headless PUBLIC opengl32 gdi32)

# The game's icon, drawn from the one the Linux desktop shows, at the sizes
# Explorer and the taskbar ask for.
find_program(THORNWICK_RSVG rsvg-convert REQUIRED)
find_program(THORNWICK_ICOTOOL icotool REQUIRED)
set(icon_sizes 16 24 32 48 64 256)
set(icon_pngs)
foreach(size ${icon_sizes})
  list(APPEND icon_pngs ${CMAKE_BINARY_DIR}/icon/thornwick-${size}.png)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/icon/thornwick-${size}.png
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icon
    COMMAND ${THORNWICK_RSVG} -w ${size} -h ${size} -o ${CMAKE_BINARY_DIR}/icon/thornwick-${size}.png
      ${PROJECT_SOURCE_DIR}/data/thornwick.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/data/thornwick.svg VERBATIM)
endforeach()
set(THORNWICK_ICON ${CMAKE_BINARY_DIR}/icon/thornwick.ico)
add_custom_command(OUTPUT ${THORNWICK_ICON}
  COMMAND ${THORNWICK_ICOTOOL} -c -o ${THORNWICK_ICON} ${icon_pngs}
  DEPENDS ${icon_pngs} VERBATIM)
set(THORNWICK_MANIFEST ${PROJECT_SOURCE_DIR}/${windows_dir}/thornwick.manifest)
configure_file(${windows_dir}/thornwick.rc.in ${CMAKE_BINARY_DIR}/thornwick.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/thornwick.rc PROPERTIES
  OBJECT_DEPENDS "${THORNWICK_ICON};${THORNWICK_MANIFEST}")

# The game: main, the GLUT back end over Win32, and what it does before main.
add_executable(thornwick WIN32 src/main.cpp src/platform/glut/glut_backend.cpp
  src/platform/glut/glut_window.cpp ${windows_dir}/win32_window_system.cpp
  ${windows_dir}/program_start.cpp ${CMAKE_BINARY_DIR}/thornwick.rc)
target_link_libraries(thornwick PRIVATE thornwick_game FreeGLUT::freeglut_static)
add_dependencies(thornwick thornwick_content)

# The capture tool, for the scenes the tests compare with Linux's.
file(GLOB capture_sources CONFIGURE_DEPENDS tools/capture/*.cpp)
add_executable(thornwick-capture ${capture_sources})
target_link_libraries(thornwick-capture PRIVATE thornwick_game thornwick_headless PNG::PNG)

include(${PROJECT_SOURCE_DIR}/cmake/windows-package.cmake OPTIONAL)
option(THORNWICK_TESTS "Build the tests" ON)
if(THORNWICK_TESTS)
  enable_testing()
  include(${PROJECT_SOURCE_DIR}/cmake/windows-tests.cmake OPTIONAL)
endif()
