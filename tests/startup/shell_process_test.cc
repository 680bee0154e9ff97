// Zelvora.exe, linked against the CEF double, as a program of its own.

#include <windows.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "gtest/gtest.h"
#include "support/process.h"
#include "support/window.h"

namespace {

using test_support::Process;
using test_support::ProgramDir;
using test_support::TempDir;

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

// Zelvora.exe started in |dir|, the way its shortcut starts it in its install
// folder; the double writes the cache path CEF got into |report|.
std::unique_ptr<Process> StartIn(const std::wstring& dir,
                                 const std::wstring& report) {
  SetEnvironmentVariableW(L"CEF_DOUBLE_SETTINGS_FILE", report.c_str());
  std::unique_ptr<Process> shell(new Process(Shell(), dir));
  SetEnvironmentVariableW(L"CEF_DOUBLE_SETTINGS_FILE", nullptr);
  return shell;
}

// The cache path a process reported once its window is up; "(none)" when
// it showed no window or reported nothing.
std::string CachePathOf(const Process& shell, const std::wstring& report) {
  if (!WaitForBrowserWindow(shell))
    return "(none)";
  std::ifstream in(report.c_str(), std::ios::binary);
  if (!in)
    return "(none)";
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Close(Process& shell) {
  PostMessageW(WaitForBrowserWindow(shell), WM_CLOSE, 0, 0);
  if (!shell.Wait(kTimeoutMs))
    shell.Kill();
}

// Two browser processes writing into one cache directory destroy its data.
TEST(ShellProcess, OneCacheDirectoryServesOneBrowserProcessAtATime) {
  TempDir install, other_install, reports;
  const std::wstring report = reports.path() + L"\\";

  std::unique_ptr<Process> shells[5];
  shells[0] = StartIn(install.path(), report + L"first");
  EXPECT_EQ("cache", CachePathOf(*shells[0], report + L"first"));
  shells[1] = StartIn(install.path(), report + L"second");
  EXPECT_EQ("", CachePathOf(*shells[1], report + L"second"))
      << "a second start in the same folder uses CEF's in-memory cache";
  shells[2] = StartIn(other_install.path(), report + L"other");
  EXPECT_EQ("cache", CachePathOf(*shells[2], report + L"other"))
      << "another install folder has a cache of its own";

  // The first one closed: its cache is free again, though the in-memory
  // second one still runs.
  Close(*shells[0]);
  shells[3] = StartIn(install.path(), report + L"after-close");
  EXPECT_EQ("cache", CachePathOf(*shells[3], report + L"after-close"));

  // Killed, it cannot let go of anything itself: the system does.
  shells[3]->Kill();
  shells[4] = StartIn(install.path(), report + L"after-kill");
  EXPECT_EQ("cache", CachePathOf(*shells[4], report + L"after-kill"));

  for (std::unique_ptr<Process>& shell : shells) {
    if (shell->ExitCode() == STILL_ACTIVE)
      Close(*shell);
  }
}

}  // namespace
