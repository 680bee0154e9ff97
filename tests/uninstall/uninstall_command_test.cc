// The parameter text and program path the uninstaller builds for msiexec,
// and the one argument it accepts: a product code.

#include "uninstall_command.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

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

const char kCode[] = "8C6B1F2E-4D3A-4E57-9A0B-5F1D2C3E4A10";

// Windows Installer's own form is upper case: a code of either case reaches
// msiexec in that form.
TEST(UninstallParams, WrapsAProductCodeOfEitherCaseInUpperCase) {
  for (const char* code : {kCode, "8c6b1f2e-4d3a-4e57-9a0b-5f1d2c3e4a10",
                           "8c6B1f2E-4d3A-4e57-9a0B-5f1D2c3E4a10",
                           "00000000-0000-0000-0000-000000000000",
                           "FFFFFFFF-ffff-FFFF-ffff-FFFFFFFFFFFF"}) {
    bool accepted = false;
    const std::string params = Build(code, &accepted);
    EXPECT_TRUE(accepted) << "code: " << code;
    std::string upper = code;
    for (char& c : upper)
      c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ("/uninstall {" + upper + "}", params);
    EXPECT_EQ(kParamsSize - 1, params.size()) << "the buffer is not full";
  }
}

// Whatever is not exactly a product code would reach msiexec's command line
// (the code is put there between braces): it is refused whole.
TEST(UninstallParams, RefusesAllButAProductCode) {
  const std::string code = kCode;
  std::vector<std::string> refused = {
      "",
      "{" + code + "}",
      code + "} /x {" + code,
      code + " /qn",
      " " + code,
      code + " ",
      code.substr(0, 35),
      code + "0",
      "8C6B1F2E4-D3A-4E57-9A0B-5F1D2C3E4A10",  // A hyphen one place late.
      "8C6B1F2E4D3A4E579A0B5F1D2C3E4A10",      // No hyphens.
      "/x",
      "ABC",
      std::string(250, 'F'),
      std::string(10000, 'F'),
  };
  // One character out of place anywhere: a hyphen where a digit belongs,
  // a digit where a hyphen belongs, a letter beyond F, a byte of the ANSI
  // code page above 127 (no isxdigit on a negative char).
  for (size_t i = 0; i < code.size(); ++i) {
    const bool hyphen = code[i] == '-';
    for (char wrong :
         {hyphen ? '0' : '-', hyphen ? 'A' : 'G', hyphen ? ' ' : 'g', '\xE9'}) {
      std::string changed = code;
      changed[i] = wrong;
      refused.push_back(changed);
    }
  }
  for (const std::string& argument : refused) {
    bool accepted = true;
    const std::string params = Build(argument, &accepted);
    EXPECT_FALSE(accepted) << "accepted: \"" << argument << "\"";
    EXPECT_EQ("", params) << "parameters built for \"" << argument << "\"";
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
