# Without TARGET: builds the libFuzzer targets with clang (through LAUNCHER,
# such as ccache, when given) in their own build folder BUILD. With TARGET: fuzzes that target for SECONDS seconds, starting
# from the seed folders in SEEDS.

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "failed (${rc}): ${ARGN}")
  endif()
endfunction()

if(NOT DEFINED TARGET)
  run(${CMAKE_COMMAND} -S ${SOURCE} -B ${BUILD} -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
      -DCMAKE_CXX_COMPILER=${CLANGXX} "-DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER}")
  run(${CMAKE_COMMAND} --build ${BUILD} -j 2)
  return()
endif()

set(found ${BUILD}/found-${TARGET})
file(REMOVE_RECURSE ${found})
file(MAKE_DIRECTORY ${found})
# New inputs go to the first folder; the seed folders are only read.
run(${BUILD}/${TARGET}_fuzzer -max_total_time=${SECONDS} -timeout=20 -rss_limit_mb=2048 -print_final_stats=1
    -artifact_prefix=${BUILD}/${TARGET}- ${found} ${SEEDS})
