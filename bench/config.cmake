# bench_config: figures for NetbarCfg.ini (config_bench.cpp). The program runs
# from a folder of its own, beside copies of the DLLs: that folder is the
# library's host directory. Run it under Wine, e.g.
#   build/wine-run.sh build/bench_config/bench_config.exe
add_executable(bench_config ${CMAKE_CURRENT_LIST_DIR}/config_bench.cpp)
target_link_libraries(bench_config PRIVATE TavixConfigSet::client)
set_target_properties(bench_config PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench_config)

tcs_copy_runtime(bench_config ${CMAKE_BINARY_DIR}/bench_config TavixConfigSet environment)
