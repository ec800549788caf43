# Packs the Windows game (run by cmake/windows-package.cmake at build time):
#   cmake -DGAME=thornwick.exe -DCONTENT=content/run -DSTAGE=<folder> -DZIP=zip
#     -DZIP_FILE=<.zip> -DMAKENSIS=makensis -DTHORNWICK_INSTALLER=<setup.exe>
#     -DTHORNWICK_ICON=<.ico> -DPROJECT_VERSION=<v> -DSOURCE=<repository>
#     "-DLICENCES=NAME=FILE;..." -P windows-pack.cmake
# The folder is made anew each time, so nothing of an older build stays in
# it; the uninstaller's list of files is written from what it holds.
cmake_minimum_required(VERSION 3.25)

file(REMOVE_RECURSE ${STAGE})
file(MAKE_DIRECTORY ${STAGE}/licences)
file(COPY ${GAME} DESTINATION ${STAGE})
foreach(folder Images Data Sounds)
  file(COPY ${CONTENT}/${folder} DESTINATION ${STAGE})
endforeach()
# Windows' line ends, for Notepad.
configure_file(${SOURCE}/data/windows/README.txt.in ${STAGE}/README.txt @ONLY NEWLINE_STYLE CRLF)
foreach(entry ${LICENCES})
  string(REGEX MATCH "^([^=]+)=(.*)$" matched "${entry}")
  if(NOT EXISTS "${CMAKE_MATCH_2}")
    message(FATAL_ERROR "No licence text of ${CMAKE_MATCH_1} at ${CMAKE_MATCH_2}")
  endif()
  configure_file("${CMAKE_MATCH_2}" "${STAGE}/licences/${CMAKE_MATCH_1}.txt" COPYONLY)
endforeach()

# The uninstaller deletes these files, then the folders deepest first, each
# only if empty.
file(GLOB_RECURSE files RELATIVE ${STAGE} ${STAGE}/*)
file(GLOB_RECURSE entries LIST_DIRECTORIES true RELATIVE ${STAGE} ${STAGE}/*)
list(SORT files)
set(folders)
foreach(entry ${entries})
  if(IS_DIRECTORY ${STAGE}/${entry})
    list(APPEND folders ${entry})
  endif()
endforeach()
list(SORT folders)
list(REVERSE folders)
set(list_text "")
set(bytes 0)
foreach(file ${files})
  file(SIZE ${STAGE}/${file} size)
  math(EXPR bytes "${bytes} + ${size}")
  string(REPLACE "/" "\\" windows_path "${file}")
  string(APPEND list_text "Delete \"$INSTDIR\\${windows_path}\"\n")
endforeach()
foreach(folder ${folders})
  string(REPLACE "/" "\\" windows_path "${folder}")
  string(APPEND list_text "RMDir \"$INSTDIR\\${windows_path}\"\n")
endforeach()
get_filename_component(build_dir ${STAGE} DIRECTORY)
set(THORNWICK_FILE_LIST ${build_dir}/installer-files.nsh)
file(WRITE ${THORNWICK_FILE_LIST} "${list_text}")
math(EXPR THORNWICK_SIZE_KB "(${bytes} + 1023) / 1024")

get_filename_component(stage_name ${STAGE} NAME)
file(REMOVE ${ZIP_FILE})
execute_process(COMMAND ${ZIP} -X -r -9 -q ${ZIP_FILE} ${stage_name}
  WORKING_DIRECTORY ${build_dir} RESULT_VARIABLE zip_rc)
if(NOT zip_rc EQUAL 0)
  message(FATAL_ERROR "zip failed (${zip_rc})")
endif()

set(THORNWICK_STAGE ${STAGE})
configure_file(${SOURCE}/data/windows/installer.nsi.in ${build_dir}/installer.nsi @ONLY)
execute_process(COMMAND ${MAKENSIS} -V2 ${build_dir}/installer.nsi RESULT_VARIABLE nsis_rc)
if(NOT nsis_rc EQUAL 0)
  message(FATAL_ERROR "makensis failed (${nsis_rc})")
endif()
