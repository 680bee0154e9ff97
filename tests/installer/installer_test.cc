// Zelvora's package (installer/zelvora.wxs) under Wine's real Windows
// Installer: two versions of it, built from the shell on the CEF double and a
// stand-in CEF runtime (tests/installer/CMakeLists.txt), installed with the
// system's msiexec, upgraded and removed.

#include <windows.h>

#include <msi.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <string>

#include "gtest/gtest.h"
#include "support/message_box.h"
#include "support/process.h"
#include "support/unix_shell.h"
#include "support/window.h"

namespace {

using test_support::FileExists;
using test_support::LongPath;
using test_support::MakeFile;
using test_support::Process;
using test_support::ProgramDir;
using test_support::RemoveTree;
using test_support::RunAndWait;
using test_support::TempDir;
using test_support::UnixPath;
using test_support::WaitFor;

const DWORD kTimeoutMs = 60000;

struct Package {
  const wchar_t* version;
  const wchar_t* code;  // Without braces, as the uninstaller takes it.
};
const Package kOld = {OLD_VERSION, OLD_PRODUCT_CODE};
const Package kNew = {NEW_VERSION, NEW_PRODUCT_CODE};

// What lands in the install folder: our programs and the stand-in runtime
// (CEF's Release/*.dll and *.bin, all of Resources/).
const wchar_t* const kInstalledFiles[] = {
    L"Zelvora.exe",      L"uninstall.exe", L"libcef.dll",
    L"natives_blob.bin", L"cef.pak",       L"locales\\en-US.pak"};

// What the shell's browser writes into its cache folder in the install
// folder: files, and folders within folders, names with spaces.
const wchar_t* const kCacheFiles[] = {
    L"cache\\Cookies",
    L"cache\\Cookies-journal",
    L"cache\\Cache\\index",
    L"cache\\Cache\\data_1",
    L"cache\\Local Storage\\http_hall.example_0.localstorage",
    L"cache\\GPUCache\\index-dir\\the-real-index"};

// kCacheFiles under |dir|.
bool WriteCacheTree(const std::wstring& dir) {
  for (const wchar_t* file : kCacheFiles) {
    if (!MakeFile(dir + L"\\" + file))
      return false;
  }
  return true;
}

std::wstring Braced(const Package& package) {
  return L"{" + std::wstring(package.code) + L"}";
}

INSTALLSTATE State(const Package& package) {
  return MsiQueryProductStateW(Braced(package).c_str());
}

// |property| of |package| as registered for the machine, not for a user:
// empty when it is not installed per machine.
std::wstring MachineProductInfo(const Package& package,
                                const wchar_t* property) {
  wchar_t value[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  MsiGetProductInfoExW(Braced(package).c_str(), nullptr,
                       MSIINSTALLCONTEXT_MACHINE, property, value, &size);
  return value;
}

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

// WindowsVolume: the root of the drive Windows lives on, e.g. "C:\".
std::wstring WindowsVolume() {
  return Folder(CSIDL_WINDOWS).substr(0, 3);
}

// Where Windows Installer put |package|'s |file| (a component's key file):
// a 32-bit package goes to "Program Files (x86)" on 64-bit Windows and to
// "Program Files" on 32-bit Windows. Empty when it is not installed.
std::wstring InstalledFile(const Package& package, const std::wstring& file) {
  wchar_t component[39];
  for (DWORD i = 0; MsiEnumComponentsW(i, component) == ERROR_SUCCESS; ++i) {
    wchar_t path[MAX_PATH] = {};
    DWORD size = MAX_PATH;
    if (MsiGetComponentPathW(Braced(package).c_str(), component, path, &size) !=
        INSTALLSTATE_LOCAL) {
      continue;
    }
    const std::wstring found = path;
    if (found.size() > file.size() &&
        _wcsicmp(found.c_str() + found.size() - file.size() - 1,
                 (L"\\" + file).c_str()) == 0) {
      return found;
    }
  }
  return std::wstring();
}

// The folder |package| was installed into.
std::wstring InstallDir(const Package& package) {
  const std::wstring shell = InstalledFile(package, L"Zelvora.exe");
  return shell.substr(0, shell.rfind(L'\\'));
}

// Both Program Files folders' Zelvora, one of which a package may have used.
const int kProgramFiles[] = {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86};

bool OnWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") !=
         nullptr;
}

// Windows resolves ProgramMenuFolder of a per-machine (ALLUSERS=1) install to
// the all-users Start menu. Wine 8's msi always resolves it to the current
// user's (a FIXME in its package.c), so there the shortcuts land in that one.
std::wstring MenuFolder() {
  return Folder(OnWine() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) +
         L"\\Zelvora";
}

// Paths compare case-insensitively, a trailing backslash aside.
std::wstring Normal(std::wstring path) {
  if (path.size() > 3 && path.back() == L'\\')
    path.pop_back();
  CharLowerW(&path[0]);
  return path;
}

// The system's own msiexec, run to its end: its exit code, or
// test_support::kNotStarted or kNoEnd, which say what happened instead.
long long Msiexec(const std::wstring& args) {
  DWORD start_error = ERROR_SUCCESS;
  const long long code =
      RunAndWait(L"\"" + Folder(CSIDL_SYSTEM) + L"\\msiexec.exe\" " + args, L"",
                 kTimeoutMs, &start_error);
  if (code == test_support::kNotStarted)
    ADD_FAILURE() << "msiexec did not start, error " << start_error;
  if (code == test_support::kNoEnd)
    ADD_FAILURE() << "msiexec " << args.c_str() << " did not end in "
                  << kTimeoutMs << " ms";
  return code;
}

long long Install(const Package& package) {
  return Msiexec(L"/i \"" + ProgramDir() + L"\\Zelvora-" + package.version +
                 L"-cef-double-test.msi\" /qn");
}

// msiexec /x, as Add or Remove Programs and the uninstaller remove the
// product, with |more| on its command line.
long long Remove(const Package& package, const std::wstring& more = L"") {
  return Msiexec(L"/x " + Braced(package) + L" /qn" + more);
}

// A Windows Installer log, lower-cased: ANSI, or UTF-16 after its mark.
std::wstring ReadLog(const std::wstring& path) {
  std::string bytes;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read)
      bytes.append(chunk, read);
    CloseHandle(file);
  }
  std::wstring text;
  if (bytes.size() >= 2 && bytes[0] == '\xff' && bytes[1] == '\xfe') {
    text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2),
                (bytes.size() - 2) / sizeof(wchar_t));
  } else {
    text.resize(bytes.size());
    text.resize(MultiByteToWideChar(CP_ACP, 0, bytes.data(),
                                    static_cast<int>(bytes.size()), &text[0],
                                    static_cast<int>(text.size())));
  }
  if (!text.empty())
    CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
  return text;
}

