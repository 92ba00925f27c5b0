# The install package: what an agent folder needs (bin/) and what a developer
# links an agent program with (include/, lib/), for MSVC and MinGW alike.
#
#   bin/TavixConfigSet.dll, bin/environment.dll, bin/tavixcfg.exe
#   include/TavixConfigSet.h
#   lib/TavixConfigSet.lib          import library with the MSVC names
#   lib/libTavixConfigSet.dll.a     MinGW's decoration bound to those names
#   lib/cmake/TavixConfigSet/       find_package(TavixConfigSet)
#
# `cmake --build <build> --target package` zips the same tree.

# The import libraries come from src/ (TCS_MSVC_IMPORT_LIB, and the MinGW one
# beside it).
if(NOT TCS_MSVC_IMPORT_LIB)
  message(FATAL_ERROR "Install.cmake needs TCS_MSVC_IMPORT_LIB from src/")
endif()

# The DLL targets' own import libraries are not part of the package: the
# DLLs are installed as files.
install(FILES $<TARGET_FILE:TavixConfigSet> $<TARGET_FILE:environment> DESTINATION bin)
install(TARGETS tavixcfg RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/include/TavixConfigSet.h DESTINATION include)
install(FILES ${TCS_MSVC_IMPORT_LIB} ${PROJECT_BINARY_DIR}/src/libTavixConfigSet.dll.a DESTINATION lib)

include(CMakePackageConfigHelpers)
set(_tcs_config_dir ${PROJECT_BINARY_DIR}/package-config)
configure_file(${PROJECT_SOURCE_DIR}/tools/package/TavixConfigSetConfig.cmake.in
               ${_tcs_config_dir}/TavixConfigSetConfig.cmake @ONLY)
# A 64-bit consumer is told the package does not fit (the version file
# compares pointer sizes).
write_basic_package_version_file(${_tcs_config_dir}/TavixConfigSetConfigVersion.cmake
    VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${_tcs_config_dir}/TavixConfigSetConfig.cmake ${_tcs_config_dir}/TavixConfigSetConfigVersion.cmake
        DESTINATION lib/cmake/TavixConfigSet)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TavixConfigSet)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME TavixConfigSet-${PROJECT_VERSION}-win32)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/package)
include(CPack)
