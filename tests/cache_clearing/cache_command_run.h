// Runs the shell's cache command as CEF would, with a "user" answering its
// box from another thread. Shared by the tests and the probe program.

#ifndef ZELVORA_TESTS_CACHE_CLEARING_CACHE_COMMAND_RUN_H_
#define ZELVORA_TESTS_CACHE_CLEARING_CACHE_COMMAND_RUN_H_

#include <windows.h>

#include "support/message_box.h"

struct CacheCommandRun {
  HWND browser_window = nullptr;
  test_support::MessageBoxInfo box;  // |window| null when no box came.
  bool handled = false;              // OnContextMenuCommand's result.
};

// Starts the shell in this process, picks the cache command on its main
// browser and answers the box with |answer| (IDYES, IDNO).
CacheCommandRun RunCacheCommand(int answer);

#endif  // ZELVORA_TESTS_CACHE_CLEARING_CACHE_COMMAND_RUN_H_
