// The parameter text and program path the uninstaller builds for msiexec.

#include "uninstall_command.h"

#include <cstring>
#include <string>

#include "gtest/gtest.h"

namespace {

using uninstall::BuildMsiexecPath;
using uninstall::BuildUninstallParams;
using uninstall::kParamsSize;

// The parameter buffer with guard bytes on both sides, to catch any write
// outside it.
struct GuardedParams {
  char before[16];
  char params[kParamsSize];
  char after[16];

  GuardedParams() {
    memset(before, 0x5A, sizeof(before));
    memset(params, 0x5A, sizeof(params));
    memset(after, 0x5A, sizeof(after));
  }
  bool GuardsIntact() const {
    for (size_t i = 0; i < sizeof(before); ++i) {
      if (before[i] != 0x5A || after[i] != 0x5A)
        return false;
    }
    return true;
  }
};

std::string Build(const std::string& code, bool* accepted) {
  GuardedParams buffer;
  *accepted = BuildUninstallParams(code.c_str(), buffer.params);
  EXPECT_TRUE(buffer.GuardsIntact()) << "wrote outside the buffer";
  return buffer.params;
}

TEST(UninstallParams, WrapsTheProductCodeVerbatim) {
  struct {
    const char* code;
    const char* expected;
  } const cases[] = {
      {"ABC", "/uninstall {ABC}"},
      {"8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10",
       "/uninstall {8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10}"},
      // Braces are always added, even to a code that has its own.
      {"{8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10}",
       "/uninstall {{8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10}}"},
      // An empty quoted argument.
      {"", "/uninstall {}"},
      // Neither trimmed nor validated.
      {" a b ", "/uninstall { a b }"},
      // Text of the ANSI code page (here cp1252 bytes) passes byte for byte.
      {"Caf\xE9-\xC4\xD6\xDC", "/uninstall {Caf\xE9-\xC4\xD6\xDC}"},
  };
  for (const auto& c : cases) {
    bool accepted = false;
    EXPECT_EQ(c.expected, Build(c.code, &accepted)) << "code: " << c.code;
    EXPECT_TRUE(accepted) << "code: " << c.code;
  }
}

TEST(UninstallParams, FillsTheBufferWithALongestCode) {
  bool accepted = false;
  const std::string code(250, 'F');
  const std::string params = Build(code, &accepted);
  EXPECT_TRUE(accepted) << "a 250-character code must fit";
  EXPECT_EQ("/uninstall {" + code + "}", params);
  EXPECT_EQ(kParamsSize - 1, params.size());
}

TEST(UninstallParams, RejectsLongerCodesWithoutCuttingThem) {
  for (size_t length : {251u, 264u, 10000u}) {
    bool accepted = true;
    const std::string params = Build(std::string(length, 'F'), &accepted);
    EXPECT_FALSE(accepted) << length << " characters must be rejected";
    EXPECT_EQ("", params) << "no cut-down parameters for " << length;
  }
}

TEST(MsiexecPath, JoinsTheSystemDirectory) {
  char path[260];
  ASSERT_TRUE(BuildMsiexecPath("C:\\windows\\system32", 19, path, 260));
  EXPECT_STREQ("C:\\windows\\system32\\msiexec.exe", path);
}

TEST(MsiexecPath, FailsWithoutASystemDirectoryOrRoom) {
  char path[32];
  memset(path, 'x', sizeof(path));
  // GetSystemDirectoryA failed.
  EXPECT_FALSE(BuildMsiexecPath("", 0, path, sizeof(path)));
  EXPECT_STREQ("", path);
  // 19 + 12 characters and the zero need 32 bytes: 31 are too few.
  EXPECT_FALSE(BuildMsiexecPath("C:\\windows\\system32", 19, path, 31));
  EXPECT_TRUE(BuildMsiexecPath("C:\\windows\\system32", 19, path, 32));
  // A length beyond the buffer (a misreported size) is refused, not read.
  EXPECT_FALSE(BuildMsiexecPath("C:\\windows\\system32", 300, path, 32));
}

}  // namespace
