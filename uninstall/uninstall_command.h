// Text the uninstaller hands to the Windows Installer. Free of windows.h so
// that it builds and runs natively as well.

#ifndef ZELVORA_UNINSTALL_UNINSTALL_COMMAND_H_
#define ZELVORA_UNINSTALL_UNINSTALL_COMMAND_H_

#include <cstddef>

namespace uninstall {

// A product code without braces: 8-4-4-4-12 hexadecimal digits.
constexpr size_t kProductCodeLength = 36;

// Size of the parameter buffer: "/uninstall {", the code, "}" and the zero.
constexpr size_t kParamsSize = sizeof("/uninstall {}") + kProductCodeLength;

// Writes "/uninstall {<product_code>}" into |params|, the code in upper
// case, when |product_code| is a Windows Installer product code (a GUID)
// written without braces: exactly 36 characters, hexadecimal digits of
// either case in groups of 8, 4, 4, 4 and 12, joined by hyphens. Anything else
// returns false and leaves |params| an empty string, so nothing but a product
// code reaches msiexec's command line: no switch, quote, brace or blank.
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
