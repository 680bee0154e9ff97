// One browser process per cache directory: CEF's disk cache and stored site
// data are lost when two browser processes write into the same directory.

#ifndef ZELVORA_SHELL_CACHE_GUARD_H_
#define ZELVORA_SHELL_CACHE_GUARD_H_

#include <windows.h>

#include <string>

// Claims a cache directory for this process with a named mutex, which the
// system closes however the process ends. The claim lasts as long as the
// object.
class CacheGuard {
 public:
  // Claims |cache_dir|, resolved against the current directory as CEF
  // resolves its cache path, unless another process holds it.
  explicit CacheGuard(const wchar_t* cache_dir);
  ~CacheGuard();
  CacheGuard(const CacheGuard&) = delete;
  CacheGuard& operator=(const CacheGuard&) = delete;

  // Whether this process holds the directory. False also when the claim
  // could not be made at all: then no one can tell who else writes there.
  bool held() const { return mutex_ != nullptr; }

  // The mutex's name for |cache_dir| as seen from the current directory;
  // empty when its full path cannot be read.
  static std::wstring NameFor(const wchar_t* cache_dir);

 private:
  HANDLE mutex_ = nullptr;
};

#endif  // ZELVORA_SHELL_CACHE_GUARD_H_
