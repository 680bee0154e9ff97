// What Windows sees of the built uninstall.exe before running it.

#include <string>

#include "gtest/gtest.h"
#include "resources/pe_image.h"
#include "support/process.h"

namespace {

using test_support::IconGroup;
using test_support::IconImage;
using test_support::PeImage;
using test_support::ReadPeImage;

std::wstring Program() {
  return test_support::ProgramDir() + L"\\uninstall.exe";
}

TEST(UninstallResources, IsAStandAlone32BitConsoleProgram) {
  const PeImage image = ReadPeImage(Program());
  ASSERT_TRUE(image.loaded);
  EXPECT_EQ(IMAGE_FILE_MACHINE_I386, image.machine);
  EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_CUI, image.subsystem);
  // The MinGW runtime is linked in: only Windows' own DLLs are imported.
  for (const std::string& dll : image.imported_dlls) {
    EXPECT_TRUE(dll == "kernel32.dll" || dll == "user32.dll" ||
                dll == "shell32.dll" || dll == "msvcrt.dll")
        << "unexpected import " << dll;
  }
}

TEST(UninstallResources, HasIconGroup101In64_48And32PixelsOf32Bits) {
  const std::vector<IconImage> icons = IconGroup(Program(), 101);
  ASSERT_EQ(3u, icons.size()) << "icon group 101";
  const int sizes[] = {64, 48, 32};
  for (size_t i = 0; i < icons.size(); ++i) {
    EXPECT_EQ(sizes[i], icons[i].width) << "image " << i;
    EXPECT_EQ(sizes[i], icons[i].height) << "image " << i;
    EXPECT_EQ(32, icons[i].bit_count) << "image " << i;
  }
}

TEST(UninstallResources, ManifestRequestsAdministratorAndNothingElse) {
  const std::string manifest = ReadPeImage(Program()).manifest;
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1";
  EXPECT_NE(std::string::npos,
            manifest.find("level=\"requireAdministrator\" uiAccess=\"false\""))
      << manifest;
  for (const char* absent :
       {"dependency", "compatibility", "dpiAware", "assemblyIdentity"}) {
    EXPECT_EQ(std::string::npos, manifest.find(absent))
        << absent << " in " << manifest;
  }
}

}  // namespace
