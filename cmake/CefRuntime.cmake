# What of a CEF binary distribution ships beside Zelvora.exe, into dist/
# (cmake/Cef.cmake) and into the package (installer/stage_payload.cmake):
# the DLLs, V8 snapshots and helper programs of Release/ (not its import and
# sandbox libraries), and all of Resources/, locales/ included.

# zelvora_cef_runtime_binaries(RELEASE_DIR OUT): Release/'s files that ship.
function(zelvora_cef_runtime_binaries release_dir out)
  file(GLOB binaries LIST_DIRECTORIES false
       ${release_dir}/*.dll ${release_dir}/*.bin ${release_dir}/*.exe)
  set(${out} ${binaries} PARENT_SCOPE)
endfunction()
