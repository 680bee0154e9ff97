// Runs the shell's cache command once and answers its box with Yes, from
// wherever this program was copied to. Prints what GetModuleFileNameW gave.
// Exit status: 0 done, 3 the program's path was not cut, 4 no box or the
// command was not handled.

#include <windows.h>

#include <cstdio>
#include <thread>

#include "hall_client.h"
#include "include/cef_client.h"
#include "shell_runner.h"
#include "support/message_box.h"

int wmain() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::printf("GetModuleFileNameW: %lu units, error %lu\n", length,
              GetLastError());
  if (length < MAX_PATH)
    return 3;

  bool asked = false;
  bool handled = false;
  shell_test::RunShell(L"Zelvora.exe", [&] {
    if (!shell_test::WaitForBrowsers(1))
      return;
    CefRefPtr<CefBrowser> browser = cef_double::OpenBrowsers()[0];
    std::thread user([&] {
      const test_support::MessageBoxInfo box = test_support::WaitForMessageBox(
          GetCurrentProcessId(), shell_test::kTimeoutMs);
      asked = box.window != nullptr;
      if (asked)
        test_support::PressButton(box, IDYES);
    });
    handled =
        browser->GetHost()
            ->GetClient()
            ->GetContextMenuHandler()
            ->OnContextMenuCommand(browser, browser->GetMainFrame(), nullptr,
                                   MENU_ID_HALL_CLEAR_CACHE, EVENTFLAG_NONE);
    user.join();
  });
  std::printf("asked: %d, handled: %d\n", asked, handled);
  return asked && handled ? 0 : 4;
}
