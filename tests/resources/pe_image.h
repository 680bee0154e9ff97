// Reads what the tests check of a built Windows program: its PE header, the
// DLLs it imports and its resources.

#ifndef ZELVORA_TESTS_RESOURCES_PE_IMAGE_H_
#define ZELVORA_TESTS_RESOURCES_PE_IMAGE_H_

#include <windows.h>

#include <string>
#include <vector>

namespace test_support {

struct IconImage {
  int width;
  int height;
  int bit_count;
};

struct PeImage {
  bool loaded = false;
  WORD machine = 0;
  WORD subsystem = 0;
  std::vector<std::string> imported_dlls;  // Lower case.
  std::string manifest;                    // RT_MANIFEST 1.
};

PeImage ReadPeImage(const std::wstring& path);

// The images of icon group |group_id| in |path|, in directory order; empty
// when the group is missing.
std::vector<IconImage> IconGroup(const std::wstring& path, int group_id);

}  // namespace test_support

#endif  // ZELVORA_TESTS_RESOURCES_PE_IMAGE_H_
