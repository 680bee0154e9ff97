# Cross-compiles for 32-bit Windows with Debian's MinGW-w64 (i686): the
# architecture Zelvora ships.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(ZELVORA_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

# Tests are Windows programs; ctest runs them through 32-bit Wine.
find_program(ZELVORA_WINE wine)
if(ZELVORA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELVORA_WINE})
endif()
