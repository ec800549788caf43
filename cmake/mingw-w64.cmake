# Toolchain for the Windows build: Debian's MinGW-w64 for x86_64, the
# posix-threads flavour (std::thread and std::mutex need it), with the
# libraries from scripts/build-windows-libs and the programs run by wine.
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
#     -DTHORNWICK_WINDOWS_PREFIX=build-windows/libs/prefix ...

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(THORNWICK_MINGW_TARGET x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${THORNWICK_MINGW_TARGET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${THORNWICK_MINGW_TARGET}-g++-posix)
set(CMAKE_RC_COMPILER ${THORNWICK_MINGW_TARGET}-windres)

set(THORNWICK_WINDOWS_PREFIX "" CACHE PATH
  "Where scripts/build-windows-libs installed the libraries for Windows")
# try_compile projects get the toolchain again, but not the cache.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES THORNWICK_WINDOWS_PREFIX)

# Only the target's root and the libraries' prefix: a host library or
# package config must never be taken for a Windows one.
set(CMAKE_FIND_ROOT_PATH /usr/${THORNWICK_MINGW_TARGET})
if(THORNWICK_WINDOWS_PREFIX)
  get_filename_component(THORNWICK_WINDOWS_PREFIX "${THORNWICK_WINDOWS_PREFIX}" ABSOLUTE)
  list(APPEND CMAKE_FIND_ROOT_PATH ${THORNWICK_WINDOWS_PREFIX})
  list(APPEND CMAKE_PREFIX_PATH ${THORNWICK_WINDOWS_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# pkg-config would otherwise read the host's .pc files.
set(ENV{PKG_CONFIG_LIBDIR} "${THORNWICK_WINDOWS_PREFIX}/lib/pkgconfig")

# The C and C++ runtimes and winpthread linked in, so the programs need
# nothing beyond Windows' own DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static-libgcc -static-libstdc++")

# CTest, gtest_discover_tests and custom commands that run our own programs
# start the .exe files through wine.
find_program(THORNWICK_WINE NAMES wine wine64 NO_CMAKE_FIND_ROOT_PATH)
if(THORNWICK_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${THORNWICK_WINE})
endif()
