// Finding and answering a real message box shown by another process (or by
// another thread of this one), the way a user would.

#ifndef ZELVORA_TESTS_SUPPORT_MESSAGE_BOX_H_
#define ZELVORA_TESTS_SUPPORT_MESSAGE_BOX_H_

#include <windows.h>

#include <string>
#include <vector>

#include "support/window.h"

namespace test_support {

struct MessageBoxInfo {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::wstring caption;
  std::wstring text;
  std::vector<std::wstring> buttons;  // Visible buttons, in creation order.
  std::vector<int> button_ids;
  bool has_icon = false;  // A visible icon control showing an icon.
};

// Waits up to |timeout_ms| for a visible dialog-class window of process
// |process_id| and describes it. |window| stays null when none came.
MessageBoxInfo WaitForMessageBox(DWORD process_id, DWORD timeout_ms);

// Presses the box's button |button_id| (IDOK, IDYES, IDNO...).
void PressButton(const MessageBoxInfo& box, int button_id);

}  // namespace test_support

#endif  // ZELVORA_TESTS_SUPPORT_MESSAGE_BOX_H_
