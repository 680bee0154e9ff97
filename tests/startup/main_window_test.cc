// The main window and the page it starts with.

#include <string>

#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "shell_runner.h"
#include "support/window.h"

namespace {

using shell_test::RunShell;
using shell_test::WaitForBrowsers;
using shell_test::WindowOf;
using test_support::WindowText;

TEST(MainWindow, IsCentred1100By800TitledZelvora) {
  RunShell(L"Zelvora.exe", [] {
    ASSERT_TRUE(WaitForBrowsers(1));
    const HWND window = WindowOf(cef_double::OpenBrowsers()[0]);
    ASSERT_TRUE(IsWindow(window));
    EXPECT_EQ(nullptr, GetParent(window)) << "a top-level window";
    EXPECT_EQ(L"Zelvora", WindowText(window));

    const LONG style = GetWindowLongW(window, GWL_STYLE);
    const LONG wanted =
        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
    EXPECT_EQ(wanted, style & wanted) << std::hex << "style 0x" << style;
    EXPECT_EQ(0, GetWindowLongW(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);

    const int screen_width = GetSystemMetrics(SM_CXSCREEN);
    const int screen_height = GetSystemMetrics(SM_CYSCREEN);
    RECT rect;
    GetWindowRect(window, &rect);
    EXPECT_EQ((screen_width - 1100) / 2, rect.left)
        << "on a " << screen_width << " x " << screen_height << " screen";
    EXPECT_EQ((screen_height - 800) / 2, rect.top);
    EXPECT_EQ(1100, rect.right - rect.left);
    EXPECT_EQ(800, rect.bottom - rect.top);
  });
}

// The address the main browser was created with.
std::wstring StartAddress(const std::wstring& command_line) {
  std::wstring address;
  RunShell(command_line, [&] {
    ASSERT_TRUE(WaitForBrowsers(1));
    address =
        cef_double::OpenBrowsers()[0]->GetMainFrame()->GetURL().ToWString();
  });
  return address;
}

TEST(MainWindow, OpensTheUrlSwitchOrTheDefaultStartAddress) {
  const std::wstring fallback = CefString(ZELVORA_START_URL).ToWString();
  ASSERT_NE(std::wstring::npos, fallback.find(L"/hall")) << fallback.c_str();
  EXPECT_EQ(fallback, StartAddress(L"Zelvora.exe"));
  EXPECT_EQ(fallback, StartAddress(L"Zelvora.exe --url="));
  EXPECT_EQ(fallback, StartAddress(L"Zelvora.exe --url"));
  EXPECT_EQ(
      L"http://127.0.0.1:8765/hall?table=5&seat=2",
      StartAddress(
          L"Zelvora.exe --url=http://127.0.0.1:8765/hall?table=5&seat=2"));
  // Taken as given: nothing trimmed, completed or checked.
  EXPECT_EQ(L"hall.example/lobby",
            StartAddress(L"Zelvora.exe --url=hall.example/lobby"));
  EXPECT_EQ(L"http://spiel.example/Zo\u00EB/\u6E38\u620F\U0001F3B2",
            StartAddress(L"Zelvora.exe "
                         L"--url=http://spiel.example/Zo\u00EB/"
                         L"\u6E38\u620F\U0001F3B2"));
}

}  // namespace
