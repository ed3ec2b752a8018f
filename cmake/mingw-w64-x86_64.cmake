# Cross build of the Windows plug-in with MinGW-w64 (Debian's posix-thread flavour).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VORN_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${VORN_MINGW_PREFIX}-gcc-posix ${VORN_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${VORN_MINGW_PREFIX}-g++-posix ${VORN_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${VORN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VORN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# A player's machine has no MinGW runtime DLLs: link every runtime into the binaries.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Makes the import library of ScriptHookV.dll from its .def (src/CMakeLists.txt).
find_program(CMAKE_DLLTOOL NAMES ${VORN_MINGW_PREFIX}-dlltool REQUIRED)
