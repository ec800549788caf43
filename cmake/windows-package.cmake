# What a Windows player downloads, made by make windows: the game's folder
# (thornwick.exe with Images, Data and Sounds beside it, README.txt and the
# third-party licences), packed as a zip and as an installer built by
# Debian's nsis. Included by cmake/windows.cmake; cmake/windows-pack.cmake
# does the packing.
find_program(THORNWICK_ZIP zip REQUIRED)
find_program(THORNWICK_MAKENSIS makensis REQUIRED)

set(THORNWICK_PACKAGE_NAME thornwick-${PROJECT_VERSION}-windows-x64)
set(THORNWICK_STAGE ${CMAKE_BINARY_DIR}/${THORNWICK_PACKAGE_NAME})
set(THORNWICK_ZIP_FILE ${CMAKE_BINARY_DIR}/${THORNWICK_PACKAGE_NAME}.zip)
set(THORNWICK_INSTALLER ${CMAKE_BINARY_DIR}/${THORNWICK_PACKAGE_NAME}-setup.exe)

# The libraries linked into the game, and the compiler's runtime.
set(licences
  "SDL2=${THORNWICK_WINDOWS_PREFIX}/share/licenses/SDL2/LICENSE.txt"
  "SDL2_mixer=${THORNWICK_WINDOWS_PREFIX}/share/licenses/SDL2_mixer/LICENSE.txt"
  "freeglut=${THORNWICK_WINDOWS_PREFIX}/share/licenses/freeglut/COPYING"
  "MinGW-w64 runtime=/usr/share/doc/mingw-w64-x86-64-dev/copyright"
  "GCC runtime=/usr/share/doc/gcc-mingw-w64-base/copyright")

add_custom_command(OUTPUT ${THORNWICK_ZIP_FILE} ${THORNWICK_INSTALLER}
  COMMAND ${CMAKE_COMMAND}
    -DGAME=$<TARGET_FILE:thornwick> -DCONTENT=${THORNWICK_WINDOWS_CONTENT} -DSTAGE=${THORNWICK_STAGE}
    -DZIP=${THORNWICK_ZIP} -DZIP_FILE=${THORNWICK_ZIP_FILE}
    -DMAKENSIS=${THORNWICK_MAKENSIS} -DTHORNWICK_INSTALLER=${THORNWICK_INSTALLER}
    -DTHORNWICK_ICON=${THORNWICK_ICON} -DPROJECT_VERSION=${PROJECT_VERSION}
    -DSOURCE=${PROJECT_SOURCE_DIR} "-DLICENCES=${licences}"
    -P ${PROJECT_SOURCE_DIR}/cmake/windows-pack.cmake
  DEPENDS thornwick thornwick_content ${PROJECT_SOURCE_DIR}/cmake/windows-pack.cmake
    ${PROJECT_SOURCE_DIR}/data/windows/README.txt.in ${PROJECT_SOURCE_DIR}/data/windows/installer.nsi.in
    ${THORNWICK_WINDOWS_CONTENT}/Images/LoadScreen.bmp
  COMMENT "Packing ${THORNWICK_PACKAGE_NAME}.zip and its installer"
  VERBATIM)
add_custom_target(windows_package ALL DEPENDS ${THORNWICK_ZIP_FILE} ${THORNWICK_INSTALLER})
