# bench_config: figures for NetbarCfg.ini (config_bench.cpp). The program runs
# from a folder of its own, beside copies of the DLLs: that folder is the
# library's host directory. Run it under Wine, e.g.
#   build/wine-run.sh build/bench_config/bench_config.exe
add_executable(bench_config ${CMAKE_CURRENT_LIST_DIR}/config_bench.cpp)
target_link_libraries(bench_config PRIVATE TavixConfigSet::client)
set_target_properties(bench_config PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench_config)

set(_config_bench_stamp ${CMAKE_CURRENT_BINARY_DIR}/bench_config.runtime.copied)
add_custom_command(OUTPUT ${_config_bench_stamp}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:TavixConfigSet> $<TARGET_FILE:environment>
            ${CMAKE_BINARY_DIR}/bench_config/
    COMMAND ${CMAKE_COMMAND} -E touch ${_config_bench_stamp}
    DEPENDS TavixConfigSet environment $<TARGET_FILE:TavixConfigSet> $<TARGET_FILE:environment>
    VERBATIM)
add_custom_target(bench_config.runtime DEPENDS ${_config_bench_stamp})
add_dependencies(bench_config bench_config.runtime)
