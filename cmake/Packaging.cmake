# The release zip, TavrioPanel-<version>-win64.zip: the panel, the simulator under a name that cannot replace a
# real bot.exe, example settings, a README for Windows users and the files' SHA-256 sums.
# `cmake --build --preset windows --target package`, or scripts/package.sh.

set(TAVRIO_PACKAGE_TEXT ${CMAKE_BINARY_DIR}/package)
# Text files for Notepad: CR LF line ends. The readme's name is the panel's own: the bot's folder may hold the bot's
# README.txt.
set(TAVRIO_README "TavrioPanel README.txt")
configure_file(package/README.txt.in "${TAVRIO_PACKAGE_TEXT}/${TAVRIO_README}" @ONLY NEWLINE_STYLE CRLF)
configure_file(package/.env.example ${TAVRIO_PACKAGE_TEXT}/.env.example COPYONLY)
configure_file(package/conf.ini.example ${TAVRIO_PACKAGE_TEXT}/conf.ini.example COPYONLY)
foreach(name .env.example conf.ini.example)
  file(READ ${TAVRIO_PACKAGE_TEXT}/${name} text)
  string(REPLACE "\n" "\r\n" text "${text}")
  file(WRITE ${TAVRIO_PACKAGE_TEXT}/${name} "${text}")
endforeach()

install(TARGETS TavrioPanel RUNTIME DESTINATION .)
install(PROGRAMS $<TARGET_FILE:bot-sim> DESTINATION . RENAME tavrio-bot-sim.exe)
install(FILES "${TAVRIO_PACKAGE_TEXT}/${TAVRIO_README}" ${TAVRIO_PACKAGE_TEXT}/.env.example
              ${TAVRIO_PACKAGE_TEXT}/conf.ini.example DESTINATION .)

# The archive's times: SOURCE_DATE_EPOCH when set, else the commit's time, so two builds of one commit give the
# same bytes.
execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                OUTPUT_VARIABLE TAVRIO_COMMIT_TIME OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
if(NOT TAVRIO_COMMIT_TIME MATCHES "^[0-9]+$")
  set(TAVRIO_COMMIT_TIME 0)
endif()
# Last of the install steps: the programs signed when the owner's certificate is named (package/sign.sh), the
# sums of what is staged, then one fixed time on every file. Unsigned, the bytes are the build's.
set(TAVRIO_SIGN_TOOL ${CMAKE_SOURCE_DIR}/package/sign.sh)
set(TAVRIO_STAMP_AND_SUM [[
  set(staged "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
  if(NOT "$ENV{TAVRIO_SIGN_PFX}" STREQUAL "")
    foreach(program TavrioPanel.exe tavrio-bot-sim.exe)
      execute_process(COMMAND "@TAVRIO_SIGN_TOOL@" "${staged}/${program}" RESULT_VARIABLE signed)
      if(NOT signed EQUAL 0)
        message(FATAL_ERROR "cannot sign ${program}")
      endif()
    endforeach()
  endif()
  file(GLOB names RELATIVE "${staged}" "${staged}/*")
  list(REMOVE_ITEM names SHA256SUMS)
  list(SORT names)
  set(sums "")
  foreach(name IN LISTS names)
    file(SHA256 "${staged}/${name}" sum)
    string(APPEND sums "${sum} *${name}\n")
  endforeach()
  file(WRITE "${staged}/SHA256SUMS" "${sums}")
  set(epoch "$ENV{SOURCE_DATE_EPOCH}")
  if(NOT epoch MATCHES "^[0-9]+$")
    set(epoch "@TAVRIO_COMMIT_TIME@")
  endif()
  execute_process(COMMAND touch -h -d "@${epoch}" ${names} SHA256SUMS WORKING_DIRECTORY "${staged}"
                  RESULT_VARIABLE touched)
  if(NOT touched EQUAL 0)
    message(FATAL_ERROR "cannot set the packaged files' times")
  endif()
]])
string(CONFIGURE "${TAVRIO_STAMP_AND_SUM}" TAVRIO_STAMP_AND_SUM @ONLY)
install(CODE "${TAVRIO_STAMP_AND_SUM}")

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME TavrioPanel)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME TavrioPanel-${PROJECT_VERSION}-win64)
# The files at the top of the zip, to drop into the bot's folder.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package-out)
include(CPack)
# The zip's full name, for the tests that unpack it.
set(TAVRIO_RELEASE_ZIP ${CPACK_PACKAGE_DIRECTORY}/TavrioPanel-${PROJECT_VERSION}-win64.zip)
