// The entry point's part of CEF's life cycle, in a sub-process and in the
// browser process.

#include <algorithm>
#include <string>
#include <vector>

#include "cache_guard.h"
#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "shell_runner.h"
#include "support/process.h"

namespace {

using shell_test::RunShell;
using shell_test::WaitForBrowsers;
using test_support::TempDir;

// Whether a process holds the guard of the current directory's "cache".
bool CacheGuardExists() {
  HANDLE mutex =
      OpenMutexW(SYNCHRONIZE, FALSE, CacheGuard::NameFor(L"cache").c_str());
  if (mutex)
    CloseHandle(mutex);
  return mutex != nullptr;
}

TEST(Startup, SubProcessReturnsCefsExitCodeAndRunsNothingOfOurs) {
  for (int code : {0, 1, 7}) {
    cef_double::Reset();
    cef_double::SetSubprocessExitCode(code);
    EXPECT_EQ(code, shell_test::RunEntryPoint(
                        L"Zelvora.exe --type=renderer --lang=en-US"))
        << "the exit code CEF's dispatch returned";
    const cef_double::StartupRecord& startup = cef_double::Startup();
    EXPECT_EQ(1, startup.execute_process_calls);
    EXPECT_TRUE(startup.execute_process_app_null)
        << "sub-processes get no application object";
    EXPECT_TRUE(startup.execute_process_sandbox_null);
    EXPECT_EQ(GetModuleHandleW(nullptr), startup.execute_process_instance);
    EXPECT_EQ(0, startup.initialize_calls) << "no settings, no CefInitialize";
    EXPECT_EQ((std::vector<std::string>{"CefEnableHighDPISupport",
                                        "CefExecuteProcess"}),
              cef_double::Calls());
  }
  cef_double::SetSubprocessExitCode(0);
}

TEST(Startup, BrowserProcessRunsCefsLifeCycleInOrderAndExitsWithZero) {
  EXPECT_EQ(0, RunShell(L"Zelvora.exe", [] { WaitForBrowsers(1); }));
  const std::vector<std::string>& calls = cef_double::Calls();
  const std::vector<std::string> expected = {"CefEnableHighDPISupport",
                                             "CefExecuteProcess",
                                             "CefInitialize",
                                             "OnContextInitialized",
                                             "CefRunMessageLoop",
                                             "CefQuitMessageLoop",
                                             "CefShutdown"};
  // Browser notifications may come in between; the order is what counts.
  size_t next = 0;
  for (const std::string& call : calls) {
    if (next < expected.size() && call == expected[next])
      ++next;
  }
  EXPECT_EQ(expected.size(), next)
      << "missing or out of order: "
      << expected[next < expected.size() ? next : 0];
  const cef_double::StartupRecord& startup = cef_double::Startup();
  EXPECT_EQ(1, startup.initialize_calls);
  EXPECT_FALSE(startup.initialize_app_null);
  EXPECT_TRUE(startup.initialize_sandbox_null);
  EXPECT_EQ(GetModuleHandleW(nullptr), startup.initialize_instance);
  EXPECT_EQ(1, startup.quit_requests);
}

TEST(Startup, SettingsAreNoSandboxRelativeCacheAndNoLogging) {
  // From another current directory, too: "cache" stays relative.
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  for (const wchar_t* dir :
       {static_cast<const wchar_t*>(here), L"C:\\windows"}) {
    SetCurrentDirectoryW(dir);
    wchar_t now[MAX_PATH];
    RunShell(L"Zelvora.exe", [&] {
      WaitForBrowsers(1);
      GetCurrentDirectoryW(MAX_PATH, now);
    });
    SetCurrentDirectoryW(here);
    EXPECT_STREQ(dir, now) << "the shell changed the current directory";

    const cef_double::RecordedSettings& s = cef_double::Startup().settings;
    EXPECT_EQ(sizeof(cef_settings_t), s.size);
    EXPECT_EQ(1, s.no_sandbox);
    EXPECT_EQ(L"cache", s.cache_path);
    EXPECT_EQ(LOGSEVERITY_DISABLE, s.log_severity);
    // Everything else keeps CEF's zero defaults.
    EXPECT_EQ(0, s.single_process);
    EXPECT_EQ(L"", s.browser_subprocess_path);
    EXPECT_EQ(0, s.multi_threaded_message_loop);
    EXPECT_EQ(0, s.windowless_rendering_enabled);
    EXPECT_EQ(0, s.command_line_args_disabled);
    EXPECT_EQ(L"", s.user_data_path);
    EXPECT_EQ(0, s.persist_session_cookies);
    EXPECT_EQ(0, s.persist_user_preferences);
    EXPECT_EQ(L"", s.user_agent);
    EXPECT_EQ(L"", s.product_version);
    EXPECT_EQ(L"", s.locale);
    EXPECT_EQ(L"", s.log_file);
    EXPECT_EQ(L"", s.javascript_flags);
    EXPECT_EQ(L"", s.resources_dir_path);
    EXPECT_EQ(L"", s.locales_dir_path);
    EXPECT_EQ(0, s.pack_loading_disabled);
    EXPECT_EQ(0, s.remote_debugging_port);
    EXPECT_EQ(0, s.uncaught_exception_stack_size);
    EXPECT_EQ(0, s.context_safety_implementation);
    EXPECT_EQ(0, s.ignore_certificate_errors);
    EXPECT_EQ(0u, s.background_color);
    EXPECT_EQ(L"", s.accept_language_list);
  }
}

// The guard is held from the start of the browser process to the end of its
// entry point and never by a sub-process. (That the system lets go of it when
// the process is killed is shell_process_test's.)
TEST(Startup, OnlyTheBrowserProcessHoldsTheCacheGuardAndOnlyWhileItRuns) {
  ASSERT_FALSE(CacheGuardExists()) << "some other process holds the guard";
  bool held_by_sub_process = true;
  cef_double::Reset();
  cef_double::SetSubprocessLife(
      [&] { held_by_sub_process = CacheGuardExists(); });
  shell_test::RunEntryPoint(L"Zelvora.exe --type=gpu-process");
  EXPECT_FALSE(held_by_sub_process)
      << "a sub-process claimed its browser process's cache";

  bool held_while_running = false;
  RunShell(L"Zelvora.exe", [&] {
    WaitForBrowsers(1);
    held_while_running = CacheGuardExists();
  });
  EXPECT_TRUE(held_while_running) << "the browser process let go of its cache";
  EXPECT_FALSE(CacheGuardExists()) << "the guard outlived the browser process";
}

TEST(Startup, WhileAnotherProcessHoldsTheCacheRunsInMemoryOtherwiseAlike) {
  // As a running Zelvora in this folder holds it.
  HANDLE other =
      CreateMutexW(nullptr, FALSE, CacheGuard::NameFor(L"cache").c_str());
  ASSERT_TRUE(other);
  RunShell(L"Zelvora.exe", [] { WaitForBrowsers(1); });
  CloseHandle(other);
  const cef_double::RecordedSettings held = cef_double::Startup().settings;
  EXPECT_EQ(L"", held.cache_path) << "CEF's in-memory cache";
  EXPECT_EQ(1, held.no_sandbox);
  EXPECT_EQ(LOGSEVERITY_DISABLE, held.log_severity);
  EXPECT_EQ(1, cef_double::Startup().quit_requests) << "it ran as usual";

  // Once that process is gone, the cache is this one's again.
  RunShell(L"Zelvora.exe", [] { WaitForBrowsers(1); });
  EXPECT_EQ(L"cache", cef_double::Startup().settings.cache_path);
}

// Windows opens one folder by many names: its 8.3 short name (which Wine
// makes up too, "ZELV~ABC"), and its long name in any case, beyond ASCII as
// well. A shell started through any of them shares the cache of a shell
// started through another, so the guard must find them taken.
TEST(Startup, TheCacheGuardKnowsOneFolderByEverySpelling) {
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  TempDir temp;
  const std::wstring folder = temp.path() + L"\\Zelvora Spiele \u00C4";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  wchar_t short_name[MAX_PATH];
  const DWORD length = GetShortPathNameW(folder.c_str(), short_name, MAX_PATH);
  ASSERT_TRUE(length > 0 && length < MAX_PATH);
  std::wstring lower = folder;
  CharLowerBuffW(&lower[0], static_cast<DWORD>(lower.size()));
  ASSERT_NE(folder, short_name) << "no short name for " << folder;

  ASSERT_TRUE(SetCurrentDirectoryW(folder.c_str()));
  {
    CacheGuard first(L"cache");
    EXPECT_TRUE(first.held()) << "a fresh folder's cache was taken";
    for (const std::wstring& spelling : {std::wstring(short_name), lower}) {
      if (!SetCurrentDirectoryW(spelling.c_str())) {
        ADD_FAILURE() << "cannot enter " << spelling;
        continue;
      }
      CacheGuard second(L"cache");
      EXPECT_FALSE(second.held())
          << "expected the cache of " << folder << " to be taken when reached "
          << "as " << spelling << "; it was free";
    }
  }
  SetCurrentDirectoryW(here);
}

// GetFullPathNameW cannot give a cache path of MAX_PATH units or more; the
// guard then has no name for the folder, and a claim without one would not
// keep a second start off it.
TEST(Startup, TheCacheGuardGivesNoSecondClaimOnACacheItCannotName) {
  wchar_t here[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, here);
  TempDir temp;
  // A current directory of 255 or 256 characters, which Windows allows
  // (MAX_PATH - 2 with the final backslash); "\cache" overflows.
  std::wstring deep = temp.path();
  while (deep.size() < 255) {
    deep += L"\\" + std::wstring(std::min<size_t>(40, 255 - deep.size()), L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr)) << deep;
  }
  ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str())) << deep;
  const CacheGuard first(L"cache");
  const CacheGuard second(L"cache");
  SetCurrentDirectoryW(here);
  EXPECT_FALSE(second.held())
      << "expected a second claim on the cache of a folder of " << deep.size()
      << " characters to fail; it held";
}

// CreateMutexW returns NULL with ERROR_INVALID_HANDLE when an object of
// another kind (here an event) has the name. The guard then holds nothing:
// it cannot tell whether another browser process writes to the cache.
TEST(Startup, TheCacheGuardHoldsNothingWhenItsMutexCannotBeMade) {
  HANDLE event =
      CreateEventW(nullptr, TRUE, FALSE, CacheGuard::NameFor(L"cache").c_str());
  ASSERT_TRUE(event) << "error " << GetLastError();
  {
    const CacheGuard guard(L"cache");
    EXPECT_FALSE(guard.held())
        << "expected no claim where CreateMutexW gave no handle; it held";
  }
  CloseHandle(event);
}

TEST(Startup, ReleasesTheApplicationObjectAfterShutdown) {
  CefRefPtr<CefApp> app;
  RunShell(L"Zelvora.exe", [&] {
    WaitForBrowsers(1);
    app = cef_double::App();
  });
  ASSERT_TRUE(app.get()) << "CEF held no application object";
  EXPECT_FALSE(cef_double::App().get()) << "CEF kept it past CefShutdown";
  // Ours is the only reference left: the entry point dropped its own.
  EXPECT_TRUE(app->HasOneRef());
}

}  // namespace
