#include "tree_removal.h"

#include <utility>

namespace tree_removal {

FolderAction ActionForFolder(uint32_t attributes) {
  if (attributes == kNoAttributes || !(attributes & kAttributeDirectory))
    return FolderAction::kLeave;
  // Asked before every enumeration, the first one included: a folder that is
  // itself a link would otherwise be emptied through it.
  if (attributes & kAttributeReparsePoint)
    return FolderAction::kRemoveLink;
  return FolderAction::kEmptyAndRemove;
}

EntryAction ActionForEntry(const std::wstring& name, uint32_t attributes) {
  if (name.empty() || name == L"." || name == L"..")
    return EntryAction::kSkip;
  // A link is never followed: what it points at lies outside the tree.
  if (attributes & kAttributeReparsePoint) {
    return (attributes & kAttributeDirectory) ? EntryAction::kRemoveDirectory
                                              : EntryAction::kDeleteFile;
  }
  return (attributes & kAttributeDirectory) ? EntryAction::kDeleteTree
                                            : EntryAction::kDeleteFile;
}

std::wstring Join(const std::wstring& dir,
                  const std::wstring& name,
                  Separator separator) {
  return dir + static_cast<wchar_t>(separator) + name;
}

bool CanBeNamed(const std::wstring& path) {
  return path.size() < kMaxPath;
}

bool JoinPath(const std::wstring& dir,
              const std::wstring& name,
              Separator separator,
              std::wstring* path) {
  std::wstring joined = Join(dir, name, separator);
  if (!CanBeNamed(joined))
    return false;
  *path = std::move(joined);
  return true;
}

}  // namespace tree_removal
