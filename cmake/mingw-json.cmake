# nlohmann/json for the MinGW build of the stand-in. It is header-only, so the Debian package's
# headers serve both targets; but only that one directory is exposed (through a symlink), never
# /usr/include itself, whose glibc headers would shadow MinGW's. find_package(nlohmann_json) then
# finds this package as it finds the system one on Linux.

set(VORN_HOST_JSON_HEADERS /usr/include/nlohmann CACHE PATH "nlohmann/json headers of the build machine")
set(vorn_json_root ${CMAKE_BINARY_DIR}/host-json)
if(NOT EXISTS ${VORN_HOST_JSON_HEADERS}/json.hpp)
  message(STATUS "nlohmann/json not found in ${VORN_HOST_JSON_HEADERS}: the Windows stand-in is not built")
  return()
endif()
file(MAKE_DIRECTORY ${vorn_json_root}/include)
if(NOT EXISTS ${vorn_json_root}/include/nlohmann)
  file(CREATE_LINK ${VORN_HOST_JSON_HEADERS} ${vorn_json_root}/include/nlohmann SYMBOLIC)
endif()
file(WRITE ${vorn_json_root}/nlohmann_jsonConfig.cmake "
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
    INTERFACE_INCLUDE_DIRECTORIES \"${vorn_json_root}/include\"
    INTERFACE_SYSTEM_INCLUDE_DIRECTORIES \"${vorn_json_root}/include\")
endif()
set(nlohmann_json_FOUND TRUE)
")
set(nlohmann_json_DIR ${vorn_json_root} CACHE PATH "nlohmann/json for the MinGW build" FORCE)
