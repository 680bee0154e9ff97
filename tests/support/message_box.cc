#include "support/message_box.h"

#include "support/window.h"

namespace test_support {

namespace {

BOOL CALLBACK DescribeChild(HWND child, LPARAM param) {
  MessageBoxInfo* box = reinterpret_cast<MessageBoxInfo*>(param);
  if (!IsWindowVisible(child))
    return TRUE;
  const std::wstring child_class = ClassOf(child);
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (child_class == L"Button") {
    box->buttons.push_back(WindowText(child));
    box->button_ids.push_back(GetDlgCtrlID(child));
  } else if (child_class == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
             SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    // Wine keeps an empty icon control on boxes without an icon.
    box->has_icon = true;
  }
  return TRUE;
}

}  // namespace

MessageBoxInfo WaitForMessageBox(DWORD process_id, DWORD timeout_ms) {
  MessageBoxInfo box;
  box.window = WaitForTopLevelWindow(process_id, L"#32770", timeout_ms);
  if (!box.window)
    return box;
  box.owner = GetWindow(box.window, GW_OWNER);
  box.caption = WindowText(box.window);
  // Message boxes keep their text in the static control 0xFFFF.
  wchar_t text[1024] = {};
  GetDlgItemTextW(box.window, 0xFFFF, text, 1024);
  box.text = text;
  EnumChildWindows(box.window, DescribeChild, reinterpret_cast<LPARAM>(&box));
  return box;
}

void PressButton(const MessageBoxInfo& box, int button_id) {
  PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box.window, button_id)));
}

}  // namespace test_support
