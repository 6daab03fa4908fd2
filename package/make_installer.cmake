# The installer, TavrioPanel-<version>-setup.exe, made beside the release zip from the zip's own files, so both
# ship the same bytes (signed ones when the zip's were). With TAVRIO_SIGN_PFX set, makensis signs the uninstaller
# and the installer through package/sign.sh.
# cmake -DZIP=<.../TavrioPanel-<version>-win64.zip> -P make_installer.cmake
if(NOT ZIP MATCHES "TavrioPanel-([0-9.]+)-win64\\.zip$" OR NOT EXISTS "${ZIP}")
  message(FATAL_ERROR "no release zip: '${ZIP}'")
endif()
set(version ${CMAKE_MATCH_1})
get_filename_component(ZIP "${ZIP}" ABSOLUTE)
get_filename_component(out_dir "${ZIP}" DIRECTORY)
set(files "${out_dir}/installer-files")
set(setup "${out_dir}/TavrioPanel-${version}-setup.exe")

file(REMOVE_RECURSE "${files}")
file(MAKE_DIRECTORY "${files}")
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${ZIP}" WORKING_DIRECTORY "${files}" RESULT_VARIABLE unpacked)
if(NOT unpacked EQUAL 0)
  message(FATAL_ERROR "cannot unpack ${ZIP}")
endif()

# The class the installer closes a running panel by, as the panel's window registers it.
file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../src/win32/panel_window.h class_line
     REGEX "kPanelWindowClassName\\[\\] = L\"[A-Za-z0-9_]+\";")
if(NOT class_line MATCHES "L\"([A-Za-z0-9_]+)\"")
  message(FATAL_ERROR "no kPanelWindowClassName in src/win32/panel_window.h")
endif()
set(window_class ${CMAKE_MATCH_1})

find_program(MAKENSIS makensis REQUIRED)
set(defines -DVERSION=${version} -DFILES=${files} -DOUTFILE=${setup} -DPANEL_WINDOW_CLASS=${window_class}
            -DICON=${CMAKE_CURRENT_LIST_DIR}/../src/win32/res/panel.ico)
if(NOT "$ENV{TAVRIO_SIGN_PFX}" STREQUAL "")
  list(APPEND defines -DSIGN=${CMAKE_CURRENT_LIST_DIR}/sign.sh)
endif()
file(REMOVE "${setup}")
execute_process(COMMAND ${MAKENSIS} -V2 -WX -NOCD ${defines} ${CMAKE_CURRENT_LIST_DIR}/installer.nsi
                RESULT_VARIABLE made)
file(REMOVE_RECURSE "${files}")
if(NOT made EQUAL 0 OR NOT EXISTS "${setup}")
  message(FATAL_ERROR "makensis did not make ${setup}")
endif()
