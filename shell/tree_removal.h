// How every tree of ours is taken apart: the shell's cache command, the
// package's cache removal and the tests' clean-up. A link is never entered:
// a folder that is a link goes as the link, so nothing it points at is ever
// touched; a path that cannot be named is skipped. Free of windows.h:
// attributes are the WIN32_FIND_DATAW bits, paths are UTF-16 on Windows.

#ifndef ZELVORA_SHELL_TREE_REMOVAL_H_
#define ZELVORA_SHELL_TREE_REMOVAL_H_

#include <cstddef>
#include <cstdint>
#include <string>

namespace tree_removal {

// MAX_PATH: a plain path fits the Windows API in this many units, the
// terminating zero included. Only a "\\?\" path may be longer ("Naming
// Files, Paths, and Namespaces"), and only the tests' clean-up makes those.
constexpr size_t kMaxPath = 260;

// FILE_ATTRIBUTE_DIRECTORY and FILE_ATTRIBUTE_REPARSE_POINT.
constexpr uint32_t kAttributeDirectory = 0x10;
constexpr uint32_t kAttributeReparsePoint = 0x400;
// INVALID_FILE_ATTRIBUTES: GetFileAttributesW failed.
constexpr uint32_t kNoAttributes = 0xFFFFFFFF;

// What joins a folder and a name. Windows takes either in a plain path, but
// a "\\?\" path only the backslash; a caller that logs paths shows the one
// it chose.
enum class Separator : wchar_t {
  kSlash = L'/',
  kBackslash = L'\\',
};

// What to do with a folder about to be emptied, by its own attributes
// (GetFileAttributesW reports a link's own, not its target's).
enum class FolderAction {
  kLeave,           // Missing, unreadable or no directory: left alone.
  kRemoveLink,      // A junction or link to a directory: removed as the link
                    // itself, never enumerated.
  kEmptyAndRemove,  // A real directory.
};

FolderAction ActionForFolder(uint32_t attributes);

// What to do with one directory entry.
enum class EntryAction {
  kSkip,             // "." and "..".
  kDeleteFile,       // A file, or a link to one: the link is deleted.
  kDeleteTree,       // A real directory: emptied, then removed.
  kRemoveDirectory,  // A junction or link to a directory: removed as the
                     // link itself, its target never enumerated.
};

EntryAction ActionForEntry(const std::wstring& name, uint32_t attributes);

// "<dir><separator><name>", whether or not it can be named.
std::wstring Join(const std::wstring& dir,
                  const std::wstring& name,
                  Separator separator);

// Whether the plain path |path| can be named: under kMaxPath units.
bool CanBeNamed(const std::wstring& path);

// Join() into |path|; false, with |path| untouched, when the result cannot
// be named.
bool JoinPath(const std::wstring& dir,
              const std::wstring& name,
              Separator separator,
              std::wstring* path);

}  // namespace tree_removal

#endif  // ZELVORA_SHELL_TREE_REMOVAL_H_
