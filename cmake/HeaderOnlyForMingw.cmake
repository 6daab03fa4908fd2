# Header-only libraries from Debian (Boost, nlohmann-json) for the mingw build. /usr/include itself must never
# be on the mingw include path (its glibc headers would be picked up), so a build-tree folder links only these.
set(TAVRIO_HEADER_ONLY_DIR ${CMAKE_BINARY_DIR}/header-only)
file(MAKE_DIRECTORY ${TAVRIO_HEADER_ONLY_DIR})
foreach(lib boost nlohmann)
  if(EXISTS /usr/include/${lib} AND NOT EXISTS ${TAVRIO_HEADER_ONLY_DIR}/${lib})
    file(CREATE_LINK /usr/include/${lib} ${TAVRIO_HEADER_ONLY_DIR}/${lib} SYMBOLIC)
  endif()
endforeach()
add_library(header_only_libs INTERFACE)
target_include_directories(header_only_libs SYSTEM INTERFACE ${TAVRIO_HEADER_ONLY_DIR})
