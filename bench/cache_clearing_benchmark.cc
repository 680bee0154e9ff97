// Times cache_clearing::DeleteDirectoryTree against "cmd /c rd /s /q" on two
// identical cache-like trees made in the same run.
//
// cache_clearing_benchmark [parent folder]   (default: the temp folder)

#include <windows.h>

#include <cstdio>
#include <string>

#include "cache_clearing.h"

namespace {

const int kFolders = 200;
const int kFilesPerFolder = 100;

bool MakeTree(const std::wstring& root) {
  if (!CreateDirectoryW(root.c_str(), nullptr))
    return false;
  for (int d = 0; d < kFolders; ++d) {
    const std::wstring folder = root + L"\\f_" + std::to_wstring(d);
    if (!CreateDirectoryW(folder.c_str(), nullptr))
      return false;
    for (int f = 0; f < kFilesPerFolder; ++f) {
      const std::wstring path = folder + L"\\data_" + std::to_wstring(f);
      HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (file == INVALID_HANDLE_VALUE)
        return false;
      DWORD written = 0;
      WriteFile(file, "cache entry", 11, &written, nullptr);
      CloseHandle(file);
    }
  }
  return true;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(to.QuadPart - from.QuadPart) /
         static_cast<double>(frequency.QuadPart);
}

bool RemoveWithRd(const std::wstring& root) {
  std::wstring line = L"cmd.exe /c rd /s /q \"" + root + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &info)) {
    return false;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::wstring parent;
  if (argc > 1) {
    parent = argv[1];
  } else {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    parent = temp;
  }
  if (!parent.empty() && parent.back() == L'\\')
    parent.pop_back();
  const std::wstring base =
      parent + L"\\cache-bench-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring ours = base + L"-shell";
  const std::wstring rd = base + L"-rd";

  std::printf("%d files of 11 bytes in %d folders, twice, under %ls\n",
              kFolders * kFilesPerFolder, kFolders, parent.c_str());
  LARGE_INTEGER start, made, deleted, removed;
  QueryPerformanceCounter(&start);
  if (!MakeTree(ours) || !MakeTree(rd)) {
    std::printf("could not make the trees (error %lu)\n", GetLastError());
    return 1;
  }
  QueryPerformanceCounter(&made);
  cache_clearing::DeleteDirectoryTree(ours);
  QueryPerformanceCounter(&deleted);
  if (!RemoveWithRd(rd)) {
    std::printf("could not start cmd.exe (error %lu)\n", GetLastError());
    return 1;
  }
  QueryPerformanceCounter(&removed);

  const double ours_s = Seconds(made, deleted);
  const double rd_s = Seconds(deleted, removed);
  std::printf("making both trees:     %8.3f s\n", Seconds(start, made));
  std::printf("DeleteDirectoryTree:   %8.3f s%s\n", ours_s,
              GetFileAttributesW(ours.c_str()) == INVALID_FILE_ATTRIBUTES
                  ? ""
                  : "  (tree NOT fully deleted)");
  std::printf("cmd /c rd /s /q:       %8.3f s%s\n", rd_s,
              GetFileAttributesW(rd.c_str()) == INVALID_FILE_ATTRIBUTES
                  ? ""
                  : "  (tree NOT fully deleted)");
  std::printf("ratio shell / rd:      %8.2f\n", ours_s / rd_s);
  return 0;
}
