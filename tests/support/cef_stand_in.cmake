# A stand-in for CEF's runtime in test packages: the folders of a binary
# distribution, a file or two of each kind, in CEF_STAND_IN. The import
# library is there too, since it must not ship. Included by
# tests/installer/CMakeLists.txt; run by tests/signing/signing_test.sh:
#
#   cmake -DCEF_STAND_IN=<dir> -P cef_stand_in.cmake
if(NOT CEF_STAND_IN)
  message(FATAL_ERROR "cef_stand_in.cmake: CEF_STAND_IN is not set")
endif()
foreach(file Release/libcef.dll Release/natives_blob.bin Release/libcef.lib
             Resources/cef.pak Resources/locales/en-US.pak)
  if(NOT EXISTS ${CEF_STAND_IN}/${file})
    file(WRITE ${CEF_STAND_IN}/${file} "Stand-in for CEF's ${file}\n")
  endif()
endforeach()
