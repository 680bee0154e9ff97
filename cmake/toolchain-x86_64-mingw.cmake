# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (x86_64). Never
# shipped: the tests run this build under 64-bit Wine where the machine
# cannot run 32-bit programs.
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZELVORA_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)

# Tests run through Wine's 64-bit loader itself: Debian's "wine" script picks
# the 32-bit one whenever it is installed, even where it cannot run.
find_program(ZELVORA_WINE wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH)
if(ZELVORA_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ZELVORA_WINE})
endif()
