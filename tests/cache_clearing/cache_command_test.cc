// The cache command (id 27501) on real files: a Yes/No box owned by the
// browser window, then the "cache" folder beside the program is deleted
// as far as Windows lets it be.

#include <vector>

#include "cache_command_run.h"
#include "gtest/gtest.h"
#include "support/message_box.h"
#include "support/process.h"
#include "support/unix_shell.h"

namespace {

using test_support::FileExists;
using test_support::LongPath;
using test_support::RemoveUnixLink;
using test_support::RunUnixShell;
using test_support::UnixPath;

// Long paths are created and checked with the "\\?\" prefix.
bool Exists(const std::wstring& path) {
  return FileExists(LongPath(path));
}

// Creates a small file at |path| and the folders above it.
void MakeFile(const std::wstring& path) {
  ASSERT_TRUE(test_support::MakeFile(path))
      << "cannot create " << path.size() << "-unit path, error "
      << GetLastError();
}

// Runs the command and checks the box it asked with: MessageBoxW(browser
// window, text, caption, MB_YESNO), no icon.
CacheCommandRun AskAndAnswer(int answer) {
  const CacheCommandRun run = RunCacheCommand(answer);
  EXPECT_TRUE(run.box.window) << "no message box came";
  EXPECT_EQ(run.browser_window, run.box.owner) << "not owned by the browser";
  EXPECT_EQ(L"Are you sure to delete the cache?", run.box.text);
  EXPECT_EQ(L"WARNING", run.box.caption);
  EXPECT_EQ((std::vector<int>{IDYES, IDNO}), run.box.button_ids);
  EXPECT_FALSE(run.box.has_icon);
  EXPECT_TRUE(run.handled) << "the command was left to CEF";
  return run;
}

class CacheCommand : public testing::Test {
 protected:
  void SetUp() override { test_support::RemoveTree(LongPath(cache_)); }
  void TearDown() override { test_support::RemoveTree(LongPath(cache_)); }

