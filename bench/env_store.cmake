# bench_env_store: figures for the environment store (env_store_bench.cpp).
# Run it under Wine from its folder, e.g. build/wine-run.sh bench_env_store.exe
add_executable(bench_env_store ${CMAKE_CURRENT_LIST_DIR}/env_store_bench.cpp)
target_link_libraries(bench_env_store PRIVATE environment advapi32)

# The program loads environment.dll from its own folder.
set(_env_bench_stamp ${CMAKE_CURRENT_BINARY_DIR}/bench_env_store.environment.copied)
add_custom_command(OUTPUT ${_env_bench_stamp}
    COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:environment> $<TARGET_FILE_DIR:bench_env_store>/
    COMMAND ${CMAKE_COMMAND} -E touch ${_env_bench_stamp}
    DEPENDS environment $<TARGET_FILE:environment>
    VERBATIM)
add_custom_target(bench_env_store.runtime DEPENDS ${_env_bench_stamp})
add_dependencies(bench_env_store bench_env_store.runtime)
