# A CEF 3.2623 Windows 32-bit binary distribution, unpacked at CEF_ROOT:
# builds its C++ wrapper library from source and links libcef.

if(NOT EXISTS ${CEF_ROOT}/include/cef_app.h OR
   NOT EXISTS ${CEF_ROOT}/libcef_dll)
  message(FATAL_ERROR "CEF_ROOT=${CEF_ROOT} is no CEF binary distribution")
endif()

set(CEF_RUNTIME_DIR ${CEF_ROOT}/Release)
set(CEF_RESOURCE_DIR ${CEF_ROOT}/Resources)

# The wrapper: every source the distribution ships under libcef_dll/.
file(GLOB_RECURSE cef_wrapper_sources ${CEF_ROOT}/libcef_dll/*.cc)
add_library(libcef_dll_wrapper STATIC ${cef_wrapper_sources})
# CEF's headers are not held to our warnings.
target_include_directories(libcef_dll_wrapper SYSTEM PUBLIC ${CEF_ROOT})
# The wrapper side of libcef's C API, as CEF's own build defines it (Unicode:
# cmake/ZelvoraTargets.cmake).
target_compile_definitions(libcef_dll_wrapper PUBLIC
  USING_CEF_SHARED NOMINMAX)
# CEF's code, not ours: no warnings. Its string wrappers call strlen without
# including <cstring>, which GCC does not forgive.
target_compile_options(libcef_dll_wrapper PRIVATE -w -include cstring)

# MinGW's linker takes the DLL itself where no import library fits.
if(EXISTS ${CEF_RUNTIME_DIR}/libcef.lib)
  set(cef_import ${CEF_RUNTIME_DIR}/libcef.lib)
else()
  set(cef_import ${CEF_RUNTIME_DIR}/libcef.dll)
endif()

add_library(cef INTERFACE)
target_link_libraries(cef INTERFACE libcef_dll_wrapper ${cef_import})

# Zelvora.exe needs CEF's DLLs and data beside it, and locales/ below it.
include(${CMAKE_CURRENT_LIST_DIR}/CefRuntime.cmake)
function(zelvora_install_cef_runtime)
  zelvora_cef_runtime_binaries(${CEF_RUNTIME_DIR} binaries)
  install(FILES ${binaries} DESTINATION .)
  install(DIRECTORY ${CEF_RESOURCE_DIR}/ DESTINATION .)
endfunction()
