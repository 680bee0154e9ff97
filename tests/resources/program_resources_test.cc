// What Windows sees of the programs we ship before running them: PE header,
// imported DLLs, icons, manifest and version resource. They are the i686
// build's, whatever architecture this test was built for (SHIPPED_PROGRAM_DIR).

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "resources/pe_image.h"
#include "support/process.h"

namespace {

using test_support::IconGroup;
using test_support::IconImage;
using test_support::PeImage;
using test_support::ReadPeImage;

std::wstring Program(const wchar_t* name) {
  return std::wstring(SHIPPED_PROGRAM_DIR) + L"/" + name;
}

// Icon group |group| holds 64, 48 and 32 pixel images of 32-bit colour.
void ExpectIconGroup(const std::wstring& program, int group) {
  const std::vector<IconImage> icons = IconGroup(program, group);
  ASSERT_EQ(3u, icons.size()) << "icon group " << group;
  const int sizes[] = {64, 48, 32};
  for (size_t i = 0; i < icons.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "group " << group << " image " << i);
    EXPECT_EQ(sizes[i], icons[i].width);
    EXPECT_EQ(sizes[i], icons[i].height);
    EXPECT_EQ(32, icons[i].bit_count);
  }
}

void ExpectInManifest(const std::string& manifest,
                      const std::vector<const char*>& parts) {
  for (const char* part : parts) {
    EXPECT_NE(std::string::npos, manifest.find(part))
        << "missing " << part << " in " << manifest;
  }
}

void ExpectNotInManifest(const std::string& manifest,
                         const std::vector<const char*>& parts) {
  for (const char* part : parts) {
    EXPECT_EQ(std::string::npos, manifest.find(part))
        << part << " in " << manifest;
  }
}

// project()'s version, "1.2.3" say, as the four numbers of a version
// resource's fixed part: high and low words of its most and least
// significant halves. Missing numbers are 0.
void ProjectVersionNumbers(DWORD* most, DWORD* least) {
  unsigned numbers[4] = {};
  swscanf(ZELVORA_PROJECT_VERSION, L"%u.%u.%u.%u", &numbers[0], &numbers[1],
          &numbers[2], &numbers[3]);
  *most = MAKELONG(numbers[1], numbers[0]);
  *least = MAKELONG(numbers[3], numbers[2]);
}

// The version resource as Explorer's file properties and installers read
// it: the fixed part's numbers, and U.S. English Unicode strings that give
// project()'s version, the product and what the program is.
void ExpectVersionResource(const std::wstring& program,
                           const wchar_t* description,
                           const wchar_t* file_name) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  ASSERT_NE(0u, size) << "no version resource, error " << GetLastError();
  std::vector<char> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(program.c_str(), 0, size, data.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\",
                             reinterpret_cast<void**>(&fixed), &length));
  ASSERT_EQ(sizeof(VS_FIXEDFILEINFO), length);
  EXPECT_EQ(static_cast<DWORD>(VS_FFI_SIGNATURE), fixed->dwSignature);
  DWORD most = 0;
  DWORD least = 0;
  ProjectVersionNumbers(&most, &least);
  EXPECT_EQ(most, fixed->dwFileVersionMS) << "FILEVERSION";
  EXPECT_EQ(least, fixed->dwFileVersionLS) << "FILEVERSION";
  EXPECT_EQ(most, fixed->dwProductVersionMS) << "PRODUCTVERSION";
  EXPECT_EQ(least, fixed->dwProductVersionLS) << "PRODUCTVERSION";
  EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
  EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed->dwFileOS);

  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  ASSERT_EQ(4u, length);
  EXPECT_EQ(0x409, translation[0]) << "U.S. English";
  EXPECT_EQ(1200, translation[1]) << "Unicode";

  const struct {
    const wchar_t* name;
    std::wstring value;
  } strings[] = {
      {L"FileVersion", ZELVORA_PROJECT_VERSION},
      {L"ProductVersion", ZELVORA_PROJECT_VERSION},
      {L"ProductName", L"Zelvora"},
      {L"FileDescription", description},
      {L"OriginalFilename", file_name},
  };
  for (const auto& string : strings) {
    const std::wstring path =
        std::wstring(L"\\StringFileInfo\\040904B0\\") + string.name;
    wchar_t* value = nullptr;
    if (!VerQueryValueW(data.data(), path.c_str(),
                        reinterpret_cast<void**>(&value), &length)) {
      ADD_FAILURE() << "no " << string.name;
      continue;
    }
    EXPECT_EQ(string.value, value) << string.name;
  }
}

const char kAdministrator[] =
    "level=\"requireAdministrator\" uiAccess=\"false\"";

TEST(UninstallResources, IsAStandAlone32BitConsoleProgram) {
  const PeImage image = ReadPeImage(Program(L"uninstall.exe"));
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

TEST(UninstallResources, HasIcon101AndAsksForAdministratorOnly) {
  ExpectIconGroup(Program(L"uninstall.exe"), 101);
  const std::string manifest = ReadPeImage(Program(L"uninstall.exe")).manifest;
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1";
  ExpectInManifest(manifest, {kAdministrator});
  ExpectNotInManifest(manifest, {"dependency", "compatibility", "dpiAware",
                                 "assemblyIdentity"});
}

TEST(UninstallResources, CarriesTheProjectVersion) {
  ExpectVersionResource(Program(L"uninstall.exe"), L"Zelvora uninstaller",
                        L"uninstall.exe");
}

TEST(ShellResources, IsA32BitGuiProgramWithoutMinGwDlls) {
  const PeImage image = ReadPeImage(Program(L"Zelvora.exe"));
  ASSERT_TRUE(image.loaded);
  EXPECT_EQ(IMAGE_FILE_MACHINE_I386, image.machine);
  EXPECT_EQ(IMAGE_SUBSYSTEM_WINDOWS_GUI, image.subsystem);
  for (const std::string& dll : image.imported_dlls) {
    for (const char* runtime : {"libgcc", "libstdc++", "libwinpthread"})
      EXPECT_EQ(std::string::npos, dll.find(runtime)) << "imports " << dll;
  }
}

TEST(ShellResources, HasIcons100And101AndTheApplicationManifest) {
  ExpectIconGroup(Program(L"Zelvora.exe"), 100);
  ExpectIconGroup(Program(L"Zelvora.exe"), 101);
  const std::string manifest = ReadPeImage(Program(L"Zelvora.exe")).manifest;
  ASSERT_FALSE(manifest.empty()) << "no RT_MANIFEST 1";
  ExpectInManifest(manifest,
                   {
                       kAdministrator, "\"Microsoft.Windows.Common-Controls\"",
                       "version=\"6.0.0.0\"",
                       "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  // Vista
                       "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // 7
                       "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                       "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                       "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10
                   });
  // CEF makes the process DPI aware at run time; the manifest must not.
  ExpectNotInManifest(manifest, {"dpiAware"});
}

TEST(ShellResources, CarriesTheProjectVersion) {
  ExpectVersionResource(Program(L"Zelvora.exe"), L"Zelvora game hall",
                        L"Zelvora.exe");
}

}  // namespace
