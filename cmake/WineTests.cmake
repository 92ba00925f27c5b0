# Test bed: GoogleTest built for the target, tests run under Wine through CTest.
#
# Each test program gets a folder of its own under tests/ in the build tree,
# with copies of the DLLs it needs beside it: a program's folder is the host
# directory of the library, so tests never share a configuration file or a
# store.

set(TCS_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources (Debian's googletest package)")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(${TCS_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)

set(TCS_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-run.sh.in ${CMAKE_BINARY_DIR}/wine-run.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
configure_file(${CMAKE_CURRENT_LIST_DIR}/wine-prefix.sh.in ${CMAKE_BINARY_DIR}/wine-prefix.sh
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
               @ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run.sh)
set(TCS_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run.sh)

# One prefix and one persistent wineserver for the whole run.
add_test(NAME wine.start COMMAND ${CMAKE_BINARY_DIR}/wine-prefix.sh start)
add_test(NAME wine.stop COMMAND ${CMAKE_BINARY_DIR}/wine-prefix.sh stop)
set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)

# tcs_add_wine_test(NAME SOURCES ... [LIBRARIES ...] [RUNTIME targets...]
#                   [ENVIRONMENT VAR=value...] [LABELS ...])
# A GoogleTest program in build/tests/NAME, run there under Wine. The
# environment store of the test lives in that folder too.
function(tcs_add_wine_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBRARIES;RUNTIME;ENVIRONMENT;LABELS" ${ARGN})
  set(dir ${CMAKE_BINARY_DIR}/tests/${name})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE GTest::gtest_main ${T_LIBRARIES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${dir})
  tcs_copy_runtime(${name} ${dir} ${T_RUNTIME})
  add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${dir})
  set_tests_properties(${name} PROPERTIES
    FIXTURES_REQUIRED wine
    ENVIRONMENT "TAVIX_ENVIRONMENT_DIR=Z:${dir}/envstore;${T_ENVIRONMENT}"
    LABELS "${T_LABELS}"
    TIMEOUT 600)
endfunction()

# tcs_add_test_program(NAME SOURCES ... [LIBRARIES ...])
# A helper program that tests copy where they need it (RUNTIME of a test).
function(tcs_add_test_program name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBRARIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBRARIES})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/testbin)
endfunction()

# tcs_add_host_test(NAME COMMAND ...): a check that runs on the build machine
# itself (name tables, import tables), after the Wine fixture like the rest.
function(tcs_add_host_test name)
  add_test(NAME ${name} COMMAND ${ARGN})
  set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 600)
endfunction()
