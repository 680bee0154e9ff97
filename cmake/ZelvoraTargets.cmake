# Settings shared by every Windows program and test of the project.

# Everything is built as Unicode, as CEF's own build and its wrapper are:
# CEF's headers include windows.h, whose LoadString macro renames
# CefFrame::LoadString to LoadStringW or LoadStringA, so whatever sees them
# must agree. Our own code names the W or A functions outright.
add_compile_definitions(UNICODE _UNICODE)

# windows.h without the less common APIs (shell, OLE, sockets, common
# dialogs), as CEF's own build compiles its wrapper and samples: a file that
# wants one includes its header itself. Half the time windows.h costs a
# compile.
add_compile_definitions(WIN32_LEAN_AND_MEAN)

# The headers hide what they can of Windows newer than the oldest one we
# support (cmake/OldestWindows.cmake; "Using the Windows Headers").
include(${CMAKE_CURRENT_LIST_DIR}/OldestWindows.cmake)
add_compile_definitions(_WIN32_WINNT=${ZELVORA_OLDEST_WINNT}
                        WINVER=${ZELVORA_OLDEST_WINNT})

# Our own code is compiled with warnings on and fatal. CEF's handler
# interfaces hand every notification more than it needs, so unused
# parameters are no warning.
function(zelvora_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Werror
                         -Wno-unused-parameter)
endfunction()

# A built .exe needs nothing but Windows' own DLLs (and CEF's, for the shell):
# the MinGW runtime is linked in statically.
function(zelvora_static_runtime target)
  target_link_options(${target} PRIVATE -static -static-libgcc -static-libstdc++)
endfunction()

# zelvora_check_imports(target): after each link, every function the program
# imports must be in cmake/windows_imports.txt, and none may be newer than
# the oldest Windows we support; else the build stops naming the program,
# the DLL and the function (cmake/check_imports.cmake). Only the shipped
# architecture, i686, is checked: the x86_64 programs are test builds. What
# the shell imports from CEF's libcef.dll is CEF's business.
function(zelvora_check_imports target)
  if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND ${CMAKE_COMMAND}
            -DOBJDUMP=${CMAKE_OBJDUMP}
            -DPROGRAM=$<TARGET_FILE:${target}>
            -DLIST=${PROJECT_SOURCE_DIR}/cmake/windows_imports.txt
            -DOLDEST=${ZELVORA_OLDEST_WINDOWS_VERSION}
            "-DOLDEST_NAME=${ZELVORA_OLDEST_WINDOWS_NAME}"
            -DIGNORE=libcef.dll
            -P ${PROJECT_SOURCE_DIR}/cmake/check_imports.cmake
    VERBATIM)
endfunction()
