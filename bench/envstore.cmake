# bench_envstore: what the library's store settings cost per call beside the
# raw store sequence (envstore_bench.cpp). It has a folder of its own, with
# TavixConfigSet.dll and environment.dll beside it; run it from there, e.g.
#   build/wine-run.sh build/bench/envstore/bench_envstore.exe
set(_envstore_bench_dir ${CMAKE_CURRENT_BINARY_DIR}/envstore)
add_executable(bench_envstore ${CMAKE_CURRENT_LIST_DIR}/envstore_bench.cpp)
target_link_libraries(bench_envstore PRIVATE TavixConfigSet::client environment)
set_target_properties(bench_envstore PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${_envstore_bench_dir})

tcs_copy_runtime(bench_envstore ${_envstore_bench_dir} TavixConfigSet environment)