// The lines of |log| the package's cache removal wrote, each ending in \n.
std::wstring CacheRemovalLines(const std::wstring& log) {
  std::wstring lines;
  for (size_t at = log.find(L"schedulecacheremoval:"); at != std::wstring::npos;
       at = log.find(L"schedulecacheremoval:", at + 1)) {
    std::wstring line = log.substr(at, log.find(L'\n', at) - at);
    if (!line.empty() && line.back() == L'\r')
      line.pop_back();
    lines += line + L"\n";
  }
  return lines;
}

// Whether one of the cache removal's |lines| ends in |path| itself: it names
// that file, not only a folder holding it.
bool NamesPath(const std::wstring& lines, const std::wstring& path) {
  return lines.find(L": " + Normal(path) + L"\n") != std::wstring::npos;
}

// Whether any msiexec process is still at work.
bool MsiexecRunning() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  bool found = false;
  for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
       more = Process32NextW(snapshot, &entry)) {
    found = _wcsicmp(entry.szExeFile, L"msiexec.exe") == 0;
  }
  CloseHandle(snapshot);
  return found;
}

// Wine's msiexec, while it lives, reports the Windows version |version|
// ("winxp", "vista": winecfg's names) to the programs it runs, as
// winecfg's per-application settings do (HKCU\Software\Wine\AppDefaults).
// Windows Installer's VersionNT follows it.
class MsiexecReportsWindows {
 public:
  explicit MsiexecReportsWindows(const wchar_t* version) {
    ok_ = RegCreateKeyExW(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key_, nullptr) == ERROR_SUCCESS &&
          RegSetValueExW(key_, L"Version", 0, REG_SZ,
                         reinterpret_cast<const BYTE*>(version),
                         static_cast<DWORD>((wcslen(version) + 1) *
                                            sizeof(wchar_t))) == ERROR_SUCCESS;
  }
  ~MsiexecReportsWindows() {
    if (key_)
      RegCloseKey(key_);
    RegDeleteKeyW(HKEY_CURRENT_USER, kKey);
  }
  bool ok() const { return ok_; }

