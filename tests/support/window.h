// Finding another process's windows and reading them, the way a user sees
// them.

#ifndef ZELVORA_TESTS_SUPPORT_WINDOW_H_
#define ZELVORA_TESTS_SUPPORT_WINDOW_H_

#include <windows.h>

#include <string>

namespace test_support {

// A visible top-level window of process |process_id| whose class is
// |class_name| (any class when empty); null if it has none.
HWND FindTopLevelWindow(DWORD process_id, const std::wstring& class_name);

// Waits up to |timeout_ms| for FindTopLevelWindow to find one.
HWND WaitForTopLevelWindow(DWORD process_id,
                           const std::wstring& class_name,
                           DWORD timeout_ms);

std::wstring ClassOf(HWND window);

// The window's title, or a control's text.
std::wstring WindowText(HWND window);

}  // namespace test_support

#endif  // ZELVORA_TESTS_SUPPORT_WINDOW_H_
