#include "support/message_box.h"

#include "support/process.h"

namespace test_support {

namespace {

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(length + 1, L'\0');
  text.resize(GetWindowTextW(window, &text[0], length + 1));
  return text;
}

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
      ClassOf(window) == search->class_name) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK DescribeChild(HWND child, LPARAM param) {
  MessageBoxInfo* box = reinterpret_cast<MessageBoxInfo*>(param);
  if (!IsWindowVisible(child))
    return TRUE;
  const std::wstring child_class = ClassOf(child);
  const LONG style = GetWindowLongW(child, GWL_STYLE);
  if (child_class == L"Button") {
    box->buttons.push_back(TextOf(child));
    box->button_ids.push_back(GetDlgCtrlID(child));
  } else if (child_class == L"Static" && (style & SS_TYPEMASK) == SS_ICON &&
             SendMessageW(child, STM_GETICON, 0, 0) != 0) {
    // Wine keeps an empty icon control on boxes without an icon.
    box->has_icon = true;
  }
  return TRUE;
}

}  // namespace

HWND WaitForTopLevelWindow(DWORD process_id,
                           const std::wstring& class_name,
                           DWORD timeout_ms) {
  Search search = {process_id, class_name, nullptr};
  WaitFor(
      [&] {
        EnumWindows(FindWindowOfProcess, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeout_ms);
  return search.found;
}

MessageBoxInfo WaitForMessageBox(DWORD process_id, DWORD timeout_ms) {
  MessageBoxInfo box;
  box.window = WaitForTopLevelWindow(process_id, L"#32770", timeout_ms);
  if (!box.window)
    return box;
  box.owner = GetWindow(box.window, GW_OWNER);
  box.caption = TextOf(box.window);
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