 private:
  static constexpr wchar_t kKey[] = L"Software\\Wine\\AppDefaults\\msiexec.exe";
  HKEY key_ = nullptr;
  bool ok_ = false;
};

struct Shortcut {
  bool read = false;
  std::wstring target, arguments, working_dir;

  // What the shell starts for it, in |working_dir|.
  std::wstring CommandLine() const {
    return L"\"" + target + L"\"" + (arguments.empty() ? L"" : L" ") +
           arguments;
  }
};

Shortcut ReadShortcut(const std::wstring& name) {
  Shortcut shortcut;
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return shortcut;
  }
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile,
                                     reinterpret_cast<void**>(&file)))) {
    const std::wstring path = MenuFolder() + L"\\" + name + L".lnk";
    wchar_t text[MAX_PATH] = {}, args[MAX_PATH] = {}, dir[MAX_PATH] = {};
    shortcut.read = SUCCEEDED(file->Load(path.c_str(), STGM_READ)) &&
                    SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, 0)) &&
                    SUCCEEDED(link->GetArguments(args, MAX_PATH)) &&
                    SUCCEEDED(link->GetWorkingDirectory(dir, MAX_PATH));
    shortcut.target = text;
    shortcut.arguments = args;
    shortcut.working_dir = dir;
    file->Release();
  }
  link->Release();
  return shortcut;
}

