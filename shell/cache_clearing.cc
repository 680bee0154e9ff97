#include "cache_clearing.h"

#include "cache_paths.h"

namespace cache_clearing {

using cache_paths::EntryAction;
using cache_paths::FolderAction;

void ClearCacheWithConsent(HWND owner) {
  if (MessageBoxW(owner, L"Are you sure to delete the cache?", L"WARNING",
                  MB_YESNO) != IDYES) {
    return;
  }
  wchar_t exe_path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, exe_path, MAX_PATH);
  // A cut path would name some other folder's "cache".
  if (length == 0 || length >= MAX_PATH)
    return;
  std::wstring cache_dir;
  if (cache_paths::CacheDirBesideExe(std::wstring(exe_path, length),
                                     &cache_dir)) {
    DeleteDirectoryTree(cache_dir);
  }
}

void DeleteDirectoryTree(const std::wstring& dir) {
  // The folder's own attributes decide before anything is enumerated, so a
  // link is never emptied: not as the cache folder, nor deeper down.
  switch (cache_paths::ActionForFolder(GetFileAttributesW(dir.c_str()))) {
    case FolderAction::kLeave:
      return;
    case FolderAction::kRemoveLink:
      RemoveDirectoryW(dir.c_str());
      return;
    case FolderAction::kEmptyAndRemove:
      break;
  }
  std::wstring pattern;
  if (!cache_paths::JoinPath(dir, L"*.*", &pattern))
    return;
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE)
    return;
  do {
    const EntryAction action =
        cache_paths::ActionForEntry(entry.cFileName, entry.dwFileAttributes);
    std::wstring path;
    if (action == EntryAction::kSkip ||
        !cache_paths::JoinPath(dir, entry.cFileName, &path)) {
      continue;
    }
    switch (action) {
      case EntryAction::kDeleteTree:
        DeleteDirectoryTree(path);
        break;
      case EntryAction::kRemoveDirectory:
        RemoveDirectoryW(path.c_str());
        break;
      case EntryAction::kDeleteFile:
        DeleteFileW(path.c_str());
        break;
      case EntryAction::kSkip:
        break;
    }
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  RemoveDirectoryW(dir.c_str());
}

}  // namespace cache_clearing
