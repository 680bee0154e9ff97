// Path rules of the cache-clearing command. Free of windows.h: attributes
// are the WIN32_FIND_DATAW bits, paths are UTF-16 on Windows.

#ifndef ZELVORA_SHELL_CACHE_PATHS_H_
#define ZELVORA_SHELL_CACHE_PATHS_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace cache_paths {

// Every path is built in a buffer of this many units, zero included.
constexpr size_t kMaxPath = 260;

// FILE_ATTRIBUTE_DIRECTORY and FILE_ATTRIBUTE_REPARSE_POINT.
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeReparsePoint = 0x400;
// INVALID_FILE_ATTRIBUTES: GetFileAttributesW failed.
constexpr uint32_t kNoAttributes = 0xFFFFFFFF;

// What the tree deletion does with a directory it is about to empty, by that
// directory's own attributes (GetFileAttributesW reports a link's own, not
// its target's).
enum class FolderAction {
  kLeave,           // Missing, unreadable or no directory: left alone.
  kRemoveLink,      // A junction or link to a directory: removed as the link
                    // itself, never enumerated.
  kEmptyAndRemove,  // A real directory.
};

FolderAction ActionForFolder(uint32_t attributes);

// What the tree deletion does with one directory entry.
enum class EntryAction {
  kSkip,             // Names beginning with ".": ".", ".." and hidden ones.
  kDeleteFile,       // A file, or a link to one: DeleteFileW.
  kDeleteTree,       // A real directory: emptied, then removed.
  kRemoveDirectory,  // A junction or link to a directory: removed as the
                     // link itself, its target never enumerated.
};

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
