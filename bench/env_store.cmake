# bench_env_store: figures for the environment store (env_store_bench.cpp).
# Run it under Wine from its folder, e.g. build/wine-run.sh bench_env_store.exe
add_executable(bench_env_store ${CMAKE_CURRENT_LIST_DIR}/env_store_bench.cpp)
target_link_libraries(bench_env_store PRIVATE environment advapi32)

# The program loads environment.dll from its own folder.
tcs_copy_runtime(bench_env_store ${CMAKE_CURRENT_BINARY_DIR} environment)
