// The built uninstall.exe against Wine's real Windows Installer, msiexec and
// message boxes.

#include <windows.h>

#include <msi.h>
#include <shellapi.h>
#include <tlhelp32.h>

#include <string>

#include "gtest/gtest.h"
#include "support/message_box.h"
#include "support/process.h"

namespace {

using test_support::FileExists;
using test_support::MessageBoxInfo;
using test_support::Process;
using test_support::ProgramDir;
using test_support::RunAndWait;
using test_support::TempDir;
using test_support::WaitFor;
using test_support::WaitForMessageBox;

// Identity of test_product.wxs.
const wchar_t kProductCode[] = L"8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10";
const wchar_t kLowerCaseCode[] = L"8c6b1f2e-4d3a-4e57-9a0b-5f1d2c3e4a10";
const wchar_t kProductGuid[] = L"{8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10}";
const wchar_t kComponentGuid[] = L"{6D1E4B7A-2C9F-4A38-B5E0-7F3D2A1C9B84}";

const DWORD kTimeoutMs = 60000;

std::wstring SystemMsiexec() {
  wchar_t dir[MAX_PATH];
  GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\msiexec.exe";
}

std::wstring Uninstaller() {
  return L"\"" + ProgramDir() + L"\\uninstall.exe\"";
}

bool ProductListed() {
  wchar_t code[39];
  for (DWORD i = 0; MsiEnumProductsW(i, code) == ERROR_SUCCESS; ++i) {
    if (_wcsicmp(code, kProductGuid) == 0)
      return true;
  }
  return false;
}

// Installs the test product quietly and returns its installed file.
std::wstring InstallTestProduct() {
  const std::wstring msi = ProgramDir() + L"\\uninstall-test-product.msi";
  const long long code = RunAndWait(
      L"\"" + SystemMsiexec() + L"\" /i \"" + msi + L"\" /qn", L"", kTimeoutMs);
  EXPECT_EQ(0, code) << "msiexec /i of the test product";
  wchar_t path[MAX_PATH] = {};
  DWORD size = MAX_PATH;
  MsiGetComponentPathW(kProductGuid, kComponentGuid, path, &size);
  return path;
}

// The uninstaller does not wait for msiexec; wait for the product to go.
bool WaitUntilRemoved(const std::wstring& installed_file) {
  return WaitFor(
      [&] {
        return MsiQueryProductStateW(kProductGuid) == INSTALLSTATE_UNKNOWN &&
               !ProductListed() && !FileExists(installed_file);
      },
      kTimeoutMs);
}

TEST(UninstallProgram, WithoutAnArgumentDoesNothing) {
  Process uninstall(Uninstaller(), L"");
  ASSERT_TRUE(uninstall.started());
  ASSERT_TRUE(uninstall.Wait(kTimeoutMs));
  EXPECT_EQ(0u, uninstall.ExitCode());
  EXPECT_EQ(nullptr, WaitForMessageBox(uninstall.id(), 0).window);
}

TEST(UninstallProgram, RemovesTheInstalledProduct) {
  const std::wstring installed_file = InstallTestProduct();
  ASSERT_TRUE(FileExists(installed_file))
      << "expected the test product's file at '" << installed_file.c_str()
      << "'";
  ASSERT_EQ(INSTALLSTATE_DEFAULT, MsiQueryProductStateW(kProductGuid));
  ASSERT_TRUE(ProductListed());

  // Product codes are GUIDs, whose digits may be written in either case.
  // Only the first argument counts; the rest would not name a product.
  Process uninstall(Uninstaller() + L" " + kLowerCaseCode + L" {bogus} extra",
                    L"");
  ASSERT_TRUE(uninstall.Wait(kTimeoutMs));
  EXPECT_EQ(0u, uninstall.ExitCode());
  EXPECT_EQ(nullptr, WaitForMessageBox(uninstall.id(), 0).window)
      << "nothing is shown when msiexec starts";
  EXPECT_TRUE(WaitUntilRemoved(installed_file))
      << "the product is still installed, state "
      << MsiQueryProductStateW(kProductGuid);
}

TEST(UninstallProgram, NeverRunsAnMsiexecInTheCurrentDirectory) {
  const std::wstring installed_file = InstallTestProduct();
  ASSERT_TRUE(FileExists(installed_file));

  TempDir dir;
  ASSERT_TRUE(CopyFileW((ProgramDir() + L"\\fake_msiexec.exe").c_str(),
                        (dir.path() + L"\\msiexec.exe").c_str(), FALSE));
  // The trap is armed: the shell runs the planted copy for a bare name.
  SHELLEXECUTEINFOW bare = {};
  bare.cbSize = sizeof(bare);
  bare.fMask = SEE_MASK_NOCLOSEPROCESS;
  bare.lpFile = L"msiexec";
  bare.lpDirectory = dir.path().c_str();
  bare.nShow = SW_SHOW;
  ASSERT_TRUE(ShellExecuteExW(&bare) && bare.hProcess);
  WaitForSingleObject(bare.hProcess, kTimeoutMs);
  CloseHandle(bare.hProcess);
  const std::wstring marker = dir.path() + L"\\planted-msiexec-ran.txt";
  ASSERT_TRUE(FileExists(marker)) << "the planted stand-in did not work";
  DeleteFileW(marker.c_str());

  Process uninstall(Uninstaller() + L" " + kProductCode, dir.path());
  ASSERT_TRUE(uninstall.Wait(kTimeoutMs));
  EXPECT_EQ(0u, uninstall.ExitCode());
  EXPECT_TRUE(WaitUntilRemoved(installed_file))
      << "the system's msiexec did not remove the product";
  EXPECT_FALSE(FileExists(marker)) << "the planted msiexec.exe was run";
}

// Processes that |parent_id| started and that still run.
int ChildProcesses(DWORD parent_id) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE)
    return -1;
  int children = 0;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot, &entry); more;
       more = Process32NextW(snapshot, &entry)) {
    if (entry.th32ParentProcessID == parent_id)
      ++children;
  }
  CloseHandle(snapshot);
  return children;
}

