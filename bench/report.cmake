# bench_report: the one table of scripts/bench.sh (report.cpp). Its folder of
# its own, with the DLLs beside it, is the library's host directory.
set(_report_dir ${CMAKE_BINARY_DIR}/bench/report)
add_executable(bench_report ${CMAKE_CURRENT_LIST_DIR}/report.cpp)
target_link_libraries(bench_report PRIVATE TavixConfigSet::client environment ws2_32)
set_target_properties(bench_report PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_report_dir})

tcs_copy_runtime(bench_report ${_report_dir} TavixConfigSet environment)

# Every benchmark program of this folder, for `scripts/bench.sh --all`:
# written once all fragments have been read.
function(_tcs_list_bench_programs)
  get_property(targets DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} PROPERTY BUILDSYSTEM_TARGETS)
  set(programs "")
  foreach(t IN LISTS targets)
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "EXECUTABLE" AND NOT t STREQUAL "bench_report")
      string(APPEND programs "${t}=$<TARGET_FILE:${t}>\n")
    endif()
  endforeach()
  file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/bench/programs.txt CONTENT "${programs}")
endfunction()
cmake_language(DEFER CALL _tcs_list_bench_programs)
