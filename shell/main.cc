// Zelvora's entry point, in every process: CEF's sub-processes are this
// same executable started again with their own switches.

#include <windows.h>

#include "cache_guard.h"
#include "hall_app.h"
#include "include/cef_app.h"

int APIENTRY wWinMain(HINSTANCE instance,
                      HINSTANCE previous_instance,
                      LPWSTR command_line,
                      int show_command) {
  // The manifest declares no DPI awareness; this is where the process
  // becomes aware, in every role.
  CefEnableHighDPISupport();

  CefMainArgs main_args(instance);

  // A sub-process (renderer, GPU, ...) runs to its end in here, with CEF's
  // defaults: none of the shell's own code runs in it.
  const int exit_code = CefExecuteProcess(main_args, nullptr, nullptr);
  if (exit_code >= 0)
    return exit_code;

  // Two browser processes writing into one cache directory destroy its
  // cookies and stored data. While another Zelvora holds "cache", this one
  // runs on CEF's in-memory cache (an empty path) and writes nothing there.
  CacheGuard cache_guard(L"cache");

  CefSettings settings;
  settings.no_sandbox = true;
  // Relative: resolved against the current directory.
  if (cache_guard.held())
    CefString(&settings.cache_path) = "cache";
  settings.log_severity = LOGSEVERITY_DISABLE;

  CefRefPtr<HallApp> app(new HallApp());
  CefInitialize(main_args, settings, app.get(), nullptr);

  // Returns once the last browser window has closed.
  CefRunMessageLoop();

  CefShutdown();
  app = nullptr;
  return 0;
}
