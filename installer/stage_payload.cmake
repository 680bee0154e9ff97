# Gathers what a Zelvora package holds into STAGE and lists the CEF runtime
# for wixl. Run at build time by cmake/Installer.cmake:
#
#   cmake -DSTAGE=<dir> -DSHELL=<Zelvora.exe> -DUNINSTALLER=<uninstall.exe>
#         -DERROR_PAGE=<error.html> -DSTRIP=<strip or empty>
#         -DCEF_RUNTIME_DIR=<dir> -DCEF_RESOURCE_DIR=<dir> -DHEAT=<wixl-heat>
#         [-DSIGNING=<build>/zelvora_signing.cmake] -P stage_payload.cmake
#
# STAGE gets Zelvora.exe and uninstall.exe (stripped, as dist/ gets them,
# then signed when SIGNING says the build signs: cmake/Signing.cmake),
# error.html, cef/ with the runtime the shell needs beside it, and
# cef_runtime.wxs: one component per file of cef/, in the CefRuntime
# component group, installed into INSTALLDIR with cef/'s layout. wixl takes
# sources by relative paths only: it runs in STAGE.

foreach(var STAGE SHELL UNINSTALLER ERROR_PAGE CEF_RUNTIME_DIR CEF_RESOURCE_DIR
            HEAT)
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

file(COPY ${SHELL} ${UNINSTALLER} ${ERROR_PAGE} DESTINATION ${STAGE})
if(STRIP)
  get_filename_component(shell_name ${SHELL} NAME)
  get_filename_component(uninstaller_name ${UNINSTALLER} NAME)
  execute_process(
    COMMAND ${STRIP} ${STAGE}/${shell_name} ${STAGE}/${uninstaller_name}
    COMMAND_ERROR_IS_FATAL ANY)
endif()

# Signed after stripping: strip rewrites the file, which would drop the
# signature or break it.
if(SIGNING)
  include(${SIGNING})
  if(ZELVORA_SIGNING)
    foreach(program ${SHELL} ${UNINSTALLER})
      get_filename_component(name ${program} NAME)
      execute_process(
        COMMAND ${CMAKE_COMMAND} -DSETTINGS=${SIGNING} -DIN=${STAGE}/${name}
                -P ${ZELVORA_SIGN_SCRIPT}
        COMMAND_ERROR_IS_FATAL ANY)
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
# Hard links where the file system allows: the runtime is large.
foreach(file ${binaries})
  get_filename_component(name ${file} NAME)
  file(CREATE_LINK ${file} ${STAGE}/cef/${name} COPY_ON_ERROR)
endforeach()
file(GLOB_RECURSE resources LIST_DIRECTORIES false RELATIVE ${CEF_RESOURCE_DIR}
     ${CEF_RESOURCE_DIR}/*)
foreach(file ${resources})
  get_filename_component(dir ${STAGE}/cef/${file} DIRECTORY)
  file(MAKE_DIRECTORY ${dir})
  file(CREATE_LINK ${CEF_RESOURCE_DIR}/${file} ${STAGE}/cef/${file}
       COPY_ON_ERROR)
endforeach()

# wixl-heat opens a <Directory> whenever the folder changes from one line to
# the next: give it the top-level files first, then each folder's files
# together.
file(GLOB_RECURSE staged LIST_DIRECTORIES false RELATIVE ${STAGE}/cef
     ${STAGE}/cef/*)
set(top "")
set(nested "")
foreach(file ${staged})
  if(file MATCHES "/")
    list(APPEND nested ${STAGE}/cef/${file})
  else()
    list(APPEND top ${STAGE}/cef/${file})
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
  COMMAND ${HEAT} --prefix ${STAGE}/cef/ --directory-ref INSTALLDIR
          --component-group CefRuntime --var var.CefDir
  INPUT_FILE ${STAGE}/cef_files.txt
  OUTPUT_FILE ${STAGE}/cef_runtime.wxs
  COMMAND_ERROR_IS_FATAL ANY)
