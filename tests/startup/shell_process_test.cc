// Zelvora.exe, linked against the CEF double, as a program of its own.

#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "support/process.h"
#include "support/window.h"

namespace {

using test_support::Process;
using test_support::ProgramDir;

const DWORD kTimeoutMs = 30000;

std::wstring Shell() {
  return L"\"" + ProgramDir() + L"\\Zelvora.exe\"";
}

HWND WaitForBrowserWindow(const Process& process) {
  return test_support::WaitForTopLevelWindow(process.id(), L"CefBrowserWindow",
                                             kTimeoutMs);
}

TEST(ShellProcess, ShowsItsCentredWindowAndExitsWithZeroWhenClosed) {
  Process shell(Shell() + L" --url=http://127.0.0.1:9/hall", L"");
  ASSERT_TRUE(shell.started());
  const HWND window = WaitForBrowserWindow(shell);
  ASSERT_TRUE(window) << "no browser window appeared";
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(L"Zelvora", test_support::WindowText(window));
  RECT rect;
  GetWindowRect(window, &rect);
  const int left = (GetSystemMetrics(SM_CXSCREEN) - 1100) / 2;
  const int top = (GetSystemMetrics(SM_CYSCREEN) - 800) / 2;
  EXPECT_EQ(left, rect.left);
  EXPECT_EQ(top, rect.top);
  EXPECT_EQ(left + 1100, rect.right);
  EXPECT_EQ(top + 800, rect.bottom);

  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_TRUE(shell.Wait(kTimeoutMs))
      << "still running after its window closed";
  EXPECT_EQ(0u, shell.ExitCode());
}

// Watches the shell started as a CEF sub-process of |type| until it exits:
// it must show no window at all on the way, and exit with |expected_code|.
void ExpectSubProcessWithoutWindow(const std::wstring& type,
                                   DWORD expected_code) {
  Process shell(Shell() + L" --type=" + type, L"");
  ASSERT_TRUE(shell.started());
  HWND window = nullptr;
  test_support::WaitFor(
      [&] {
        window = test_support::FindTopLevelWindow(shell.id(), L"");
        return window || shell.Wait(0);
      },
      kTimeoutMs);
  EXPECT_FALSE(window) << "expected no window from a " << type.c_str()
                       << " process; one of class "
                       << test_support::ClassOf(window).c_str() << " came";
  if (window)
    shell.Kill();
  ASSERT_TRUE(shell.Wait(kTimeoutMs)) << type.c_str() << " did not exit";
  EXPECT_EQ(expected_code, shell.ExitCode()) << type.c_str();
}

TEST(ShellProcess, AsASubProcessExitsWithCefsCodeAndShowsNothing) {
  // The double's sub-process dispatch returns this code.
  SetEnvironmentVariableW(L"CEF_DOUBLE_SUBPROCESS_EXIT_CODE", L"3");
  ExpectSubProcessWithoutWindow(L"gpu-process", 3);
  SetEnvironmentVariableW(L"CEF_DOUBLE_SUBPROCESS_EXIT_CODE", nullptr);
  ExpectSubProcessWithoutWindow(L"renderer", 0);
}

}  // namespace
