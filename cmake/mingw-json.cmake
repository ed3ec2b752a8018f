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
# The version comes from the headers themselves, so that a version request is answered truthfully.
file(STRINGS ${VORN_HOST_JSON_HEADERS}/detail/abi_macros.hpp vorn_json_version_lines
  REGEX "#define NLOHMANN_JSON_VERSION_(MAJOR|MINOR|PATCH) +[0-9]+")
string(REGEX MATCH "NLOHMANN_JSON_VERSION_MAJOR ([0-9]+)" ignored "${vorn_json_version_lines}")
set(vorn_json_major ${CMAKE_MATCH_1})
string(REGEX MATCH "NLOHMANN_JSON_VERSION_MINOR ([0-9]+)" ignored "${vorn_json_version_lines}")
set(vorn_json_minor ${CMAKE_MATCH_1})
string(REGEX MATCH "NLOHMANN_JSON_VERSION_PATCH ([0-9]+)" ignored "${vorn_json_version_lines}")
set(vorn_json_version ${vorn_json_major}.${vorn_json_minor}.${CMAKE_MATCH_1})
# Same-major compatibility, as the package's own version file has it.
file(WRITE ${vorn_json_root}/nlohmann_jsonConfigVersion.cmake "
set(PACKAGE_VERSION ${vorn_json_version})
set(PACKAGE_VERSION_COMPATIBLE FALSE)
if(NOT PACKAGE_FIND_VERSION OR (PACKAGE_FIND_VERSION_MAJOR STREQUAL \"${vorn_json_major}\" AND
   NOT PACKAGE_FIND_VERSION VERSION_GREATER PACKAGE_VERSION))
  set(PACKAGE_VERSION_COMPATIBLE TRUE)
endif()
if(PACKAGE_FIND_VERSION STREQUAL PACKAGE_VERSION)
  set(PACKAGE_VERSION_EXACT TRUE)
endif()
")
set(nlohmann_json_DIR ${vorn_json_root} CACHE PATH "nlohmann/json for the MinGW build" FORCE)
