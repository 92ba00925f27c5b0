# bench_envstore: what the library's store settings cost per call beside the
# raw store sequence (envstore_bench.cpp). It has a folder of its own, with
# TavixConfigSet.dll and environment.dll beside it; run it from there, e.g.
#   build/wine-run.sh build/bench/envstore/bench_envstore.exe
set(_envstore_bench_dir ${CMAKE_CURRENT_BINARY_DIR}/envstore)
add_executable(bench_envstore ${CMAKE_CURRENT_LIST_DIR}/envstore_bench.cpp)
target_link_libraries(bench_envstore PRIVATE TavixConfigSet::client environment)
set_target_properties(bench_envstore PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_envstore_bench_dir})

foreach(_dll IN ITEMS TavixConfigSet environment)
  set(_stamp ${CMAKE_CURRENT_BINARY_DIR}/bench_envstore.${_dll}.copied)
  add_custom_command(OUTPUT ${_stamp}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${_envstore_bench_dir}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${_dll}> ${_envstore_bench_dir}/
      COMMAND ${CMAKE_COMMAND} -E touch ${_stamp}
      DEPENDS ${_dll} $<TARGET_FILE:${_dll}>
      VERBATIM)
  list(APPEND _envstore_bench_stamps ${_stamp})
endforeach()
add_custom_target(bench_envstore.runtime DEPENDS ${_envstore_bench_stamps})
add_dependencies(bench_envstore bench_envstore.runtime)
