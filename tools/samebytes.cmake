# Runs the generator into a fresh folder and compares every file it writes with the build's
# own: two runs must give identical bytes.
#   cmake -DGEN=<vh_assetgen> -DREF=<build dir> -DTMP=<scratch dir> -P samebytes.cmake
file(REMOVE_RECURSE ${TMP})
execute_process(COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ${GEN} --out ${TMP} --icons ${TMP}/icons
                RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "the generator failed: ${rc}")
endif()
file(GLOB_RECURSE written RELATIVE ${TMP} ${TMP}/data/* ${TMP}/icons/* ${TMP}/varnhold.lng)
list(LENGTH written count)
if(count LESS 80)
  message(FATAL_ERROR "only ${count} files written")
endif()
foreach(f ${written})
  execute_process(COMMAND ${CMAKE_COMMAND} -E compare_files ${TMP}/${f} ${REF}/${f} RESULT_VARIABLE diff)
  if(NOT diff EQUAL 0)
    message(FATAL_ERROR "${f} differs between two runs")
  endif()
endforeach()
file(REMOVE_RECURSE ${TMP})
message(STATUS "${count} files identical")