class Installer : public testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }

  // Whatever a test installed goes again, also when it failed half way; the
  // removal succeeds, whatever the test left in the cache.
  void TearDown() override {
    EXPECT_TRUE(WaitFor([] { return !MsiexecRunning(); }, kTimeoutMs))
        << "an msiexec still runs";
    for (const Package* package : {&kOld, &kNew}) {
      if (State(*package) == INSTALLSTATE_UNKNOWN)
        continue;
      EXPECT_EQ(0, Remove(*package)) << "msiexec /x of " << package->version;
      EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(*package))
          << package->version << " is still installed";
    }
    for (int folder : kProgramFiles) {
      RemoveTree(Folder(folder) + L"\\Zelvora");
      RemoveTree(Folder(folder) + L"\\Zelvora cache");
    }
    RemoveTree(MenuFolder());
    CoUninitialize();
  }

  // Everything |package| puts on the machine is in place.
  void ExpectInstalled(const Package& package) {
    EXPECT_EQ(INSTALLSTATE_DEFAULT, State(package)) << package.version;
    const std::wstring dir = InstallDir(package);
    ASSERT_FALSE(dir.empty()) << "Windows Installer knows no Zelvora.exe";
    bool in_program_files = false;
    for (int folder : kProgramFiles)
      in_program_files |= Normal(dir) == Normal(Folder(folder) + L"\\Zelvora");
    EXPECT_TRUE(in_program_files) << "installed into " << dir.c_str();
    for (const wchar_t* file : kInstalledFiles)
      EXPECT_TRUE(FileExists(dir + L"\\" + file)) << "missing " << file;
    EXPECT_FALSE(FileExists(dir + L"\\libcef.lib"))
        << "CEF's import library is no runtime file";
    // "file:///error.html" is looked up in the shell's current folder, which
    // its shortcut makes the install folder; nothing goes to a drive's root.
    EXPECT_TRUE(FileExists(dir + L"\\error.html"))
        << "no error.html beside Zelvora.exe in " << dir.c_str();
    EXPECT_FALSE(FileExists(WindowsVolume() + L"error.html"))
        << "error.html at the drive's root";

    const Shortcut shell = ReadShortcut(L"Zelvora");
    ASSERT_TRUE(shell.read)
        << "no shortcut Zelvora in " << MenuFolder().c_str();
    EXPECT_EQ(Normal(dir + L"\\Zelvora.exe"), Normal(shell.target));
    EXPECT_EQ(L"", shell.arguments);
    EXPECT_EQ(Normal(dir), Normal(shell.working_dir))
        << "the cache folder and error.html lie beside the shell";

    const Shortcut uninstall = ReadShortcut(L"Uninstall Zelvora");
    ASSERT_TRUE(uninstall.read);
    EXPECT_EQ(Normal(dir + L"\\uninstall.exe"), Normal(uninstall.target));
    EXPECT_EQ(package.code, uninstall.arguments);
    EXPECT_EQ(Normal(WindowsVolume()), Normal(uninstall.working_dir))
        << "started outside the folder it removes";
  }
};

// Installed, the shell's shortcut starts it in its window (one install for
// both: each costs Wine a second of CPU).
TEST_F(Installer, InstallsEveryFileAndBothShortcutsForAllUsers) {
  ASSERT_EQ(0, Install(kOld));
  ExpectInstalled(kOld);
  EXPECT_EQ(L"Zelvora",
            MachineProductInfo(kOld, INSTALLPROPERTY_INSTALLEDPRODUCTNAME))
      << "installed per machine";
  EXPECT_EQ(kOld.version,
            MachineProductInfo(kOld, INSTALLPROPERTY_VERSIONSTRING));

  const Shortcut shell = ReadShortcut(L"Zelvora");
  ASSERT_TRUE(shell.read);
  Process process(shell.CommandLine(), shell.working_dir);
  ASSERT_TRUE(process.started());
  const HWND window = test_support::WaitForTopLevelWindow(
      process.id(), L"CefBrowserWindow", kTimeoutMs);
  EXPECT_TRUE(window)
      << "the shell's shortcut: no visible browser window appeared";

  PostMessageW(window, WM_CLOSE, 0, 0);
  const bool exited = process.Wait(kTimeoutMs);
  if (!exited)
    process.Kill();
  ASSERT_TRUE(exited)
      << "the shell's shortcut: still running after its window closed";
  EXPECT_EQ(0u, process.ExitCode());
}

