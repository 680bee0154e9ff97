// Which folders and entries the cache deletion touches, and how its paths
// are built within MAX_PATH.

#include "cache_paths.h"

#include <string>

#include "gtest/gtest.h"

namespace cache_paths {
namespace {

const uint32_t kNormal = 0x80;   // FILE_ATTRIBUTE_NORMAL
const uint32_t kArchive = 0x20;  // FILE_ATTRIBUTE_ARCHIVE
const uint32_t kHidden = 0x2;    // FILE_ATTRIBUTE_HIDDEN
const uint32_t kDir = kAttributeDirectory;
const uint32_t kLink = kAttributeReparsePoint;

TEST(ActionForEntry, RecursesOnlyIntoRealDirectories) {
  EXPECT_EQ(EntryAction::kDeleteTree, ActionForEntry(L"Cache", kDir));
  EXPECT_EQ(EntryAction::kDeleteTree, ActionForEntry(L"Cache", kDir | kHidden));
  EXPECT_EQ(EntryAction::kDeleteFile, ActionForEntry(L"data_0", kNormal));
  EXPECT_EQ(EntryAction::kDeleteFile, ActionForEntry(L"index", kArchive));
}

TEST(ActionForEntry, RemovesLinksWithoutFollowingThem) {
  // A junction or a directory symlink: removed as a directory, never
  // enumerated, so nothing it points at is lost.
  EXPECT_EQ(EntryAction::kRemoveDirectory,
            ActionForEntry(L"junction", kDir | kLink));
  // A file symlink: the link itself is deleted.
  EXPECT_EQ(EntryAction::kDeleteFile, ActionForEntry(L"filelink", kLink));
  EXPECT_EQ(EntryAction::kDeleteFile,
            ActionForEntry(L"filelink", kLink | kArchive));
}

// Asked of every folder before it is enumerated, the cache folder included.
TEST(ActionForFolder, EmptiesOnlyRealDirectories) {
  EXPECT_EQ(FolderAction::kEmptyAndRemove, ActionForFolder(kDir));
  EXPECT_EQ(FolderAction::kEmptyAndRemove, ActionForFolder(kDir | kHidden));
  EXPECT_EQ(FolderAction::kRemoveLink, ActionForFolder(kDir | kLink));
  EXPECT_EQ(FolderAction::kRemoveLink, ActionForFolder(kDir | kLink | kHidden));
  // Missing (INVALID_FILE_ATTRIBUTES has every bit set), a file, or a link
  // to a file: there is no folder to empty.
  EXPECT_EQ(FolderAction::kLeave, ActionForFolder(kNoAttributes));
  EXPECT_EQ(FolderAction::kLeave, ActionForFolder(kArchive));
  EXPECT_EQ(FolderAction::kLeave, ActionForFolder(kLink));
}

TEST(ActionForEntry, SkipsEveryNameBeginningWithADot) {
  for (const wchar_t* name : {L".", L"..", L".lock", L".hidden-dir"}) {
    EXPECT_EQ(EntryAction::kSkip, ActionForEntry(name, kDir)) << name;
    EXPECT_EQ(EntryAction::kSkip, ActionForEntry(name, kNormal)) << name;
    EXPECT_EQ(EntryAction::kSkip, ActionForEntry(name, kDir | kLink)) << name;
  }
  EXPECT_EQ(EntryAction::kDeleteFile, ActionForEntry(L"a.b", kNormal));
}

TEST(JoinPath, JoinsWithAForwardSlashWithinMaxPath) {
  std::wstring path = L"untouched";
  ASSERT_TRUE(JoinPath(L"C:\\Zelvora/cache", L"*.*", &path));
  EXPECT_EQ(L"C:\\Zelvora/cache/*.*", path);

  // 259 units and the terminating zero fill the buffer exactly.
  const std::wstring dir(200, L'd');
  const std::wstring name(58, L'n');
  ASSERT_TRUE(JoinPath(dir, name, &path));
  EXPECT_EQ(259u, path.size());

  // One unit more does not fit: the path is not built, nor cut.
  path = L"untouched";
  EXPECT_FALSE(JoinPath(dir, name + L"n", &path));
  EXPECT_EQ(L"untouched", path);
  EXPECT_FALSE(JoinPath(std::wstring(100000, L'd'), L"x", &path));
}

TEST(CacheDirBesideExe, ReplacesTheProgramNameWithCache) {
  std::wstring dir;
  ASSERT_TRUE(
      CacheDirBesideExe(L"C:\\Program Files\\Zelvora\\Zelvora.exe", &dir));
  EXPECT_EQ(L"C:\\Program Files\\Zelvora/cache", dir);
  ASSERT_TRUE(CacheDirBesideExe(L"Z:\\Zelvora.exe", &dir));
  EXPECT_EQ(L"Z:/cache", dir);
}

TEST(CacheDirBesideExe, RefusesPathsItCannotPlace) {
  std::wstring dir = L"untouched";
  EXPECT_FALSE(CacheDirBesideExe(L"Zelvora.exe", &dir)) << "no directory";
  EXPECT_FALSE(CacheDirBesideExe(L"", &dir));
  // "<dir>/cache" would need 260 units and the zero.
  EXPECT_FALSE(
      CacheDirBesideExe(std::wstring(254, L'd') + L"\\Zelvora.exe", &dir));
  EXPECT_EQ(L"untouched", dir);
  EXPECT_TRUE(
      CacheDirBesideExe(std::wstring(253, L'd') + L"\\Zelvora.exe", &dir));
}

}  // namespace
}  // namespace cache_paths
