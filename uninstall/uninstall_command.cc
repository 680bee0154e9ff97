#include "uninstall_command.h"

#include <cstring>

namespace uninstall {

namespace {

const char kParamsPrefix[] = "/uninstall {";
const char kParamsSuffix[] = "}";
const char kMsiexecName[] = "\\msiexec.exe";

}  // namespace

bool BuildUninstallParams(const char* product_code,
                          char (&params)[kParamsSize]) {
  params[0] = '\0';
  const size_t length = strlen(product_code);
  if (length > kMaxProductCodeLength)
    return false;
  char* out = params;
  memcpy(out, kParamsPrefix, sizeof(kParamsPrefix) - 1);
  out += sizeof(kParamsPrefix) - 1;
  memcpy(out, product_code, length);
  out += length;
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
