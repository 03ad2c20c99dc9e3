# Cross-compiles the 32-bit Windows plug-in with Debian's mingw-w64 i686 toolchain.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)

set(K7V_MINGW_PREFIX i686-w64-mingw32)
# The posix thread model is needed for std::mutex in GoogleTest; both variants ship in Debian.
find_program(CMAKE_CXX_COMPILER NAMES ${K7V_MINGW_PREFIX}-g++-posix ${K7V_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_C_COMPILER NAMES ${K7V_MINGW_PREFIX}-gcc-posix ${K7V_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${K7V_MINGW_PREFIX}-windres REQUIRED)

set(CMAKE_FIND_ROOT_PATH /usr/${K7V_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows test programs run under Wine; cmake/wine-run.sh gives each run a prepared prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
