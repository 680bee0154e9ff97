#include "resources/pe_image.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>

namespace test_support {

namespace {

// Layout of RT_GROUP_ICON data.
#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;  // 0 means 256.
  BYTE height;
  BYTE color_count;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes_in_res;
  WORD id;
};
struct GroupIconDir {
  WORD reserved;
  WORD type;
  WORD count;
  GroupIconEntry entries[1];
};
#pragma pack(pop)

// Maps a relative virtual address to an offset in the file.
size_t FileOffset(const IMAGE_SECTION_HEADER* sections, int count, DWORD rva) {
  for (int i = 0; i < count; ++i) {
    const IMAGE_SECTION_HEADER& s = sections[i];
    if (rva >= s.VirtualAddress &&
        rva < s.VirtualAddress + std::max(s.Misc.VirtualSize, s.SizeOfRawData))
      return rva - s.VirtualAddress + s.PointerToRawData;
  }
  return 0;
}

std::string ResourceText(HMODULE module, LPCWSTR name, LPCWSTR type) {
  HRSRC found = FindResourceW(module, name, type);
  if (!found)
    return std::string();
  const char* data =
      static_cast<const char*>(LockResource(LoadResource(module, found)));
  return std::string(data, SizeofResource(module, found));
}

}  // namespace

PeImage ReadPeImage(const std::wstring& path) {
  PeImage image;
  std::ifstream in(path.c_str(), std::ios::binary);
  const std::vector<char> file((std::istreambuf_iterator<char>(in)),
                               std::istreambuf_iterator<char>());
  if (file.size() < sizeof(IMAGE_DOS_HEADER))
    return image;
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(file.data());
  if (dos->e_magic != IMAGE_DOS_SIGNATURE ||
      file.size() < dos->e_lfanew + sizeof(IMAGE_NT_HEADERS32))
    return image;
  const auto* nt =
      reinterpret_cast<const IMAGE_NT_HEADERS32*>(file.data() + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE)
    return image;
  image.machine = nt->FileHeader.Machine;
  if (nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
    return image;
  image.subsystem = nt->OptionalHeader.Subsystem;

  const IMAGE_SECTION_HEADER* sections = IMAGE_FIRST_SECTION(nt);
  const int count = nt->FileHeader.NumberOfSections;
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  if (imports.VirtualAddress) {
    size_t offset = FileOffset(sections, count, imports.VirtualAddress);
    for (; offset + sizeof(IMAGE_IMPORT_DESCRIPTOR) <= file.size();
         offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
      const auto* entry =
          reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(&file[offset]);
      if (!entry->Name)
        break;
      std::string name(&file[FileOffset(sections, count, entry->Name)]);
      std::transform(name.begin(), name.end(), name.begin(), ::tolower);
      image.imported_dlls.push_back(name);
    }
  }

  HMODULE module =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module) {
    image.manifest = ResourceText(module, MAKEINTRESOURCEW(1), RT_MANIFEST);
    FreeLibrary(module);
  }
  image.loaded = true;
  return image;
}

std::vector<IconImage> IconGroup(const std::wstring& path, int group_id) {
  std::vector<IconImage> images;
  HMODULE module =
      LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module)
    return images;
  const std::string data =
      ResourceText(module, MAKEINTRESOURCEW(group_id), RT_GROUP_ICON);
  if (data.size() >= 6) {
    const auto* dir = reinterpret_cast<const GroupIconDir*>(data.data());
    for (int i = 0;
         i < dir->count && 6 + (i + 1) * sizeof(GroupIconEntry) <= data.size();
         ++i) {
      const GroupIconEntry& e = dir->entries[i];
      // The image itself must be there too.
      if (!FindResourceW(module, MAKEINTRESOURCEW(e.id), RT_ICON))
        continue;
      images.push_back(
          {e.width ? e.width : 256, e.height ? e.height : 256, e.bit_count});
    }
  }
  FreeLibrary(module);
  return images;
}

}  // namespace test_support
