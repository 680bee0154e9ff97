# Settings shared by every Windows program and test of the project.

# Everything is built as Unicode, as CEF's own build and its wrapper are:
# CEF's headers include windows.h, whose LoadString macro renames
# CefFrame::LoadString to LoadStringW or LoadStringA, so whatever sees them
# must agree. Our own code names the W or A functions outright.
add_compile_definitions(UNICODE _UNICODE)

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