  const std::wstring cache_ = test_support::ProgramDir() + L"\\cache";
};

TEST_F(CacheCommand, DeletesTheWholeTreeOnlyOnYes) {
  const std::vector<std::wstring> files = {
      cache_ + L"\\index", cache_ + L"\\Cache\\data_0",
      cache_ + L"\\Cache\\f_000001", cache_ + L"\\Cache\\a\\data_1",
      cache_ + L"\\Cache\\a\\b\\data_2"};
  for (const std::wstring& file : files)
    MakeFile(file);

  AskAndAnswer(IDNO);
  for (const std::wstring& file : files)
    EXPECT_TRUE(Exists(file)) << "deleted on No: " << file;

  AskAndAnswer(IDYES);
  EXPECT_FALSE(Exists(cache_)) << "the cache folder is still there";
}

TEST_F(CacheCommand, LeavesDotNamesAndFilesInUse) {
  const std::wstring gone[] = {cache_ + L"\\index", cache_ + L"\\old\\data_0"};
  const std::wstring kept[] = {cache_ + L"\\.keep", cache_ + L"\\a\\.keep",
                               cache_ + L"\\b\\.git\\HEAD",
                               cache_ + L"\\c\\in_use"};
  for (const std::wstring& file : gone)
    MakeFile(file);
  for (const std::wstring& file : kept)
    MakeFile(file);
  // Open without FILE_SHARE_DELETE: DeleteFileW fails with a sharing
  // violation while this handle lives.
  HANDLE in_use = CreateFileW(kept[3].c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, in_use);

  AskAndAnswer(IDYES);
  CloseHandle(in_use);
  for (const std::wstring& file : gone)
    EXPECT_FALSE(Exists(file)) << "not deleted: " << file;
  EXPECT_FALSE(Exists(cache_ + L"\\old")) << "an emptied folder stayed";
  // What is left keeps its folders, the cache folder included.
  for (const std::wstring& file : kept)
    EXPECT_TRUE(Exists(file)) << "deleted: " << file;
}

// Only the folder named "cache" is the cache: without one, Yes deletes
// nothing, not even what lies beside it under a similar name; once there is
// one, the same command deletes it.
TEST_F(CacheCommand, DoesNothingWithoutACacheFolder) {
  const std::wstring neighbours[] = {cache_ + L"2\\data_0",
                                     cache_ + L".old\\data_0"};
  for (const std::wstring& file : neighbours)
    MakeFile(file);

  AskAndAnswer(IDYES);
  EXPECT_FALSE(Exists(cache_)) << "a cache folder was made";
  for (const std::wstring& file : neighbours)
    EXPECT_TRUE(Exists(file)) << "deleted: " << file;

  MakeFile(cache_ + L"\\index");
  AskAndAnswer(IDYES);
  EXPECT_FALSE(Exists(cache_)) << "the cache folder is still there";
  for (const std::wstring& file : neighbours) {
    EXPECT_TRUE(Exists(file)) << "deleted: " << file;
    test_support::RemoveTree(LongPath(file.substr(0, file.rfind(L'\\'))));
  }
}

// Paths are built in MAX_PATH (260) units, the zero included: an entry
// whose "<folder>/<name>" needs more is left where it is.
TEST_F(CacheCommand, LeavesEntriesWhosePathsDoNotFit) {
  ASSERT_LT(cache_.size(), 150u) << "the build folder is too deep";
  const std::wstring folder =
      cache_ + L"\\" + std::wstring(200 - cache_.size() - 1, L'f');
  const std::wstring fits = folder + L"\\" + std::wstring(58, L'n');  // 259
  const std::wstring too_long = fits + L"n";                          // 260
  const std::wstring deep = folder + L"\\" + std::wstring(100, L'd') + L"\\x";
  for (const std::wstring& file :
       {cache_ + L"\\index", cache_ + L"\\a\\data_0", fits, too_long, deep})
    MakeFile(file);
  ASSERT_EQ(259u, fits.size());

  AskAndAnswer(IDYES);
  EXPECT_FALSE(Exists(cache_ + L"\\index"));
  EXPECT_FALSE(Exists(cache_ + L"\\a"));
  EXPECT_FALSE(Exists(fits)) << "a 259-unit path was left";
  EXPECT_TRUE(Exists(too_long)) << "a 260-unit path was deleted";
  EXPECT_TRUE(Exists(deep)) << "a folder beyond MAX_PATH was emptied";
}

void MakeUnixLink(const std::wstring& target, const std::wstring& link) {
  ASSERT_EQ("", test_support::MakeUnixLink(target, link));
}

// A link is removed as a link and never emptied, whether it lies in the
// cache or is the cache folder itself: what it points at lies outside.
// (Wine 8's RemoveDirectoryW on a link fails while its target holds files,
// so the link stays, and removes an empty target instead of the link;
// Windows removes the link. The target here holds files.)
TEST_F(CacheCommand, NeverEmptiesWhatALinkPointsAt) {
  if (UnixPath(cache_).empty())
    GTEST_SKIP() << "needs Wine";
  test_support::TempDir outside;
  const std::wstring kept[] = {outside.path() + L"\\a.txt",
                               outside.path() + L"\\sub\\b.txt"};
  for (const std::wstring& file : kept)
    MakeFile(file);

  MakeFile(cache_ + L"\\index");
  MakeUnixLink(outside.path(), cache_ + L"\\link");
  AskAndAnswer(IDYES);
  for (const std::wstring& file : kept)
    EXPECT_TRUE(Exists(file))
        << "deleted through a link in the cache: " << file;
  EXPECT_FALSE(Exists(cache_ + L"\\index"));
  // The tests' own clean-up keeps to the same rule.
  test_support::RemoveTree(LongPath(cache_));
  for (const std::wstring& file : kept)
    EXPECT_TRUE(Exists(file)) << "RemoveTree deleted through a link: " << file;
  RemoveUnixLink(cache_ + L"\\link");
  test_support::RemoveTree(LongPath(cache_));

  MakeUnixLink(outside.path(), cache_);
  AskAndAnswer(IDYES);
  for (const std::wstring& file : kept)
    EXPECT_TRUE(Exists(file)) << "deleted through the cache link: " << file;
  test_support::RemoveTree(LongPath(cache_));
  RemoveUnixLink(cache_);
  for (const std::wstring& file : kept) {
    EXPECT_TRUE(Exists(file))
        << "RemoveTree deleted through the folder link it was given: " << file;
  }
}

// A program deeper than MAX_PATH reads its path cut (GetModuleFileNameW
// fills the 260 units and says ERROR_INSUFFICIENT_BUFFER). The cut path
// names some other folder, so nothing may be deleted at all, Yes or not.
// Wine's CreateProcessW cannot start a program there (ERROR_PATH_NOT_FOUND
// from 260 units on), but its loader can, started from a Unix shell.
TEST(CacheCommandFromDeepFolder, DeletesNothing) {
  test_support::TempDir temp;
  std::wstring unix_dir = UnixPath(temp.path());
  if (unix_dir.empty())
    GTEST_SKIP() << "needs Wine";
  // A "cache" with a file in every folder down to the program's: whichever
  // folder a cut path named, its cache would be lost.
  std::wstring dir = temp.path();
  std::vector<std::wstring> files = {dir + L"\\cache\\data_0"};
  while (dir.size() < 300) {
    dir += L"\\" + std::wstring(60, L'p');
    unix_dir += L"/" + std::wstring(60, L'p');
    files.push_back(dir + L"\\cache\\data_0");
  }
  for (const std::wstring& file : files)
    MakeFile(file);
  const std::wstring probe = L"cache_command_probe.exe";
  // The probe, and the CEF library it imports beside it.
  for (const wchar_t* file : {probe.c_str(), L"libcef.dll"}) {
    ASSERT_TRUE(CopyFileW((test_support::ProgramDir() + L"\\" + file).c_str(),
                          LongPath(dir + L"\\" + file).c_str(), FALSE))
        << "copying " << file;
  }

  std::string out;
  EXPECT_EQ("0\n", RunUnixShell(L"'" ZELVORA_WINE L"' '" + unix_dir + L"/" +
                                    probe + L"'",
                                &out))
      << "exit status of the probe, which said:\n"
      << out;
  for (const std::wstring& file : files)
    EXPECT_TRUE(Exists(file))
        << "deleted: " << file.size() << " units, " << file << "\n"
        << out;
  test_support::RemoveTree(LongPath(temp.path()));
}

}  // namespace
