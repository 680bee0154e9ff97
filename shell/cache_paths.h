// Path rules of the cache-clearing command: the rules every tree removal
// follows (tree_removal.h), with the command's own choices. Free of
// windows.h.

#ifndef ZELVORA_SHELL_CACHE_PATHS_H_
#define ZELVORA_SHELL_CACHE_PATHS_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "tree_removal.h"

namespace cache_paths {

// Every path is built in a buffer of this many units, zero included.
using tree_removal::kMaxPath;

using tree_removal::kAttributeDirectory;
using tree_removal::kAttributeReparsePoint;
using tree_removal::kNoAttributes;

using tree_removal::ActionForFolder;
using tree_removal::EntryAction;
using tree_removal::FolderAction;

// The command's paths join with a forward slash.
constexpr tree_removal::Separator kSeparator = tree_removal::Separator::kSlash;

// As tree_removal::ActionForEntry, and names beginning with "." are skipped
// too: the browser's lock files and hidden entries stay.
EntryAction ActionForEntry(const std::wstring& name, uint32_t attributes);

// "<dir>/<name>" into |path|; false, with |path| untouched, when it would not
// fit in kMaxPath units.
bool JoinPath(const std::wstring& dir,
              const std::wstring& name,
              std::wstring* path);

// The "cache" directory beside the executable at |exe_path| ("C:\a\b.exe"
// gives "C:\a/cache"); false when the path has no directory part or the
// result would not fit.
bool CacheDirBesideExe(const std::wstring& exe_path, std::wstring* cache_dir);

}  // namespace cache_paths

#endif  // ZELVORA_SHELL_CACHE_PATHS_H_
