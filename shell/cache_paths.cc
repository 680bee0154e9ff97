#include "cache_paths.h"

namespace cache_paths {

EntryAction ActionForEntry(const std::wstring& name, uint32_t attributes) {
  if (name.empty() || name[0] == L'.')
    return EntryAction::kSkip;
  // A link is never followed: what it points at lies outside the cache.
  if (attributes & kAttributeReparsePoint) {
    return (attributes & kAttributeDirectory) ? EntryAction::kRemoveDirectory
                                              : EntryAction::kDeleteFile;
  }
  return (attributes & kAttributeDirectory) ? EntryAction::kDeleteTree
                                            : EntryAction::kDeleteFile;
}

FolderAction ActionForFolder(uint32_t attributes) {
  if (attributes == kNoAttributes || !(attributes & kAttributeDirectory))
    return FolderAction::kLeave;
  // Checked before every enumeration, the first one included: a cache
  // folder that is itself a link would otherwise be emptied through it.
  if (attributes & kAttributeReparsePoint)
    return FolderAction::kRemoveLink;
  return FolderAction::kEmptyAndRemove;
}

bool JoinPath(const std::wstring& dir,
              const std::wstring& name,
              std::wstring* path) {
  if (dir.size() + 1 + name.size() >= kMaxPath)
    return false;
  *path = dir + L'/' + name;
  return true;
}

bool CacheDirBesideExe(const std::wstring& exe_path, std::wstring* cache_dir) {
  const size_t separator = exe_path.rfind(L'\\');
  if (separator == std::wstring::npos)
    return false;
  return JoinPath(exe_path.substr(0, separator), L"cache", cache_dir);
}

}  // namespace cache_paths
