// Runs the shell's cache command once and answers its box with Yes, from
// wherever this program was copied to. Prints what GetModuleFileNameW gave.
// Exit status: 0 done, 3 the program's path was not cut, 4 no box or the
// command was not handled.

#include <windows.h>

#include <cstdio>

#include "cache_command_run.h"

int wmain() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::printf("GetModuleFileNameW: %lu units, error %lu\n", length,
              GetLastError());
  if (length < MAX_PATH)
    return 3;

  const CacheCommandRun run = RunCacheCommand(IDYES);
  const bool asked = run.box.window != nullptr;
  const bool handled = run.handled;
  std::printf("asked: %d, handled: %d\n", asked, handled);
  return asked && handled ? 0 : 4;
}
