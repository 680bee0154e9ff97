// What Windows sees of the built Zelvora.exe before running it.

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
  return test_support::ProgramDir() + L"\\Zelvora.exe";
}

TEST(ShellResources, IsA32BitGuiProgramWithoutMinGwDlls) {
  const PeImage image = ReadPeImage(Program());
  ASSERT_TRUE(image.loaded);
  EXPECT_EQ(IMAGE_FILE_MACHINE_I386, image.machine);
  EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, image.subsystem);
  for (const std::string& dll : image.imported_dlls) {
    for (const char* runtime : {"libgcc", "libstdc++", "libwinpthread"})
      EXPECT_EQ(std::string::npos, dll.find(runtime)) << "imports " << dll;
  }
}

TEST(ShellResources, HasIconGroups100And101WithTheSameThreeImages) {
  for (int group : {100, 101}) {
    const std::vector<IconImage> icons = IconGroup(Program(), group);
    ASSERT_EQ(3u, icons.size()) << "icon group " << group;
    const int sizes[] = {64, 48, 32};
    for (size_t i = 0; i < icons.size(); ++i) {
      EXPECT_EQ(sizes[i], icons[i].width)
          << "group " << group << " image " << i;
      EXPECT_EQ(sizes[i], icons[i].height)
          << "group " << group << " image " << i;
      EXPECT_EQ(32, icons[i].bit_count) << "group " << group << " image " << i;
    }
  }
}

TEST(ShellResources, ManifestAsksForAdministratorAndCommonControls6) {
  const std::string manifest = ReadPeImage(Program()).manifest;
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1";
  for (const char* present : {
           "level=\"requireAdministrator\" uiAccess=\"false\"",
           "\"Microsoft.Windows.Common-Controls\"", "version=\"6.0.0.0\"",
           "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
           "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
           "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
           "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
           "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
       }) {
    EXPECT_NE(std::string::npos, manifest.find(present))
        << "missing " << present << " in " << manifest;
  }
  // CEF makes the process DPI aware at run time; the manifest must not.
  EXPECT_EQ(std::string::npos, manifest.find("dpiAware")) << manifest;
}

}  // namespace
