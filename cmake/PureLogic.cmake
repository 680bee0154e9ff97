# The programs' pure logic: code free of windows.h and CEF, built into the
# programs and, with the host's compiler, into tests/native/'s sanitizer
# tests. Paths are relative to the repository's root.
set(ZELVORA_SHELL_LOGIC_SOURCES
  shell/cache_guard_name.cc
  shell/cache_paths.cc
  shell/error_page_url.cc
  shell/tree_removal.cc
  shell/window_placement.cc)
set(ZELVORA_UNINSTALL_LOGIC_SOURCES
  uninstall/uninstall_command.cc)

# Their tests, run under Wine and natively.
set(ZELVORA_SHELL_LOGIC_TESTS
  tests/cache_clearing/cache_paths_test.cc
  tests/cache_clearing/tree_removal_test.cc
  tests/startup/cache_guard_name_test.cc
  tests/error_page/error_page_url_test.cc
  tests/escape_key/window_placement_test.cc)
set(ZELVORA_UNINSTALL_LOGIC_TESTS
  tests/uninstall/uninstall_command_test.cc)
