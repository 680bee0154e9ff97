# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 (i686).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(ZELVORA_MINGW_PREFIX i686-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which GCC 12's win32
# model lacks. -static links its winpthread in, so no DLL comes along.
set(CMAKE_C_COMPILER ${ZELVORA_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZELVORA_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ZELVORA_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ZELVORA_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Tests are Windows programs; ctest runs them through Wine.
find_program(ZELVORA_WINE wine)
if(ZELVORA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELVORA_WINE})
endif()
