# Shared part of the MinGW-w64 toolchain files: the includer sets
# ZELVORA_MINGW_PREFIX and CMAKE_SYSTEM_PROCESSOR first.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model: GoogleTest needs std::mutex, which GCC 12's win32
# model lacks. -static links its winpthread in, so no DLL comes along.
set(CMAKE_C_COMPILER ${ZELVORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVORA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELVORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
