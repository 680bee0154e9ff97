// Browser windows over their lives: icon, caption, pop-ups and closing.

#include <string>
#include <vector>

#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "include/cef_client.h"
#include "resources/resource.h"
#include "shell_runner.h"
#include "support/window.h"

namespace {

using shell_test::CloseWindow;
using shell_test::RunShell;
using shell_test::WaitForBrowsers;
using shell_test::WindowOf;
using test_support::WindowText;

typedef std::vector<CefRefPtr<CefBrowser>> Browsers;

// Main window plus |popups| pop-ups opened by the page, oldest first.
Browsers OpenWithPopups(int popups) {
  EXPECT_TRUE(WaitForBrowsers(1));
  for (int i = 0; i < popups; ++i) {
    EXPECT_TRUE(cef_double::OpenPopup(cef_double::OpenBrowsers()[0],
                                      "http://hall.example/table", 400, 300))
        << "a pop-up was refused";
    EXPECT_TRUE(WaitForBrowsers(2 + i));
  }
  return cef_double::OpenBrowsers();
}

// Icons are read from inside the process that set them: Wine answers
// WM_GETICON from other processes with 0.
void ExpectProgramIcon(HWND window) {
  const HICON program_icon =
      LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZELVORA));
  ASSERT_TRUE(program_icon) << "icon 100 is not in the test program";
  EXPECT_EQ(reinterpret_cast<LRESULT>(program_icon),
            SendMessageW(window, WM_GETICON, ICON_BIG, 0))
      << "ICON_BIG is not icon 100";
  EXPECT_EQ(0, SendMessageW(window, WM_GETICON, ICON_SMALL, 0))
      << "no small icon is set";
}

TEST(LifeSpan, EveryWindowGetsTheProgramIconAndItsOwnTitle) {
  RunShell(L"Zelvora.exe", [] {
    const Browsers browsers = OpenWithPopups(1);
    ASSERT_EQ(2u, browsers.size());
    const HWND main_window = WindowOf(browsers[0]);
    const HWND popup_window = WindowOf(browsers[1]);
    ExpectProgramIcon(main_window);
    ExpectProgramIcon(popup_window);

    // Each later title replaces the caption, exactly.
    for (const wchar_t* title :
         {L"Hall", L"Zo\u00EB's table \u2014 \u6E38\u620F \U0001F3B2",
          L"  spaced  ", L"Hall", L""}) {
      cef_double::ReportTitle(browsers[0], title);
      EXPECT_EQ(title, WindowText(main_window));
    }
    cef_double::ReportTitle(browsers[1], L"Table 5");
    EXPECT_EQ(L"Table 5", WindowText(popup_window));
    EXPECT_EQ(L"", WindowText(main_window)) << "the pop-up's title leaked";
  });
}

TEST(LifeSpan, PopUpsShareTheClient) {
  RunShell(L"Zelvora.exe", [] {
    const Browsers browsers = OpenWithPopups(2);
    ASSERT_EQ(3u, browsers.size());
    CefRefPtr<CefClient> client = browsers[0]->GetHost()->GetClient();
    for (const CefRefPtr<CefBrowser>& popup : {browsers[1], browsers[2]}) {
      EXPECT_TRUE(popup->IsPopup());
      EXPECT_EQ(client.get(), popup->GetHost()->GetClient().get());
    }
  });
}

// Closes the windows of |browsers| in the order given by |order| and checks
// after each close that the program goes on, until the last.
void CloseInOrder(const std::vector<int>& order) {
  SCOPED_TRACE(testing::Message() << "closing " << order.size()
                                  << " windows, first index " << order[0]);
  CefRefPtr<CefClient> client;
  RunShell(L"Zelvora.exe", [&] {
    Browsers browsers = OpenWithPopups(static_cast<int>(order.size()) - 1);
    ASSERT_EQ(order.size(), browsers.size());
    client = browsers[0]->GetHost()->GetClient();
    for (size_t i = 0; i < order.size(); ++i) {
      CefRefPtr<CefBrowser> closing = browsers[order[i]];
      const int id = closing->GetIdentifier();
      browsers[order[i]] = nullptr;
      CloseWindow(closing);
      closing = nullptr;
      const size_t left = order.size() - i - 1;
      ASSERT_EQ(left, cef_double::OpenBrowsers().size());
      for (const CefRefPtr<CefBrowser>& open : cef_double::OpenBrowsers())
        EXPECT_NE(id, open->GetIdentifier());
      // The closed browser is gone: nothing, the list included, holds it.
      EXPECT_EQ(static_cast<int>(left), cef_double::LiveBrowsers())
          << "after closing browser " << id;
      EXPECT_EQ(left == 0 ? 1 : 0, cef_double::Startup().quit_requests)
          << "quit requested with " << left << " windows open";
    }
  });
  EXPECT_EQ(1, cef_double::Startup().quit_requests);
  ASSERT_TRUE(client.get());
  EXPECT_TRUE(client->HasOneRef()) << "someone else still holds the client";
  client = nullptr;
  EXPECT_EQ(0, cef_double::LiveBrowsers());
  EXPECT_EQ(0, cef_double::LiveWrappers());
}

TEST(LifeSpan, ClosingAnyWindowRemovesExactlyItsBrowser) {
  CloseInOrder({0});
  CloseInOrder({0, 1});     // The main window first: the pop-up keeps running.
  CloseInOrder({1, 0});     // The pop-up first.
  CloseInOrder({1, 0, 2});  // The middle one of three.
  CloseInOrder({2, 1, 0});
}

}  // namespace
