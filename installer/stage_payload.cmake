# Gathers what a Zelvora package holds into STAGE and lists the CEF runtime
# for wixl. Run at build time by cmake/Installer.cmake:
#
#   cmake -DSTAGE=<dir> -DSHELL=<Zelvora.exe> -DUNINSTALLER=<uninstall.exe>
#         -DCACHE_REMOVAL=<cache_removal.dll> -DERROR_PAGE=<error.html>
#         -DOBJCOPY=<objcopy or empty> -DSOURCE_DATE_EPOCH=<seconds>
#         -DCEF_RUNTIME_DIR=<dir> -DCEF_RESOURCE_DIR=<dir> -DHEAT=<wixl-heat>
#         [-DSIGNING=<build>/zelvora_signing.cmake] -P stage_payload.cmake
#
# STAGE gets Zelvora.exe, uninstall.exe and the package's custom action
# cache_removal.dll (stripped by cmake/ship_program.cmake, as dist/ gets the
# programs, then signed when SIGNING says the build signs:
# cmake/Signing.cmake), error.html, cef/ with the runtime the shell needs
# beside it, and cef_runtime.wxs: one component per file of cef/, in the
# CefRuntime component group, installed into INSTALLDIR with cef/'s layout.
# wixl takes sources by relative paths only: it runs in STAGE.
#
# The package's cabinet dates each file with its modification time: every
# staged file gets SOURCE_DATE_EPOCH's.

foreach(var STAGE SHELL UNINSTALLER CACHE_REMOVAL ERROR_PAGE SOURCE_DATE_EPOCH
            CEF_RUNTIME_DIR CEF_RESOURCE_DIR HEAT)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "stage_payload.cmake: ${var} is not set")
  endif()
endforeach()

# STAGE itself is the working folder of the build step: only its contents go.
file(GLOB old LIST_DIRECTORIES true ${STAGE}/*)
if(old)
  file(REMOVE_RECURSE ${old})
endif()
file(MAKE_DIRECTORY ${STAGE}/cef)

file(COPY ${SHELL} ${UNINSTALLER} ${CACHE_REMOVAL} ${ERROR_PAGE}
     DESTINATION ${STAGE})
set(code_names "")
foreach(program ${SHELL} ${UNINSTALLER} ${CACHE_REMOVAL})
  get_filename_component(name ${program} NAME)
  list(APPEND code_names ${name})
endforeach()
# Each as cmake/ship_program.cmake ships it, in this process (a function
# scope: its IN and OUT are each program's own).
set(ship_script ${CMAKE_CURRENT_LIST_DIR}/../cmake/ship_program.cmake)
function(ship_staged name)
  set(IN ${STAGE}/${name})
  include(${ship_script})
endfunction()
if(OBJCOPY)
  foreach(name ${code_names})
    ship_staged(${name})
  endforeach()
endif()

# Signed after stripping: stripping rewrites the file, which would drop the
# signature or break it.
if(SIGNING)
  include(${SIGNING})
  if(ZELVORA_SIGNING)
    # In this process, as the programs were shipped.
    function(sign_staged name)
      set(SETTINGS ${SIGNING})
      set(IN ${STAGE}/${name})
      include(${ZELVORA_SIGN_SCRIPT})
    endfunction()
    foreach(name ${code_names})
      sign_staged(${name})
    endforeach()
  endif()
endif()

# The runtime files that ship, as dist/ gets them.
include(${CMAKE_CURRENT_LIST_DIR}/../cmake/CefRuntime.cmake)
zelvora_cef_runtime_binaries(${CEF_RUNTIME_DIR} binaries)
if(NOT binaries OR NOT IS_DIRECTORY ${CEF_RESOURCE_DIR})
  message(FATAL_ERROR "No CEF runtime in ${CEF_RUNTIME_DIR} and "
                      "${CEF_RESOURCE_DIR}")
endif()
# Copies, not links: their modification times are set below, and the
# distribution's own files keep theirs.
file(COPY ${binaries} DESTINATION ${STAGE}/cef)
file(COPY ${CEF_RESOURCE_DIR}/ DESTINATION ${STAGE}/cef)

file(GLOB_RECURSE payload LIST_DIRECTORIES false RELATIVE ${STAGE}
     ${STAGE}/*)
execute_process(
  COMMAND touch --no-dereference --date=@${SOURCE_DATE_EPOCH} ${payload}
  WORKING_DIRECTORY ${STAGE}
  COMMAND_ERROR_IS_FATAL ANY)

# wixl-heat opens a <Directory> whenever the folder changes from one line to
# the next: give it the top-level files first, then each folder's files
# together.
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE ${STAGE}/cef
     ${STAGE}/cef/*)
set(top "")
set(nested "")
foreach(file ${staged})
  if(file MATCHES "/")
    list(APPEND nested cef/${file})
  else()
    list(APPEND top cef/${file})
  endif()
endforeach()
list(SORT top)
list(SORT nested)
list(JOIN top "\n" lines)
if(nested)
  list(JOIN nested "\n" nested_lines)
  string(APPEND lines "\n${nested_lines}")
endif()
file(WRITE ${STAGE}/cef_files.txt "${lines}\n")

execute_process(
  COMMAND ${HEAT} --prefix cef/ --directory-ref INSTALLDIR
          --component-group CefRuntime --var var.CefDir
  INPUT_FILE ${STAGE}/cef_files.txt
  OUTPUT_FILE ${STAGE}/cef_runtime.wxs
  WORKING_DIRECTORY ${STAGE}
  COMMAND_ERROR_IS_FATAL ANY)

# wixl-heat names each <Directory> by a digest of its absolute path, which
# would make the package depend on where it was built: they are numbered in
# order instead.
file(READ ${STAGE}/cef_runtime.wxs wxs)
string(REGEX MATCHALL "dir[0-9A-F]+" directory_ids "${wxs}")
list(REMOVE_DUPLICATES directory_ids)
set(number 0)
foreach(id ${directory_ids})
  math(EXPR number "${number} + 1")
  string(REPLACE "\"${id}\"" "\"CefDir${number}\"" wxs "${wxs}")
endforeach()
file(WRITE ${STAGE}/cef_runtime.wxs "${wxs}")