// On a Windows older than the programs support (Windows XP: VersionNT 501,
// 502 for its x64 edition) the package refuses to install (its
// LaunchCondition) and tells the player why in a message box; on Windows
// Vista (VersionNT 600), the oldest it supports, it installs. (Wine's
// LaunchConditions gives the message only to a user interface, so this
// install has the basic one.)
TEST_F(Installer, RefusesAWindowsOlderThanVista) {
  if (!OnWine())
    GTEST_SKIP() << "only Wine's prefix can report an older Windows";
  TempDir logs;
  const std::wstring log_file = logs.path() + L"\\install.log";
  {
    MsiexecReportsWindows xp(L"winxp");
    ASSERT_TRUE(xp.ok());
    Process msiexec(L"\"" + Folder(CSIDL_SYSTEM) + L"\\msiexec.exe\" /i \"" +
                        ProgramDir() + L"\\Zelvora-" + kOld.version +
                        L"-cef-double-test.msi\" /qb /l*v \"" + log_file +
                        L"\"",
                    L"");
    ASSERT_TRUE(msiexec.started()) << msiexec.start_error();
    const test_support::MessageBoxInfo box =
        test_support::WaitForMessageBox(msiexec.id(), kTimeoutMs);
    EXPECT_EQ(L"Zelvora needs Windows Vista or a later Windows.", box.text)
        << "the player is not told why";
    if (box.window)
      test_support::PressButton(box, IDOK);
    const bool ended = msiexec.Wait(kTimeoutMs);
    if (!ended)
      msiexec.Kill();
    ASSERT_TRUE(ended) << "msiexec did not end";
    EXPECT_EQ(static_cast<DWORD>(ERROR_INSTALL_FAILURE), msiexec.ExitCode());
  }
  EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(kOld)) << "installed on Windows XP";
  const std::wstring log = ReadLog(log_file);
  EXPECT_NE(std::wstring::npos, log.find(L"property(s): versionnt = 50"))
      << "Windows Installer did not take this for Windows XP";
  // Windows logs the message too; Wine's log has it only where no user
  // interface showed it, so here the log says where the install stopped.
  EXPECT_NE(std::wstring::npos, log.find(L": launchconditions."))
      << "the launch conditions were not evaluated";
  EXPECT_EQ(std::wstring::npos, log.find(L": costinitialize."))
      << "the install went on past its launch conditions";

  MsiexecReportsWindows vista(L"vista");
  ASSERT_TRUE(vista.ok());
  EXPECT_EQ(0, Install(kOld));
  EXPECT_EQ(INSTALLSTATE_DEFAULT, State(kOld)) << "refused on Windows Vista";
}

// Also what the shell wrote into the install folder: the player's cookies
// and stored data go with the product, and nothing outside it does.
TEST_F(Installer, UninstallShortcutRemovesEverythingItInstalled) {
  ASSERT_EQ(0, Install(kOld));
  const std::wstring dir = InstallDir(kOld);
  ASSERT_FALSE(dir.empty());
  ASSERT_TRUE(WriteCacheTree(dir));
  // A neighbour whose name begins like the install folder's.
  const std::wstring neighbour = dir + L" cache";
  CreateDirectoryW(neighbour.c_str(), nullptr);
  ASSERT_TRUE(WriteCacheTree(neighbour));
  const Shortcut uninstall = ReadShortcut(L"Uninstall Zelvora");
  ASSERT_TRUE(uninstall.read);

  Process process(uninstall.CommandLine(), uninstall.working_dir);
  ASSERT_TRUE(process.Wait(kTimeoutMs)) << "the uninstaller did not exit";
  EXPECT_EQ(0u, process.ExitCode());
  // The uninstaller does not wait for msiexec.
  EXPECT_TRUE(WaitFor(
      [] { return State(kOld) == INSTALLSTATE_UNKNOWN && !MsiexecRunning(); },
      kTimeoutMs))
      << "still installed, state " << State(kOld);
  EXPECT_FALSE(FileExists(dir))
      << "the install folder stayed, error.html "
      << (FileExists(dir + L"\\error.html") ? "in it" : "not in it")
      << ", the cache "
      << (FileExists(dir + L"\\cache\\Cookies") ? "with its cookies"
          : FileExists(dir + L"\\cache")        ? "without cookies"
                                                : "gone");
  EXPECT_FALSE(FileExists(MenuFolder())) << "the Start menu folder stayed";
  for (const wchar_t* file : kCacheFiles) {
    EXPECT_TRUE(FileExists(neighbour + L"\\" + file))
        << "removed from outside the install folder: " << file;
  }
}

