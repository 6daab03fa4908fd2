# Delay-loaded DLLs: tavrio_delay_loaded(winhttp) makes the target `delayed_winhttp`, an import library whose DLL
# loads at the first call into it instead of at the program's start. By then the program's first line has limited
# the search to the system folder; at start, Windows would look for a DLL that is not a known DLL in the program's
# own folder first. scripts/check-imports.sh keeps every other DLL out of the programs' import tables.
#
# The library names every export of the system's own import library, so any function of the DLL may be called.
function(tavrio_delay_loaded dll)
  if(TARGET delayed_${dll})
    return()
  endif()
  set(dir ${CMAKE_BINARY_DIR}/delay-loaded)
  set(library ${dir}/lib${dll}.a)
  if(NOT EXISTS ${library})
    find_library(TAVRIO_IMPORT_LIBRARY_${dll} ${dll} REQUIRED)
    execute_process(COMMAND ${CMAKE_NM} -g --defined-only ${TAVRIO_IMPORT_LIBRARY_${dll}}
                    OUTPUT_VARIABLE symbols COMMAND_ERROR_IS_FATAL ANY)
    string(REGEX MATCHALL "__imp_[A-Za-z0-9_@]+" exports "${symbols}")
    list(TRANSFORM exports REPLACE "^__imp_" "")
    list(REMOVE_DUPLICATES exports)
    list(SORT exports)
    list(JOIN exports "\n" exports)
    file(WRITE ${dir}/${dll}.def "LIBRARY ${dll}.dll\nEXPORTS\n${exports}\n")
    execute_process(COMMAND ${CMAKE_DLLTOOL} --input-def ${dll}.def --output-delaylib lib${dll}.a
                    WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
  endif()
  add_library(delayed_${dll} STATIC IMPORTED GLOBAL)
  set_target_properties(delayed_${dll} PROPERTIES IMPORTED_LOCATION ${library})
endfunction()
