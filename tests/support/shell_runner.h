// Runs the shell's real entry point in this test process, on the CEF
// double, with a test script played from inside CEF's message loop.

#ifndef ZELVORA_TESTS_SUPPORT_SHELL_RUNNER_H_
#define ZELVORA_TESTS_SUPPORT_SHELL_RUNNER_H_

#include <windows.h>

#include <functional>
#include <string>

#include "cef_double_control.h"

namespace shell_test {

constexpr DWORD kTimeoutMs = 10000;

// Starts the shell as if from |command_line| (program name first) and plays
// |script| once the message loop runs. Whatever the script leaves open is
// closed afterwards, so a failed assertion cannot leave the loop running.
// Returns the entry point's exit status.
int RunShell(const std::wstring& command_line,
             std::function<void()> script = nullptr);

// The same without forgetting the double's earlier records and settings.
int RunEntryPoint(const std::wstring& command_line,
                  std::function<void()> script = nullptr);

// Waits, pumping messages, until |count| browsers are open.
bool WaitForBrowsers(size_t count);

// The browser's top-level window, as the shell sees it.
HWND WindowOf(CefRefPtr<CefBrowser> browser);

// Closes |browser|'s window like the user does and waits until CEF has
// destroyed it.
void CloseWindow(CefRefPtr<CefBrowser> browser);

// Pumps until everything queued on the loop so far, CEF's deferred work
// included, has run.
void Settle();

}  // namespace shell_test

#endif  // ZELVORA_TESTS_SUPPORT_SHELL_RUNNER_H_
