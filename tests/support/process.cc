#include "support/process.h"

#include <cstdio>
#include <vector>

#include "tree_removal.h"

namespace test_support {

std::wstring ProgramDir() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring dir(path, length);
  return dir.substr(0, dir.find_last_of(L'\\'));
}

Process::Process(const std::wstring& command_line,
                 const std::wstring& current_dir) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  std::vector<wchar_t> buffer(command_line.begin(), command_line.end());
  buffer.push_back(L'\0');
  if (!CreateProcessW(nullptr, buffer.data(), nullptr, nullptr, FALSE, 0,
                      nullptr,
                      current_dir.empty() ? nullptr : current_dir.c_str(),
                      &startup, &info_)) {
    start_error_ = GetLastError();
    info_ = {};
    // Said here, for every test: a failed start is rare and its cause is
    // what a report needs.
    fwprintf(stderr, L"CreateProcessW(%ls) failed: error %lu\n",
             command_line.c_str(), start_error_);
  }
}

Process::~Process() {
  if (info_.hProcess) {
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
}

bool Process::Wait(DWORD timeout_ms) {
  return started() &&
         WaitForSingleObject(info_.hProcess, timeout_ms) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
  DWORD code = STILL_ACTIVE;
  if (started())
    GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

void Process::Kill() {
  if (started() && ExitCode() == STILL_ACTIVE) {
    TerminateProcess(info_.hProcess, 1);
    WaitForSingleObject(info_.hProcess, 5000);
  }
}

long long RunAndWait(const std::wstring& command_line,
                     const std::wstring& current_dir,
                     DWORD timeout_ms,
                     DWORD* start_error) {
  Process process(command_line, current_dir);
  if (start_error)
    *start_error = process.start_error();
  if (!process.started())
    return kNotStarted;
  if (!process.Wait(timeout_ms)) {
    process.Kill();
    return kNoEnd;
  }
  return process.ExitCode();
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  for (unsigned n = GetTickCount() ^ GetCurrentProcessId();; ++n) {
    std::wstring candidate =
        std::wstring(base) + L"zelvora-test-" + std::to_wstring(n);
    if (CreateDirectoryW(candidate.c_str(), nullptr)) {
      path_ = candidate;
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS)
      return;
  }
}

TempDir::~TempDir() {
  if (!path_.empty())
    RemoveTree(path_);
}

void RemoveTree(const std::wstring& dir) {
  // The rules every tree removal of ours follows: cleaning up must not
  // delete what a link points at. Backslashes: |dir| may be a "\\?\" path,
  // which may also be longer than MAX_PATH.
  switch (tree_removal::ActionForFolder(GetFileAttributesW(dir.c_str()))) {
    case tree_removal::FolderAction::kLeave:
      return;
    case tree_removal::FolderAction::kRemoveLink:
      RemoveDirectoryW(dir.c_str());
      return;
    case tree_removal::FolderAction::kEmptyAndRemove:
      break;
  }
  const auto join = [&dir](const std::wstring& name) {
    return tree_removal::Join(dir, name, tree_removal::Separator::kBackslash);
  };
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(join(L"*").c_str(), &entry);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring path = join(entry.cFileName);
      // Read-only entries cannot be deleted. Links keep their attributes:
      // nothing is done through one. Asked only of what is removed: "." and
      // ".." are this folder and the one above it.
      const bool link = entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT;
      switch (tree_removal::ActionForEntry(entry.cFileName,
                                           entry.dwFileAttributes)) {
        case tree_removal::EntryAction::kSkip:
          break;
        case tree_removal::EntryAction::kDeleteFile:
          if (!link)
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          DeleteFileW(path.c_str());
          break;
        case tree_removal::EntryAction::kDeleteTree:
          SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
          RemoveTree(path);
          break;
        case tree_removal::EntryAction::kRemoveDirectory:
          RemoveDirectoryW(path.c_str());
          break;
      }
    } while (FindNextFileW(find, &entry));
    FindClose(find);
  }
  RemoveDirectoryW(dir.c_str());
}

bool FileExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring LongPath(const std::wstring& path) {
  return L"\\\\?\\" + path;
}

bool MakeFile(const std::wstring& path) {
  // Past "C:\"; folders that are there already stay as they are.
  for (size_t slash = path.find(L'\\', 3); slash != std::wstring::npos;
       slash = path.find(L'\\', slash + 1)) {
    CreateDirectoryW(LongPath(path.substr(0, slash)).c_str(), nullptr);
  }
  HANDLE file = CreateFileW(LongPath(path).c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  WriteFile(file, "data\r\n", 6, &written, nullptr);
  CloseHandle(file);
  return true;
}

}  // namespace test_support
