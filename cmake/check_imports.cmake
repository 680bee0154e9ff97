# Checks every function a program imports against the list of Windows
# functions we may use, with the oldest Windows that has each:
#
#   cmake -DOBJDUMP=<objdump> -DPROGRAM=<exe or dll> -DLIST=<list>
#         -DOLDEST=<NT version, 6.0> -DOLDEST_NAME=<Windows Vista>
#         [-DIGNORE=<dll;...>] -P check_imports.cmake
#
# Wine has every function of every Windows, so a program that imports one
# newer than the oldest Windows it claims starts there and every test passes;
# on that older Windows the loader refuses it ("The procedure entry point ...
# could not be located"). A function missing from the list, one that is
# newer than OLDEST, or an import by ordinal stops the build, naming the
# program, the DLL and the function, and the program is removed, so that the
# next build links and checks it again. DLLs in IGNORE are left alone.
cmake_minimum_required(VERSION 3.20)
foreach(var OBJDUMP PROGRAM LIST OLDEST OLDEST_NAME)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_imports.cmake: ${var} is not set")
  endif()
endforeach()
get_filename_component(program_name ${PROGRAM} NAME)
string(TOLOWER "${IGNORE}" IGNORE)

# The list: "<dll> <function> <Windows>" per line, # starts a comment.
set(windows_2000 5.0)
set(windows_XP 5.1)
set(windows_Vista 6.0)
set(windows_7 6.1)
set(windows_8 6.2)
set(windows_8.1 6.3)
set(windows_10 10.0)
file(STRINGS ${LIST} entries)
foreach(entry IN LISTS entries)
  string(REGEX REPLACE "#.*" "" entry "${entry}")
  string(STRIP "${entry}" entry)
  if(entry STREQUAL "")
    continue()
  endif()
  if(NOT entry MATCHES "^([^ \t]+)[ \t]+([^ \t]+)[ \t]+([^ \t]+)$")
    message(FATAL_ERROR "${LIST}: not \"<dll> <function> <Windows>\": ${entry}")
  endif()
  string(TOLOWER "${CMAKE_MATCH_1}" dll)
  set(function ${CMAKE_MATCH_2})
  set(windows ${CMAKE_MATCH_3})
  if(NOT DEFINED windows_${windows})
    message(FATAL_ERROR "${LIST}: ${function}: unknown Windows \"${windows}\"")
  endif()
  set(oldest_${dll}_${function} ${windows})
endforeach()

execute_process(COMMAND ${OBJDUMP} -p ${PROGRAM}
  OUTPUT_VARIABLE dump RESULT_VARIABLE result ERROR_VARIABLE error)
if(NOT result EQUAL 0)
  file(REMOVE ${PROGRAM})
  message(FATAL_ERROR "${program_name}: objdump failed: ${error}")
endif()

# objdump -p lists each imported DLL ("\tDLL Name: KERNEL32.dll"), then one
# line per import: "\t<thunk>\t <hint>  <name>", or "<none>" for an ordinal.
string(REPLACE ";" "," dump "${dump}")
string(REPLACE "\n" ";" lines "${dump}")
set(dll "")
set(seen_dll OFF)
set(faults "")
set(count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^\tDLL Name: (.+)$")
    string(TOLOWER "${CMAKE_MATCH_1}" dll)
    set(seen_dll ON)
    continue()
  endif()
  if(dll STREQUAL "" OR NOT line MATCHES "^\t[0-9a-fA-F]+\t +[0-9]+ +(.+)$")
    if(line MATCHES "^[^\t]")
      set(dll "")  # The import tables end with the next section of the dump.
    endif()
    # The next section's heading: what follows (base relocations, thousands
    # of lines in a program) holds no imports.
    if(seen_dll AND line MATCHES "^[^ \t]")
      break()
    endif()
    continue()
  endif()
  set(function ${CMAKE_MATCH_1})
  if(dll IN_LIST IGNORE)
    continue()
  endif()
  math(EXPR count "${count} + 1")
  if(function STREQUAL "<none>")
    list(APPEND faults "an import by ordinal from ${dll}: import it by name")
  elseif(NOT DEFINED oldest_${dll}_${function})
    list(APPEND faults "${function} from ${dll}, which ${LIST} does not \
list: add it with the oldest Windows that has it (the \"Minimum supported \
client\" of its page on learn.microsoft.com)")
  elseif(windows_${oldest_${dll}_${function}} VERSION_GREATER OLDEST)
    list(APPEND faults "${function} from ${dll}, which Windows \
${oldest_${dll}_${function}} introduced: the programs run on ${OLDEST_NAME} \
and later")
  endif()
endforeach()

if(count EQUAL 0)
  file(REMOVE ${PROGRAM})
  message(FATAL_ERROR "${program_name}: objdump -p showed no imports")
endif()
if(faults)
  file(REMOVE ${PROGRAM})
  string(REPLACE ";" "\n  " faults "${faults}")
  message(FATAL_ERROR "${program_name} imports\n  ${faults}")
endif()
message("${program_name}: ${count} imports, all in ${OLDEST_NAME}")