// The player stays logged in: the shell's cache survives the upgrade.
TEST_F(Installer, NewerVersionReplacesTheOlderOne) {
  ASSERT_EQ(0, Install(kOld));
  const std::wstring dir = InstallDir(kOld);
  ASSERT_TRUE(WriteCacheTree(dir));
  ASSERT_EQ(0, Install(kNew));
  EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(kOld)) << "the older one stayed";
  ExpectInstalled(kNew);
  EXPECT_EQ(Normal(dir), Normal(InstallDir(kNew)));
  for (const wchar_t* file : kCacheFiles)
    EXPECT_TRUE(FileExists(dir + L"\\" + file)) << "the upgrade lost " << file;
  EXPECT_EQ(kNew.version,
            MachineProductInfo(kNew, INSTALLPROPERTY_VERSIONSTRING));

  int zelvoras = 0;
  wchar_t code[39];
  for (DWORD i = 0; MsiEnumProductsW(i, code) == ERROR_SUCCESS; ++i) {
    wchar_t name[64] = {};
    DWORD size = 64;
    MsiGetProductInfoW(code, INSTALLPROPERTY_INSTALLEDPRODUCTNAME, name, &size);
    zelvoras += std::wstring(name) == L"Zelvora";
  }
  EXPECT_EQ(1, zelvoras) << "products named Zelvora";

  // The older version refuses to go over the newer one and changes nothing.
  EXPECT_NE(0, Install(kOld));
  EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(kOld));
  EXPECT_EQ(INSTALLSTATE_DEFAULT, State(kNew));
}

// Links in the cache, and a cache that is itself a link, are removed as
// links: the removal, which runs elevated, never deletes what they point at
// outside the install folder. (Wine 8's RemoveDirectoryW fails on a link
// whose target holds files, and the link stays; Windows removes it.)
TEST_F(Installer, UninstallRemovesLinksInTheCacheAsLinks) {
  if (UnixPath(ProgramDir()).empty())
    GTEST_SKIP() << "the links are made from Linux, under Wine";
  TempDir outside;
  const std::wstring kept[] = {outside.path() + L"\\kept.txt",
                               outside.path() + L"\\sub\\kept.txt"};
  for (const std::wstring& file : kept)
    ASSERT_TRUE(MakeFile(file)) << file;

  for (const bool cache_is_link : {false, true}) {
    SCOPED_TRACE(cache_is_link ? "the cache is a link" : "a link in the cache");
    ASSERT_EQ(0, Install(kOld));
    const std::wstring dir = InstallDir(kOld);
    ASSERT_FALSE(dir.empty());
    std::wstring link = dir + L"\\cache";
    if (!cache_is_link) {
      ASSERT_TRUE(WriteCacheTree(dir));
      link += L"\\Cache\\linked";
    }
    ASSERT_EQ("", test_support::MakeUnixLink(outside.path(), link));

    EXPECT_EQ(0, Remove(kOld)) << "msiexec /x";
    EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(kOld)) << "still installed";
    for (const std::wstring& file : kept)
      EXPECT_TRUE(FileExists(file)) << "deleted through the link: " << file;
    for (const wchar_t* file : kCacheFiles) {
      EXPECT_TRUE(cache_is_link || !FileExists(dir + L"\\" + file))
          << "stayed: " << file;
    }
    const DWORD attributes = GetFileAttributesW(link.c_str());
    if (OnWine()) {
      EXPECT_TRUE(attributes == INVALID_FILE_ATTRIBUTES ||
                  (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
          << "the link is no link any more";
    } else {
      EXPECT_FALSE(FileExists(dir)) << "the install folder stayed";
    }
    test_support::RemoveUnixLink(link);
    RemoveTree(dir);
  }
}

// Windows Installer sets UPGRADINGPRODUCTCODE in the removal of the older
// version that an upgrade's RemoveExistingProducts runs (Wine's does not:
// here it is given as Windows gives it). That removal takes the product
// and keeps every cache file.
TEST_F(Installer, RemovalForAnUpgradeKeepsTheCache) {
  ASSERT_EQ(0, Install(kOld));
  const std::wstring dir = InstallDir(kOld);
  ASSERT_FALSE(dir.empty());
  ASSERT_TRUE(WriteCacheTree(dir));

  EXPECT_EQ(0, Remove(kOld, L" UPGRADINGPRODUCTCODE=" + Braced(kNew)));
  EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(kOld)) << "still installed";
  EXPECT_FALSE(FileExists(dir + L"\\Zelvora.exe"));
  for (const wchar_t* file : kCacheFiles)
    EXPECT_TRUE(FileExists(dir + L"\\" + file)) << "the removal lost " << file;
}

