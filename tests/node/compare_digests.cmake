# The world identity test's comparison: world_digest natively and under node
# (or, for the Windows build, under wine, LABEL=wine), for the same seeds, in
# the current directory.
#   cmake -DNODE=<node> -DNODE_DIGEST=<world_digest.js> -DNATIVE_DIGEST=<world_digest>
#         -DSEEDS=1;7;42 [-DFLIP=ON] [-DLABEL=node] -P compare_digests.cmake
# Without FLIP every line must be the same. With FLIP, node's side has one
# bit of a height changed, and the test passes only when the height grid's
# line differs for every seed and nothing else does: the comparison sees a
# single bit.
cmake_minimum_required(VERSION 3.25)

if(NOT EXISTS "${NATIVE_DIGEST}")
  message(FATAL_ERROR "No native ${NATIVE_DIGEST}: build the native tree first (make build), "
    "or point THORNWICK_NATIVE_BUILD at one.")
endif()

if(NOT LABEL)
  set(LABEL node)
endif()

set(flip_args)
if(FLIP)
  set(flip_args --flip)
endif()

execute_process(COMMAND ${NATIVE_DIGEST} ${SEEDS} OUTPUT_VARIABLE native RESULT_VARIABLE native_rc)
execute_process(COMMAND ${NODE} ${NODE_DIGEST} ${flip_args} ${SEEDS} OUTPUT_VARIABLE node RESULT_VARIABLE node_rc)
if(NOT native_rc EQUAL 0 OR NOT node_rc EQUAL 0)
  message(FATAL_ERROR "world_digest failed: native ${native_rc}, ${LABEL} ${node_rc}")
endif()

# Windows' C library ends its lines with \r\n.
string(REPLACE "\r" "" node "${node}")
string(STRIP "${native}" native)
string(STRIP "${node}" node)
string(REPLACE "\n" ";" native_lines "${native}")
string(REPLACE "\n" ";" node_lines "${node}")
list(LENGTH native_lines native_count)
list(LENGTH node_lines node_count)
if(NOT native_count EQUAL node_count OR native_count LESS 2)
  message(FATAL_ERROR "Native printed ${native_count} lines, ${LABEL} ${node_count}:\n${native}\n--\n${node}")
endif()

set(differing)
math(EXPR last "${native_count} - 1")
foreach(i RANGE ${last})
  list(GET native_lines ${i} a)
  list(GET node_lines ${i} b)
  if(NOT a STREQUAL b)
    list(APPEND differing "${a}")
    message("native: ${a}\n  ${LABEL}: ${b}")
  endif()
endforeach()

if(NOT FLIP)
  if(differing)
    message(FATAL_ERROR "The ${LABEL} build grows other worlds than the native one.")
  endif()
  list(JOIN SEEDS ", " seed_list)
  message("Seeds ${seed_list}: all ${native_count} digests the same natively and under ${LABEL}.")
  return()
endif()

set(expected)
foreach(seed ${SEEDS})
  foreach(line ${native_lines})
    if(line MATCHES "^seed ${seed} height ")
      list(APPEND expected "${line}")
    endif()
  endforeach()
endforeach()
if(NOT expected OR NOT differing STREQUAL expected)
  message(FATAL_ERROR "With one height bit flipped under ${LABEL}, expected exactly the height lines to differ.")
endif()
message("One height bit flipped under ${LABEL}: the height digest differs for every seed, nothing else.")
