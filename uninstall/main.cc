// uninstall: hands a product code to the Windows Installer for removal.
//
//   uninstall.exe <product code without braces>
//
// Starts the system's msiexec with "/uninstall {<code>}" and exits at once.
// An argument that is not a product code (8-4-4-4-12 hexadecimal digits)
// starts nothing; it is reported like a failure to start msiexec, with the
// one box this program ever shows. No argument: a silent exit. The exit
// status is always 0.

#include <windows.h>

#include <shellapi.h>

#include "uninstall_command.h"

namespace {

// The system's own msiexec, never one that happens to lie in the current
// directory: this program runs elevated.
bool SystemMsiexecPath(char (&path)[MAX_PATH]) {
  char dir[MAX_PATH];
  const UINT length = GetSystemDirectoryA(dir, MAX_PATH);
  if (length >= MAX_PATH)  // Too small: the value is the size it needs.
    return false;
  return uninstall::BuildMsiexecPath(dir, length, path, MAX_PATH);
}

bool StartUninstall(const char* product_code) {
  char params[uninstall::kParamsSize];
  char msiexec[MAX_PATH];
  if (!uninstall::BuildUninstallParams(product_code, params) ||
      !SystemMsiexecPath(msiexec)) {
    return false;
  }
  const HINSTANCE result =
      ShellExecuteA(nullptr, "open", msiexec, params, "", SW_SHOW);
  return reinterpret_cast<INT_PTR>(result) > 32;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc <= 1)
    return 0;
  if (!StartUninstall(argv[1]))
    MessageBoxA(nullptr, "Uninstall Failed!", "ERROR", MB_OK);
  return 0;
}
