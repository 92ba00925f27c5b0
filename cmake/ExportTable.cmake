# Turns src/frame/exports.table into the module-definition files:
#   TavixConfigSet.def        - builds the DLL: exported name = definition @ordinal
#   TavixConfigSet-msvc.def   - import library for MSVC-ABI programs (llvm-dlltool -k)
#   TavixConfigSet-mingw.def  - import library for MinGW programs: MinGW's
#                               decoration of the same declarations, bound to
#                               the MSVC names of the DLL
function(tcs_generate_export_defs table outdir)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${table})
  file(STRINGS ${table} lines REGEX "^[0-9]")
  set(dll "LIBRARY \"TavixConfigSet.dll\"\nEXPORTS\n")
  set(msvc "${dll}")
  set(mingw "${dll}")
  set(count 0)
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "^([0-9]+)[ \t]+([^ \t]+)[ \t]+([^ \t]+)[ \t]*$")
      message(FATAL_ERROR "${table}: malformed row: ${line}")
    endif()
    set(ordinal ${CMAKE_MATCH_1})
    set(name ${CMAKE_MATCH_2})
    set(symbol ${CMAKE_MATCH_3})
    string(APPEND dll "  ${name} = ${symbol} @${ordinal}\n")
    if(name MATCHES "^\\?")
      string(APPEND msvc "  ${name} @${ordinal}\n")
    else()
      # A plain stdcall name: the import keeps @N for the linker, -k drops it
      # from the name the DLL is asked for.
      string(REGEX MATCH "@[0-9]+$" argbytes "${symbol}")
      string(APPEND msvc "  ${name}${argbytes} @${ordinal}\n")
    endif()
    # dlltool reads the import name after the ordinal. A MinGW caller asks
    # for the declaration's own decoration: for a plain alias that is its
    # name with @N, whatever entry it shares.
    if(name MATCHES "^\\?")
      set(caller_symbol ${symbol})
    else()
      string(REGEX MATCH "@[0-9]+$" argbytes "${symbol}")
      set(caller_symbol ${name}${argbytes})
    endif()
    string(APPEND mingw "  ${caller_symbol} @${ordinal} == ${name}\n")
    math(EXPR count "${count} + 1")
  endforeach()
  # Rewritten only when changed, so an unchanged table relinks nothing.
  foreach(kind IN ITEMS dll msvc mingw)
    set(file TavixConfigSet-${kind}.def)
    if(kind STREQUAL "dll")
      set(file TavixConfigSet.def)
    endif()
    file(WRITE ${outdir}/${file}.new "${${kind}}")
    file(COPY_FILE ${outdir}/${file}.new ${outdir}/${file} ONLY_IF_DIFFERENT)
    file(REMOVE ${outdir}/${file}.new)
  endforeach()
  set(TCS_EXPORT_COUNT ${count} PARENT_SCOPE)
endfunction()
