// Text the uninstaller hands to the Windows Installer. Free of windows.h so
// that it builds and runs natively as well.

#ifndef ZELVORA_UNINSTALL_UNINSTALL_COMMAND_H_
#define ZELVORA_UNINSTALL_UNINSTALL_COMMAND_H_

#include <cstddef>

namespace uninstall {

// Size of the parameter buffer, terminating zero included. "/uninstall {" and
// "}" take 13 bytes, which leaves room for a product code of 250 characters.
constexpr size_t kParamsSize = 264;
constexpr size_t kMaxProductCodeLength = kParamsSize - 14;

// Writes "/uninstall {<product_code>}" into |params|, the code verbatim.
// Returns false, leaving |params| an empty string, when the code is longer
// than kMaxProductCodeLength: it is never cut short.
bool BuildUninstallParams(const char* product_code,
                          char (&params)[kParamsSize]);

// Writes "<system_dir>\msiexec.exe" into |path| of |path_size| bytes.
// |system_dir| is what GetSystemDirectoryA reported: |dir_length| characters,
// where 0 means the call failed. Returns false, leaving |path| empty, when the
// directory is unknown or the full path does not fit.
bool BuildMsiexecPath(const char* system_dir,
                      size_t dir_length,
                      char* path,
                      size_t path_size);

}  // namespace uninstall

#endif  // ZELVORA_UNINSTALL_UNINSTALL_COMMAND_H_
