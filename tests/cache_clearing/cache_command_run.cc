#include "cache_command_run.h"

#include <thread>

#include "cef_double_control.h"
#include "hall_client.h"
#include "include/cef_client.h"
#include "shell_runner.h"

CacheCommandRun RunCacheCommand(int answer) {
  CacheCommandRun run;
  shell_test::RunShell(L"Zelvora.exe", [&] {
    if (!shell_test::WaitForBrowsers(1))
      return;
    CefRefPtr<CefBrowser> browser = cef_double::OpenBrowsers()[0];
    run.browser_window = browser->GetHost()->GetWindowHandle();
    std::thread user([&] {
      run.box = test_support::WaitForMessageBox(GetCurrentProcessId(),
                                                shell_test::kTimeoutMs);
      if (run.box.window)
        test_support::PressButton(run.box, answer);
    });
    run.handled =
        browser->GetHost()
            ->GetClient()
            ->GetContextMenuHandler()
            ->OnContextMenuCommand(browser, browser->GetMainFrame(), nullptr,
                                   MENU_ID_HALL_CLEAR_CACHE, EVENTFLAG_NONE);
    user.join();
  });
  return run;
}
