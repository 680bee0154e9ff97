// Starting and watching other programs from a test.

#ifndef ZELVORA_TESTS_SUPPORT_PROCESS_H_
#define ZELVORA_TESTS_SUPPORT_PROCESS_H_

#include <windows.h>

#include <string>

namespace test_support {

// The directory holding the running test program; the built programs and
// test data lie beside it. No trailing backslash.
std::wstring ProgramDir();

// A started process; the handles close when it goes.
class Process {
 public:
  // Starts |command_line| in |current_dir| (empty: this process's).
  Process(const std::wstring& command_line, const std::wstring& current_dir);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return info_.hProcess != nullptr; }
  // CreateProcessW's error when it was not started.
  DWORD start_error() const { return start_error_; }
  DWORD id() const { return info_.dwProcessId; }
  HANDLE handle() const { return info_.hProcess; }

  // Waits up to |timeout_ms| for the end; returns false if still running.
  bool Wait(DWORD timeout_ms);
  DWORD ExitCode() const;
  void Kill();

 private:
  PROCESS_INFORMATION info_ = {};
  DWORD start_error_ = ERROR_SUCCESS;
};

// What RunAndWait returns when the program did not run to its end. Exit
// codes are DWORDs, 0 to 0xFFFFFFFF, so neither is one.
const long long kNotStarted = -1;
const long long kNoEnd = -2;

// Runs |command_line| to its end (at most |timeout_ms|) and returns its exit
// code; kNotStarted, with CreateProcessW's error in |start_error| when
// given, or kNoEnd when it did not end in time (it is killed then).
long long RunAndWait(const std::wstring& command_line,
                     const std::wstring& current_dir,
                     DWORD timeout_ms,
                     DWORD* start_error = nullptr);

// A fresh empty directory under the temp folder, removed with its contents
// when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// Removes a directory tree as far as Windows lets it; used to clean up after
// tests. A junction or symbolic link, |dir| included, is removed as the link:
// nothing it points at is deleted.
void RemoveTree(const std::wstring& dir);

bool FileExists(const std::wstring& path);

// |path| with the "\\?\" prefix, through which Windows takes paths past
// MAX_PATH.
std::wstring LongPath(const std::wstring& path);

// A small file at the absolute |path|, and the folders above it; false when
// the file cannot be made (GetLastError says why). Paths past MAX_PATH too.
bool MakeFile(const std::wstring& path);

// Polls |condition| every 50 ms for up to |timeout_ms|; true once it holds.
template <typename Condition>
bool WaitFor(Condition condition, DWORD timeout_ms) {
  const ULONGLONG end = GetTickCount64() + timeout_ms;
  for (;;) {
    if (condition())
      return true;
    if (GetTickCount64() >= end)
      return false;
    Sleep(50);
  }
}

}  // namespace test_support

#endif  // ZELVORA_TESTS_SUPPORT_PROCESS_H_
