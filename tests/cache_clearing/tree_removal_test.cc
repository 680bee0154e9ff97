// The rules every tree removal follows, as the package's cache removal and
// the tests' clean-up use them: only "." and ".." are passed over, links are
// never entered, and a plain path is named only within MAX_PATH.

#include "tree_removal.h"

#include <string>

#include "gtest/gtest.h"

namespace tree_removal {
namespace {

const uint32_t kNormal = 0x80;  // FILE_ATTRIBUTE_NORMAL
const uint32_t kHidden = 0x2;   // FILE_ATTRIBUTE_HIDDEN
const uint32_t kDir = kAttributeDirectory;
const uint32_t kLink = kAttributeReparsePoint;

// The uninstall removes the whole cache, the browser's lock files and hidden
// entries included; a link, at the top or below, goes as the link.
TEST(TreeRemoval, TakesEverythingButTheFolderItselfAndItsParent) {
  for (const wchar_t* name : {L".", L".."})
    EXPECT_EQ(EntryAction::kSkip, ActionForEntry(name, kDir)) << name;
  EXPECT_EQ(EntryAction::kDeleteFile, ActionForEntry(L".lock", kNormal));
  EXPECT_EQ(EntryAction::kDeleteTree, ActionForEntry(L".git", kDir | kHidden));
  EXPECT_EQ(EntryAction::kRemoveDirectory,
            ActionForEntry(L".junction", kDir | kLink));
  EXPECT_EQ(EntryAction::kDeleteFile, ActionForEntry(L"filelink", kLink));
  EXPECT_EQ(FolderAction::kRemoveLink, ActionForFolder(kDir | kLink));
  EXPECT_EQ(FolderAction::kLeave, ActionForFolder(kLink));
}

// RemoveFile rows and the log take a path of 259 units, not one of 260.
TEST(TreeRemoval, NamesAPlainPathOnlyWithinMaxPath) {
  EXPECT_EQ(L"C:\\Zelvora\\cache",
            Join(L"C:\\Zelvora", L"cache", Separator::kBackslash));
  EXPECT_EQ(L"C:\\Zelvora/cache",
            Join(L"C:\\Zelvora", L"cache", Separator::kSlash));
  EXPECT_TRUE(CanBeNamed(std::wstring(259, L'p')));
  EXPECT_FALSE(CanBeNamed(std::wstring(260, L'p')));

  std::wstring path = L"untouched";
  ASSERT_TRUE(JoinPath(std::wstring(200, L'd'), std::wstring(58, L'n'),
                       Separator::kBackslash, &path));
  EXPECT_EQ(L'\\', path[200]);
  path = L"untouched";
  EXPECT_FALSE(JoinPath(std::wstring(200, L'd'), std::wstring(59, L'n'),
                        Separator::kBackslash, &path));
  EXPECT_EQ(L"untouched", path);
}

}  // namespace
}  // namespace tree_removal