// Expects the failure box, and nothing started; answers the box like a user
// and checks the exit.
void ExpectFailureBox(Process& uninstall) {
  ASSERT_TRUE(uninstall.started());
  const MessageBoxInfo box = WaitForMessageBox(uninstall.id(), kTimeoutMs);
  ASSERT_NE(nullptr, box.window) << "no message box appeared";
  EXPECT_EQ(0, ChildProcesses(uninstall.id())) << "a program was started";
  EXPECT_EQ(L"ERROR", box.caption);
  EXPECT_EQ(L"Uninstall Failed!", box.text);
  EXPECT_EQ(nullptr, box.owner) << "the box has no owner window";
  ASSERT_EQ(1u, box.button_ids.size()) << "MB_OK shows one button";
  EXPECT_EQ(IDOK, box.button_ids[0]);
  EXPECT_EQ(L"OK", box.buttons[0]);
  EXPECT_FALSE(box.has_icon) << "MB_OK alone shows no icon";
  EXPECT_FALSE(uninstall.Wait(500)) << "the program must wait for the user";

  test_support::PressButton(box, IDOK);
  ASSERT_TRUE(uninstall.Wait(kTimeoutMs)) << "still running after OK";
  EXPECT_EQ(0u, uninstall.ExitCode());
}

// Counts the processes started from here on. This process joins a job, and
// a process a member of a job creates is in that job too (CreateProcess,
// unless it breaks away), even one that has ended already.
class ProcessCount {
 public:
  ProcessCount() : job_(CreateJobObjectW(nullptr, nullptr)) {
    joined_ = job_ && AssignProcessToJobObject(job_, GetCurrentProcess());
  }
  ~ProcessCount() {
    if (job_)
      CloseHandle(job_);
  }
  bool joined() const { return joined_; }
  // Every process the job ever had, this one included (0: unknown).
  DWORD Total() const {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info = {};
    if (!QueryInformationJobObject(job_, JobObjectBasicAccountingInformation,
                                   &info, sizeof(info), nullptr)) {
      return 0;
    }
    return info.TotalProcesses;
  }

 private:
  HANDLE job_;
  bool joined_ = false;
};

// Only a product code reaches msiexec: an argument that would carry switches
// of its own, braces, or any other text shows the failure box instead, and
// the uninstaller starts no program at all.
TEST(UninstallProgram, RefusesAllButAProductCodeWithTheFailureBox) {
  const std::wstring installed_file = InstallTestProduct();
  ASSERT_TRUE(FileExists(installed_file));
  ProcessCount processes;
  ASSERT_TRUE(processes.joined()) << "AssignProcessToJobObject failed";
  const std::wstring code = kProductCode;
  for (const std::wstring& argument :
       {L"\"" + code + L"} /x {" + code + L"\"", L"{" + code + L"}",
        std::wstring(250, L'F'), std::wstring(L"\"\"")}) {
    SCOPED_TRACE(testing::Message() << "argument " << argument.c_str());
    const DWORD before = processes.Total();
    Process uninstall(Uninstaller() + L" " + argument, L"");
    ExpectFailureBox(uninstall);
    EXPECT_EQ(before + 1, processes.Total())
        << "expected the uninstaller alone, and no program it started";
  }
  EXPECT_EQ(INSTALLSTATE_DEFAULT, MsiQueryProductStateW(kProductGuid))
      << "the product was removed";
  EXPECT_TRUE(FileExists(installed_file)) << "the product was removed";

  RunAndWait(L"\"" + SystemMsiexec() + L"\" /x " + kProductGuid + L" /qn", L"",
             kTimeoutMs);
  EXPECT_TRUE(WaitUntilRemoved(installed_file)) << "clean-up failed";
}

// Takes the system's msiexec.exe away for the life of the object.
class MsiexecHidden {
 public:
  MsiexecHidden() : path_(SystemMsiexec()), away_(path_ + L".away") {
    hidden_ = MoveFileW(path_.c_str(), away_.c_str()) != FALSE;
  }
  ~MsiexecHidden() {
    if (hidden_)
      MoveFileW(away_.c_str(), path_.c_str());
  }
  bool hidden() const { return hidden_; }

 private:
  std::wstring path_;
  std::wstring away_;
  bool hidden_ = false;
};

TEST(UninstallProgram, ShowsTheFailureBoxWhenMsiexecCannotStart) {
  MsiexecHidden hidden;
  ASSERT_TRUE(hidden.hidden()) << "could not move " << SystemMsiexec().c_str();
  Process uninstall(Uninstaller() + L" " + kProductCode, L"");
  ExpectFailureBox(uninstall);
}

}  // namespace
