#include "uninstall_command.h"

#include <cstring>

namespace uninstall {

namespace {

const char kParamsPrefix[] = "/uninstall {";
const char kParamsSuffix[] = "}";
const char kMsiexecName[] = "\\msiexec.exe";

// ASCII digits and letters only: the argument is in the ANSI code page, and
// isxdigit would take its bytes above 127 as negative values.
bool IsHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') ||
         (c >= 'A' && c <= 'F');
}

bool IsProductCode(const char* argument) {
  // Stops at the first character out of place, so the zero of a shorter
  // argument ends the walk and a longer one is never read to its end.
  for (size_t i = 0; i < kProductCodeLength; ++i) {
    const char c = argument[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != '-')
        return false;
    } else if (!IsHexDigit(c)) {
      return false;
    }
  }
  return argument[kProductCodeLength] == '\0';
}

}  // namespace

bool BuildUninstallParams(const char* product_code,
                          char (&params)[kParamsSize]) {
  params[0] = '\0';
  if (!IsProductCode(product_code))
    return false;
  char* out = params;
  memcpy(out, kParamsPrefix, sizeof(kParamsPrefix) - 1);
  out += sizeof(kParamsPrefix) - 1;
  // Windows Installer writes product codes in upper case and leaves others
  // undefined; the digits and hyphens pass as they are.
  for (size_t i = 0; i < kProductCodeLength; ++i) {
    const char c = product_code[i];
    *out++ = (c >= 'a' && c <= 'f') ? static_cast<char>(c - 'a' + 'A') : c;
  }
  memcpy(out, kParamsSuffix, sizeof(kParamsSuffix));  // With its zero.
  return true;
}

bool BuildMsiexecPath(const char* system_dir,
                      size_t dir_length,
                      char* path,
                      size_t path_size) {
  if (path_size == 0)
    return false;
  path[0] = '\0';
  if (dir_length == 0 || dir_length > path_size ||
      path_size - dir_length < sizeof(kMsiexecName)) {
    return false;
  }
  memcpy(path, system_dir, dir_length);
  memcpy(path + dir_length, kMsiexecName, sizeof(kMsiexecName));
  return true;
}

}  // namespace uninstall
