// The name of the system object that marks a cache directory as in use by a
// running browser process. Free of windows.h: paths are UTF-16 on Windows.

#ifndef ZELVORA_SHELL_CACHE_GUARD_NAME_H_
#define ZELVORA_SHELL_CACHE_GUARD_NAME_H_

#include <string>

namespace cache_guard_name {

// The guard's name for the cache directory at |full_path|, an absolute path
// as GetFullPathNameW gives it. Spellings that Windows takes for the same
// folder give the same name: "/" and "\" alike, runs of separators as one,
// trailing separators dropped, ASCII letters in either case. Other letters
// are the caller's to fold: CacheGuard::NameFor upper-cases every letter
// before it calls this. The name begins "Global\" so that players in
// different sessions, who share a per-machine install folder, see each
// other's guard; its length does not depend on the path's, and it holds no
// backslash after that prefix.
std::wstring ForCacheDir(const std::wstring& full_path);

}  // namespace cache_guard_name

#endif  // ZELVORA_SHELL_CACHE_GUARD_NAME_H_
