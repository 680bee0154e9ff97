#include "support/window.h"

#include "support/process.h"

namespace test_support {

namespace {

struct Search {
  DWORD process_id;
  const std::wstring& class_name;
  HWND found;
};

BOOL CALLBACK FindWindowOfProcess(HWND window, LPARAM param) {
  Search* search = reinterpret_cast<Search*>(param);
  DWORD owner_process = 0;
  GetWindowThreadProcessId(window, &owner_process);
  if (owner_process == search->process_id && IsWindowVisible(window) &&
      (search->class_name.empty() || ClassOf(window) == search->class_name)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

HWND FindTopLevelWindow(DWORD process_id, const std::wstring& class_name) {
  Search search = {process_id, class_name, nullptr};
  EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND WaitForTopLevelWindow(DWORD process_id,
                           const std::wstring& class_name,
                           DWORD timeout_ms) {
  HWND found = nullptr;
  WaitFor(
      [&] {
        found = FindTopLevelWindow(process_id, class_name);
        return found != nullptr;
      },
      timeout_ms);
  return found;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(length + 1, L'\0');
  text.resize(GetWindowTextW(window, &text[0], length + 1));
  return text;
}

}  // namespace test_support
