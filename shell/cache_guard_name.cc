#include "cache_guard_name.h"

#include <cstdint>

namespace cache_guard_name {

namespace {

bool IsSeparator(wchar_t c) {
  return c == L'\\' || c == L'/';
}

// One spelling per folder: backslashes, runs of separators as one (the two
// that open a UNC path "\\server\share" stay), no trailing separator, ASCII
// letters in upper case.
std::wstring Normalized(const std::wstring& path) {
  std::wstring out;
  for (size_t i = 0; i < path.size(); ++i) {
    wchar_t c = path[i];
    if (IsSeparator(c)) {
      if (i > 1 && IsSeparator(path[i - 1]))
        continue;
      c = L'\\';
    } else if (c >= L'a' && c <= L'z') {
      c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    out += c;
  }
  while (out.size() > 1 && out.back() == L'\\')
    out.pop_back();
  return out;
}

}  // namespace

std::wstring ForCacheDir(const std::wstring& full_path) {
  // A path may be longer than an object name may be (MAX_PATH) and holds
  // backslashes, which a name may not after its namespace: the name carries
  // the path's 64-bit FNV-1a hash over its UTF-16 units instead.
  uint64_t hash = 0xcbf29ce484222325ull;
  for (wchar_t unit : Normalized(full_path)) {
    hash ^= static_cast<uint16_t>(unit);
    hash *= 0x100000001b3ull;
  }
  static const wchar_t kHex[] = L"0123456789ABCDEF";
  std::wstring name = L"Global\\Zelvora.cache.";
  for (int shift = 60; shift >= 0; shift -= 4)
    name += kHex[(hash >> shift) & 0xF];
  return name;
}

}  // namespace cache_guard_name
