# tcs_copy_runtime(OWNER DIR TARGETS...): keeps copies of the files of the
# TARGETS (DLLs, helper programs) in DIR, refreshed whenever they change, and
# makes OWNER depend on them. A program's folder is the library's host
# directory, so tests, benchmarks and tools each get the DLLs beside them.
function(tcs_copy_runtime owner dir)
  foreach(rt IN LISTS ARGN)
    set(stamp ${CMAKE_CURRENT_BINARY_DIR}/${owner}.${rt}.copied)
    add_custom_command(OUTPUT ${stamp}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${rt}> ${dir}/
      COMMAND ${CMAKE_COMMAND} -E touch ${stamp}
      DEPENDS ${rt} $<TARGET_FILE:${rt}>
      VERBATIM)
    list(APPEND stamps ${stamp})
  endforeach()
  if(stamps)
    add_custom_target(${owner}.runtime DEPENDS ${stamps})
    add_dependencies(${owner} ${owner}.runtime)
  endif()
endfunction()
