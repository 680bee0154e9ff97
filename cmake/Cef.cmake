# A CEF 3 Windows binary distribution of branch 2623, unpacked unchanged at
# CEF_ROOT (cef_binary_3.2623.<build>.g<hash>_windows32 for the i686
# toolchain, _windows64 for the x86_64 one): builds its C++ wrapper library
# from the sources under libcef_dll/ with MinGW-w64 and links libcef.dll.
#
# CEF builds its Windows distributions with MSVC. What they lack for GCC, the
# project supplies in cmake/cef_mingw/ (README, "The shell and CEF"); the
# distribution's own files are used as they are.

# The distribution of the toolchain's architecture.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(cef_format pei-i386)
  set(cef_distribution windows32)
else()
  set(cef_format pei-x86-64)
  set(cef_distribution windows64)
endif()

# What marks a Windows distribution: its headers, wrapper sources, runtime
# and resources.
foreach(file include/cef_app.h include/base/cef_atomicops.h
             include/internal/cef_types_win.h libcef_dll Release/libcef.dll
             Resources)
  if(NOT EXISTS ${CEF_ROOT}/${file})
    message(FATAL_ERROR "CEF_ROOT=${CEF_ROOT} is not a CEF 3.2623 Windows "
            "binary distribution (cef_binary_3.2623.*_${cef_distribution}, "
            "unpacked): it has no ${file}")
  endif()
endforeach()

set(CEF_RUNTIME_DIR ${CEF_ROOT}/Release)
set(CEF_RESOURCE_DIR ${CEF_ROOT}/Resources)
set(cef_dll ${CEF_RUNTIME_DIR}/libcef.dll)
# What is read from the distribution below (libcef.dll's exports, the files
# Release/ ships) is read again when it changes: a file of Release/ changed,
# added or removed.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
             ${cef_dll} ${CEF_RUNTIME_DIR})

# libcef.dll must be of the toolchain's architecture.
execute_process(COMMAND ${CMAKE_OBJDUMP} -p ${cef_dll}
                OUTPUT_VARIABLE cef_dll_dump RESULT_VARIABLE result)
if(NOT result EQUAL 0 OR NOT cef_dll_dump MATCHES "file format ${cef_format}")
  message(FATAL_ERROR "CEF_ROOT=${CEF_ROOT}: Release/libcef.dll is not a "
          "${cef_format} DLL; this toolchain needs the ${cef_distribution} "
          "distribution")
endif()

# libcef's import library, made from the DLL's own export table: the
# distribution's Release/libcef.lib is MSVC's. libcef exports C functions
# with the C calling convention, undecorated, so the names in the table are
# exactly what dlltool needs. Made again whenever the DLL changes.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${cef_dll})
string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" cef_exports
       "${cef_dll_dump}")
string(REGEX REPLACE "\n\n.*" "" cef_exports "${cef_exports}")
# One "\t[   n] name" line per export.
string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] ([^\n]+)" "\\1" cef_exports
       "${cef_exports}")
# Only names a C or GCC-compiled caller can reach: anything else (an MSVC
# C++ name such as "?f@@YAXXZ") is left out.
string(REGEX REPLACE "[^\n]*[^A-Za-z0-9_\n][^\n]*" "" cef_exports
       "${cef_exports}")
string(REGEX REPLACE "\n+" "\n" cef_exports "${cef_exports}")
string(STRIP "${cef_exports}" cef_exports)
if(NOT cef_exports)
  message(FATAL_ERROR "CEF_ROOT=${CEF_ROOT}: Release/libcef.dll exports "
          "nothing")
endif()
# Rewritten only when the exports change, so that nothing relinks otherwise.
set(cef_import_dir ${CMAKE_BINARY_DIR}/cef-import)
set(cef_import ${cef_import_dir}/libcef.dll.a)
file(WRITE ${cef_import_dir}/exports.def
     "LIBRARY libcef.dll\nEXPORTS\n${cef_exports}\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different
                ${cef_import_dir}/exports.def ${cef_import_dir}/libcef.def)
if(NOT EXISTS ${cef_import} OR
   ${cef_import_dir}/libcef.def IS_NEWER_THAN ${cef_import})
  # dlltool names its symbols after the output path: a relative one keeps
  # the build folder out of them, and so out of the programs.
  execute_process(
    COMMAND ${CMAKE_DLLTOOL} --input-def libcef.def
            --dllname libcef.dll --output-lib libcef.dll.a
    WORKING_DIRECTORY ${cef_import_dir}
    RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    file(REMOVE ${cef_import})
    message(FATAL_ERROR "dlltool could not make libcef's import library")
  endif()
endif()

# The wrapper: every source the distribution ships under libcef_dll/.
file(GLOB_RECURSE cef_wrapper_sources CONFIGURE_DEPENDS
     ${CEF_ROOT}/libcef_dll/*.cc)
add_library(libcef_dll_wrapper STATIC ${cef_wrapper_sources})
# CEF's code, not ours: no warnings.
target_compile_options(libcef_dll_wrapper PRIVATE -w)

# Whatever includes CEF's headers: the wrapper, the shell, the tests.
add_library(cef_headers INTERFACE)
# The distribution's headers first; ours fill in only what it lacks for GCC.
# CEF's headers are not held to our warnings.
target_include_directories(cef_headers SYSTEM INTERFACE
  ${CEF_ROOT} ${CMAKE_CURRENT_LIST_DIR}/cef_mingw)
# The wrapper side of libcef's C API, as CEF's own build defines it (Unicode:
# cmake/ZelvoraTargets.cmake).
target_compile_definitions(cef_headers INTERFACE USING_CEF_SHARED NOMINMAX)
# include/internal/cef_string_wrappers.h calls strlen without including
# <cstring>. Debug builds get it through cef_logging.h; under NDEBUG nothing
# brings it in, and MinGW's libstdc++ does not either.
target_compile_options(cef_headers INTERFACE
  "$<$<COMPILE_LANGUAGE:CXX>:SHELL:-include cstring>")
target_link_libraries(libcef_dll_wrapper PUBLIC cef_headers)

# What the shell links: the wrapper (and with it the headers) and libcef.
add_library(cef INTERFACE)
target_link_libraries(cef INTERFACE libcef_dll_wrapper ${cef_import})

# Zelvora.exe needs CEF's DLLs and data beside it, and locales/ below it.
include(${CMAKE_CURRENT_LIST_DIR}/CefRuntime.cmake)
function(zelvora_install_cef_runtime)
  zelvora_cef_runtime_binaries(${CEF_RUNTIME_DIR} binaries)
  install(FILES ${binaries} DESTINATION .)
  install(DIRECTORY ${CEF_RESOURCE_DIR}/ DESTINATION .)
endfunction()
