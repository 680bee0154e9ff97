// Which cache-directory paths share one guard name, and what a name may hold.

#include "cache_guard_name.h"

#include <string>

#include "gtest/gtest.h"

namespace cache_guard_name {
namespace {

const std::wstring kCache = L"C:\\Program Files (x86)\\Zelvora\\cache";

TEST(ForCacheDir, OneNameForEverySpellingOfOneFolder) {
  const std::wstring name = ForCacheDir(kCache);
  for (const wchar_t* same : {L"c:\\program files (x86)\\zelvora\\CACHE",
                              L"C:/Program Files (x86)/Zelvora/cache",
                              L"C:\\Program Files (x86)\\\\Zelvora\\cache\\",
                              L"C:\\Program Files (x86)\\Zelvora\\cache//"}) {
    EXPECT_EQ(name, ForCacheDir(same)) << same;
  }
}

TEST(ForCacheDir, OtherFoldersGetOtherNames) {
  const std::wstring name = ForCacheDir(kCache);
  for (const wchar_t* other : {L"C:\\Program Files\\Zelvora\\cache",
                               L"C:\\Program Files (x86)\\Zelvora\\cache2",
                               L"C:\\Program Files (x86)\\Zelvora",
                               L"D:\\Program Files (x86)\\Zelvora\\cache"}) {
    EXPECT_NE(name, ForCacheDir(other)) << other;
  }
  // A UNC path keeps the two separators that open it.
  EXPECT_NE(ForCacheDir(L"\\\\server\\share\\cache"),
            ForCacheDir(L"\\server\\share\\cache"));
}

TEST(ForCacheDir, GlobalNameWithoutFurtherBackslashesAndOfFixedLength) {
  const std::wstring long_path = L"C:\\" + std::wstring(400, L'a') + L"\\cache";
  for (const std::wstring& path : {kCache, long_path}) {
    const std::wstring name = ForCacheDir(path);
    // Players in other sessions share a per-machine install folder.
    EXPECT_EQ(0u, name.find(L"Global\\")) << name;
    EXPECT_EQ(std::wstring::npos, name.find(L'\\', 7)) << name;
    EXPECT_EQ(ForCacheDir(kCache).size(), name.size()) << name;
    EXPECT_LT(name.size(), 260u);
  }
}

}  // namespace
}  // namespace cache_guard_name
