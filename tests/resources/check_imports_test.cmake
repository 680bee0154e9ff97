# The build's import check (cmake/check_imports.cmake) on the shipped
# Zelvora.exe, given lists that each lack or date one function: the check
# must stop on the first DLL's first import as on the last DLL's last, name
# the function and its DLL, and remove the program.
#
#   cmake -DCHECK=<check_imports.cmake> -DOBJDUMP=<objdump> -DLIST=<list>
#         -DPROGRAM=<Zelvora.exe> -DWORK=<dir> -P check_imports_test.cmake
foreach(var CHECK OBJDUMP LIST PROGRAM WORK)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_imports_test.cmake: ${var} is not set")
  endif()
endforeach()
file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
file(READ ${LIST} list)

set(failures 0)
# expect_stop(NAME LIST-TEXT EXPECTED): the check, given LIST-TEXT, fails
# with EXPECTED in its message and leaves no program behind.
function(expect_stop name text expected)
  file(WRITE ${WORK}/${name}.txt "${text}")
  file(COPY ${PROGRAM} DESTINATION ${WORK}/${name})
  get_filename_component(program_name ${PROGRAM} NAME)
  set(program ${WORK}/${name}/${program_name})
  execute_process(COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${OBJDUMP}
                          -DPROGRAM=${program} -DLIST=${WORK}/${name}.txt
                          -DOLDEST=6.0 "-DOLDEST_NAME=Windows Vista"
                          -DIGNORE=libcef.dll -P ${CHECK}
                  RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
  string(REGEX REPLACE "[ \n]+" " " out "${out}")
  if(result EQUAL 0)
    message(SEND_ERROR "${name}: the check passed; expected it to stop "
                       "with \"${expected}\"")
  elseif(NOT out MATCHES "${expected}")
    message(SEND_ERROR "${name}: expected \"${expected}\", got: ${out}")
  elseif(EXISTS ${program})
    message(SEND_ERROR "${name}: the check stopped but left ${program_name}")
  endif()
endfunction()

# The first import checked (comctl32.dll's, after libcef.dll's), dated
# Windows 8.
string(REGEX REPLACE "(comctl32.dll +DefSubclassProc +)XP" "\\18" newer
       "${list}")
expect_stop(newer "${newer}" "DefSubclassProc from comctl32.dll, which \
Windows 8 introduced: the programs run on Windows Vista and later")
# The last import of the last DLL (user32.dll's), missing.
string(REGEX REPLACE "user32.dll +SetWindowTextW +2000" "" missing "${list}")
expect_stop(missing "${missing}" "SetWindowTextW from user32.dll, which .* \
does not list")
file(REMOVE_RECURSE ${WORK})
