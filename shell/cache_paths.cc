#include "cache_paths.h"

namespace cache_paths {

EntryAction ActionForEntry(const std::wstring& name, uint32_t attributes) {
  if (!name.empty() && name[0] == L'.')
    return EntryAction::kSkip;
  return tree_removal::ActionForEntry(name, attributes);
}

bool JoinPath(const std::wstring& dir,
              const std::wstring& name,
              std::wstring* path) {
  return tree_removal::JoinPath(dir, name, kSeparator, path);
}

bool CacheDirBesideExe(const std::wstring& exe_path, std::wstring* cache_dir) {
  const size_t separator = exe_path.rfind(L'\\');
  if (separator == std::wstring::npos)
    return false;
  return JoinPath(exe_path.substr(0, separator), L"cache", cache_dir);
}

}  // namespace cache_paths