// A cache file held open by another program, and one whose path does not fit
// in MAX_PATH (260 characters with the terminating null: "Maximum Path
// Length Limitation"), cannot be removed: they stay, the Windows Installer
// log names each in a line of its own, and the removal still succeeds and
// takes the product and the rest of the cache, a path of MAX_PATH - 1
// characters included.
TEST_F(Installer, UninstallLogsTheCacheFilesItCannotRemove) {
  ASSERT_EQ(0, Install(kOld));
  const std::wstring dir = InstallDir(kOld);
  ASSERT_FALSE(dir.empty());
  ASSERT_TRUE(WriteCacheTree(dir));
  // Brackets in a name are no property: the log names the file as it is.
  const std::wstring locked = dir + L"\\cache\\[ProductName] lock";
  ASSERT_TRUE(MakeFile(locked));
  // Open without FILE_SHARE_DELETE, as a browser holds its files.
  HANDLE held = CreateFileW(locked.c_str(), GENERIC_READ, FILE_SHARE_READ,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(INVALID_HANDLE_VALUE, held);
  std::wstring deep = dir + L"\\cache\\deep";
  while (deep.size() < MAX_PATH)
    deep += L"\\" + std::wstring(50, L'd');
  ASSERT_TRUE(MakeFile(deep + L"\\data_0")) << GetLastError();
  const std::wstring edge = dir + L"\\cache\\edge\\";
  const std::wstring fits =
      edge + std::wstring(MAX_PATH - 1 - edge.size(), L'f');
  const std::wstring too_long =
      edge + std::wstring(MAX_PATH - edge.size(), L't');
  ASSERT_TRUE(MakeFile(fits)) << GetLastError();
  ASSERT_TRUE(MakeFile(too_long)) << GetLastError();
  TempDir logs;
  const std::wstring log_file = logs.path() + L"\\uninstall.log";

  EXPECT_EQ(0, Remove(kOld, L" /l*v \"" + log_file + L"\""));
  EXPECT_EQ(INSTALLSTATE_UNKNOWN, State(kOld)) << "still installed";
  EXPECT_FALSE(FileExists(dir + L"\\Zelvora.exe"));
  for (const wchar_t* file : kCacheFiles) {
    const std::wstring path = dir + L"\\" + file;
    EXPECT_TRUE(path == locked || !FileExists(path)) << "stayed: " << file;
  }
  EXPECT_FALSE(FileExists(LongPath(fits)))
      << "a path of MAX_PATH - 1 characters stayed";
  EXPECT_TRUE(FileExists(LongPath(too_long)))
      << "a path of MAX_PATH characters was removed";
  const std::wstring log = ReadLog(log_file);
  const std::wstring lines = CacheRemovalLines(log);
  EXPECT_TRUE(NamesPath(lines, locked))
      << "no line names the file in use; the action wrote:\n"
      << lines;
  EXPECT_TRUE(NamesPath(lines, too_long))
      << "no line names the path of MAX_PATH characters; the action wrote:\n"
      << lines;
  EXPECT_FALSE(NamesPath(lines, fits))
      << "the path of MAX_PATH - 1 characters is named as kept:\n"
      << lines;
  EXPECT_NE(std::wstring::npos, log.find(Normal(deep)))
      << "the log does not name the path past MAX_PATH; the action wrote:\n"
      << lines;
  CloseHandle(held);
  RemoveTree(LongPath(dir));
}

}  // namespace
