#include "cache_guard.h"

#include "cache_guard_name.h"

CacheGuard::CacheGuard(const wchar_t* cache_dir) {
  const std::wstring name = NameFor(cache_dir);
  if (name.empty())
    return;
  // Only whether it exists counts: no process owns it or waits on it.
  HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    // Another process holds it. Keeping our handle would keep the mutex
    // alive after that process ends and shut out the next start.
    CloseHandle(mutex);
    return;
  }
  // No handle at all: most likely another player's mutex that this one may
  // not open (ERROR_ACCESS_DENIED). The cache counts as another process's
  // then: held() is false.
  mutex_ = mutex;
}

CacheGuard::~CacheGuard() {
  if (mutex_)
    CloseHandle(mutex_);
}

std::wstring CacheGuard::NameFor(const wchar_t* cache_dir) {
  wchar_t full[MAX_PATH];
  wchar_t* name_part = nullptr;
  const DWORD length = GetFullPathNameW(cache_dir, MAX_PATH, full, &name_part);
  if (length == 0 || length >= MAX_PATH || !name_part)
    return std::wstring();
  // The folder holding it by its long name: "C:\PROGRA~2\Zelvora" and
  // "C:\Program Files (x86)\Zelvora" are one folder. It exists (it is the
  // current directory's or below it), where the cache may not exist yet.
  const std::wstring leaf = name_part;
  name_part[0] = L'\0';
  wchar_t parent[MAX_PATH];
  const DWORD parent_length = GetLongPathNameW(full, parent, MAX_PATH);
  const std::wstring path = (parent_length > 0 && parent_length < MAX_PATH
                                 ? std::wstring(parent, parent_length)
                                 : std::wstring(full)) +
                            L"\\" + leaf;
  // Windows compares file names without regard to case, beyond ASCII too;
  // the invariant locale maps them alike for every player.
  std::wstring upper(path.size(), L'\0');
  const int size = static_cast<int>(path.size());
  if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, path.c_str(), size,
                    &upper[0], size, nullptr, nullptr, 0) != size) {
    return std::wstring();
  }
  return cache_guard_name::ForCacheDir(upper);
}
