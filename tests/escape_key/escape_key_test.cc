// The Escape key: each release switches a browser window between its own
// placement and one where the page fills the primary screen. Keys are typed
// with SendInput, which under Wine reaches the focused window as a keyboard's
// keys do, through the double's message loop and so through OnPreKeyEvent.

#include <windows.h>

#include <algorithm>
#include <functional>
#include <map>
#include <vector>

#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "include/cef_client.h"
#include "shell_runner.h"
#include "window_placement.h"

namespace window_placement {
void PrintTo(const Placement& p, std::ostream* os) {
  *os << "(" << p.x << ", " << p.y << ", " << p.width << " x " << p.height
      << ")";
}
}  // namespace window_placement

namespace {

using shell_test::WindowOf;
using window_placement::Placement;
typedef std::vector<Placement> Moves;

Placement Outer(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

POINT ClientOrigin(HWND window) {
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  return origin;
}

// Where the shell should expand |window| to, measured as it is now.
Placement ExpandedFrom(HWND window) {
  const Placement o = Outer(window);
  const POINT client = ClientOrigin(window);
  return window_placement::ExpandedPlacement(
      {o.x, o.y, o.x + o.width, o.y + o.height}, {client.x, client.y},
      GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

// What a window gets when |asked| for, unless its WM_GETMINMAXINFO says
// otherwise: DefWindowProc's WM_WINDOWPOSCHANGING keeps a window within its
// maximum tracking size (SM_CXMAXTRACK x SM_CYMAXTRACK), on Windows as on
// Wine. On the run's 1920 x 1080 screen, with 4-pixel frames and a 23-pixel
// caption, the expanded placement is (-4, -23, 1928 x 1103), and a window held
// to that limit gets (-4, -23, 1928 x 1092): the page would end 15 pixels
// above the screen's bottom edge.
Placement Limited(Placement asked) {
  asked.width = std::min(asked.width, GetSystemMetrics(SM_CXMAXTRACK));
  asked.height = std::min(asked.height, GetSystemMetrics(SM_CYMAXTRACK));
  return asked;
}

// Moves and resizes asked of a watched window, as WM_WINDOWPOSCHANGING brings
// them before DefWindowProc applies the size limits.
std::map<HWND, WNDPROC> g_procs;
std::map<HWND, Moves> g_moves;

LRESULT CALLBACK RecordMoves(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
  const WINDOWPOS* pos = reinterpret_cast<WINDOWPOS*>(lp);
  if (msg == WM_WINDOWPOSCHANGING && !(pos->flags & (SWP_NOMOVE | SWP_NOSIZE)))
    g_moves[w].push_back({pos->x, pos->y, pos->cx, pos->cy});
  return CallWindowProcW(g_procs[w], w, msg, wp, lp);
}

// Moves asked of |window| since the last call.
Moves MovesOf(HWND window) {
  Moves moves;
  moves.swap(g_moves[window]);
  return moves;
}

INPUT Down(WORD vk) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = vk;
  input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  return input;
}
INPUT Up(WORD vk) {
  INPUT input = Down(vk);
  input.ki.dwFlags = KEYEVENTF_KEYUP;
  return input;
}

// Types |keys| and handles every message they lead to.
void Type(std::vector<INPUT> keys) {
  const UINT count = static_cast<UINT>(keys.size());
  ASSERT_EQ(count, SendInput(count, keys.data(), sizeof(INPUT)));
  cef_double::PumpUntil([] { return HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0; },
                        shell_test::kTimeoutMs);
}

void PressEscape() {
  Type({Down(VK_ESCAPE), Up(VK_ESCAPE)});
}

// Whether OnPreKeyEvent saw |message| for |vk|.
bool Saw(UINT message, int vk) {
  const std::vector<cef_double::KeyRecord>& keys = cef_double::KeyEvents();
  return std::any_of(keys.begin(), keys.end(), [&](const auto& key) {
    return key.message == message && key.windows_key_code == vk;
  });
}

// Focuses |browser|'s page, where typed keys go, and watches its window.
void Focus(CefRefPtr<CefBrowser> browser) {
  SetForegroundWindow(WindowOf(browser));
  SetFocus(cef_double::Record(browser).content);
  ASSERT_EQ(cef_double::Record(browser).content, GetFocus());
  const HWND window = WindowOf(browser);
  if (!g_procs.count(window))
    g_procs[window] = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordMoves)));
}

// Runs the shell and |script| on its focused main window. The handler never
// consumes a key: the page gets every one, Escape too. Closing the windows,
// expanded or not, ends the program with status 0.
void RunOnMainWindow(std::function<void(HWND)> script) {
  g_procs.clear();
  g_moves.clear();
  const int status = shell_test::RunShell(L"Zelvora.exe", [script] {
    ASSERT_TRUE(shell_test::WaitForBrowsers(1));
    Focus(cef_double::OpenBrowsers()[0]);
    script(WindowOf(cef_double::OpenBrowsers()[0]));
    for (const cef_double::KeyRecord& key : cef_double::KeyEvents())
      EXPECT_FALSE(key.handled)
          << "consumed: key 0x" << std::hex << key.windows_key_code
          << " in message 0x" << key.message;
  });
  EXPECT_EQ(0, status) << "exit status";
}

TEST(EscapeKey, ReleaseExpandsOntoThePrimaryScreenAndTheNextRestores) {
  RunOnMainWindow([](HWND window) {
    const Placement own = Outer(window);
    const Placement expanded = ExpandedFrom(window);
    PressEscape();
    EXPECT_EQ(Moves{expanded}, MovesOf(window)) << "asked of MoveWindow";
    // Taller than its maximum tracking size, the window reaches the screen's
    // bottom all the same.
    EXPECT_EQ(expanded, Outer(window)) << "what the window got";
    const Placement got = Outer(window);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), got.y + got.height)
        << "outer bottom edge";
    const POINT page = ClientOrigin(window);
    EXPECT_TRUE(page.x == 0 && page.y == 0)
        << "the page starts at " << page.x << ", " << page.y;
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), client.right) << "page width";

    PressEscape();
    EXPECT_EQ(Moves{own}, MovesOf(window));
    EXPECT_EQ(own, Outer(window)) << "not back where it was";

    // Moved and resized while expanded: back to the saved rectangle all the
    // same.
    PressEscape();
    MoveWindow(window, 100, 50, 700, 500, TRUE);
    MovesOf(window);
    PressEscape();
    EXPECT_EQ(Moves{own}, MovesOf(window));
    EXPECT_EQ(own, Outer(window));

    // Restored, the window is held to its maximum tracking size again.
    MoveWindow(window, expanded.x, expanded.y, expanded.width, expanded.height,
               TRUE);
    EXPECT_EQ(Limited(expanded), Outer(window)) << "size limit still raised";
  });
}

TEST(EscapeKey, OnlyAReleaseOfEscapeWithoutAltCounts) {
  RunOnMainWindow([](HWND window) {
    const Placement own = Outer(window);
    const Placement expanded = ExpandedFrom(window);
    // Held down: key-downs, auto-repeated ones, the character Escape types.
    Type({Down(VK_ESCAPE), Down(VK_ESCAPE), Down(VK_ESCAPE)});
    EXPECT_TRUE(Saw(WM_KEYDOWN, VK_ESCAPE) && Saw(WM_CHAR, VK_ESCAPE));
    EXPECT_EQ(Moves{}, MovesOf(window)) << "moved before the release";
    // The release switches, once.
    Type({Up(VK_ESCAPE)});
    EXPECT_EQ(Moves{expanded}, MovesOf(window));
    PressEscape();
    EXPECT_EQ(Moves{own}, MovesOf(window));

    // Released with Alt held, Escape comes as WM_SYSKEYUP. Other keys.
    Type({Down(VK_MENU), Down(VK_ESCAPE), Up(VK_ESCAPE), Up(VK_MENU)});
    EXPECT_TRUE(Saw(WM_SYSKEYUP, VK_ESCAPE));
    for (int vk : {VK_RETURN, VK_SPACE, VK_F1, int{'Q'}})
      Type({Down(vk), Up(vk)});
    EXPECT_TRUE(Saw(WM_KEYUP, 'Q'));
    EXPECT_EQ(Moves{}, MovesOf(window)) << "moved by Alt+Escape or other keys";
    EXPECT_EQ(own, Outer(window));

    // With Shift held, a release switches as a plain one does.
    for (const Placement& next : {expanded, own}) {
      Type({Down(VK_SHIFT), Down(VK_ESCAPE), Up(VK_ESCAPE), Up(VK_SHIFT)});
      EXPECT_EQ(Moves{next}, MovesOf(window));
      EXPECT_EQ(next, Outer(window));
    }
  });
}

TEST(EscapeKey, LeavesAMaximisedWindowAlone) {
  RunOnMainWindow([](HWND window) {
    const Placement own = Outer(window);
    PressEscape();
    const Placement expanded = Outer(window);
    ShowWindow(window, SW_MAXIMIZE);
    ASSERT_TRUE(IsZoomed(window));
    const Placement maximised = Outer(window);
    MovesOf(window);
    PressEscape();
    EXPECT_EQ(Moves{}, MovesOf(window));
    EXPECT_EQ(maximised, Outer(window));
    EXPECT_TRUE(IsZoomed(window));

    // Still expanded: the next release restores what the expansion saved.
    ShowWindow(window, SW_RESTORE);
    EXPECT_EQ(expanded, Outer(window));
    MovesOf(window);
    PressEscape();
    EXPECT_EQ(Moves{own}, MovesOf(window));
    EXPECT_EQ(own, Outer(window));
  });
}

// Called directly: a release with its native message switches the window and
// one without (os_event NULL) does nothing; none is consumed or marked as a
// shortcut, whatever is_keyboard_shortcut held.
TEST(EscapeKey, NeverConsumesTheKeyNorMarksItAsShortcut) {
  RunOnMainWindow([](HWND window) {
    const Placement own = Outer(window);
    const Placement expanded = ExpandedFrom(window);
    CefRefPtr<CefBrowser> browser = cef_double::OpenBrowsers()[0];
    CefRefPtr<CefKeyboardHandler> handler =
        browser->GetHost()->GetClient()->GetKeyboardHandler();
    MSG native = {};
    native.hwnd = cef_double::Record(browser).content;
    native.message = WM_KEYUP;
    native.wParam = VK_ESCAPE;
    native.lParam = static_cast<LPARAM>(0xC0010001);
    CefKeyEvent release;
    release.type = KEYEVENT_KEYUP;
    release.windows_key_code = VK_ESCAPE;
    for (bool passed : {false, true, true, false}) {
      for (MSG* os_event : {&native, static_cast<MSG*>(nullptr)}) {
        bool shortcut = passed;
        EXPECT_FALSE(
            handler->OnPreKeyEvent(browser, release, os_event, &shortcut));
        EXPECT_EQ(passed, shortcut) << "is_keyboard_shortcut was written";
      }
    }
    EXPECT_EQ((Moves{expanded, own, expanded, own}), MovesOf(window));
  });
}

// Each window has its own expanded state and saved rectangle: Escape in a
// pop-up while the main window is expanded expands the pop-up alone, and each
// comes back to its own rectangle.
TEST(EscapeKey, EachWindowExpandsAndRestoresOnItsOwn) {
  RunOnMainWindow([](HWND main_window) {
    const Placement main_own = Outer(main_window);
    PressEscape();
    const Placement main_expanded = Outer(main_window);
    ASSERT_TRUE(cef_double::OpenPopup(cef_double::OpenBrowsers()[0],
                                      "http://hall.example/t", 400, 300));
    ASSERT_TRUE(shell_test::WaitForBrowsers(2));
    CefRefPtr<CefBrowser> popup = cef_double::OpenBrowsers()[1];
    const HWND popup_window = WindowOf(popup);
    Focus(popup);
    const Placement popup_own = Outer(popup_window);
    const Placement popup_expanded = ExpandedFrom(popup_window);
    MovesOf(main_window);

    PressEscape();
    EXPECT_EQ(popup->GetIdentifier(),
              cef_double::KeyEvents().back().browser_id);
    EXPECT_EQ(Moves{popup_expanded}, MovesOf(popup_window)) << "pop-up";
    EXPECT_EQ(popup_expanded, Outer(popup_window));
    EXPECT_EQ(Moves{}, MovesOf(main_window)) << "the main window moved";
    EXPECT_EQ(main_expanded, Outer(main_window));

    PressEscape();
    EXPECT_EQ(Moves{popup_own}, MovesOf(popup_window)) << "pop-up";
    EXPECT_EQ(popup_own, Outer(popup_window));
    Focus(cef_double::OpenBrowsers()[0]);
    PressEscape();
    EXPECT_EQ(Moves{main_own}, MovesOf(main_window)) << "main window";
    EXPECT_EQ(main_own, Outer(main_window));

    // Closed while expanded: the main window stays as it is.
    Focus(popup);
    PressEscape();
    EXPECT_EQ(popup_expanded, Outer(popup_window));
    shell_test::CloseWindow(popup);
    EXPECT_EQ(main_own, Outer(main_window));
  });
}

// A window on the second monitor expands onto the primary screen and comes
// back to its own monitor and rectangle.
TEST(EscapeKey, ExpandsFromASecondMonitorOntoThePrimaryScreen) {
  // Wine reads the monitors once per prefix session:
  // escape_key_two_monitor_test runs this in a prefix of its own, on a display
  // with two monitors.
  if (!getenv("ZELVORA_TWO_MONITORS"))
    GTEST_SKIP() << "escape_key_two_monitor_test runs this on two monitors";
  ASSERT_EQ(2, GetSystemMetrics(SM_CMONITORS));
  RunOnMainWindow([](HWND window) {
    const HMONITOR primary = MonitorFromPoint({0, 0}, MONITOR_DEFAULTTONULL);
    const HMONITOR second = MonitorFromPoint({GetSystemMetrics(SM_CXSCREEN), 0},
                                             MONITOR_DEFAULTTONULL);
    ASSERT_TRUE(second && second != primary) << "nothing right of the primary";
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    GetMonitorInfoW(second, &info);
    MoveWindow(window, info.rcWork.left + 50, 60, 1100, 800, TRUE);
    MovesOf(window);
    const Placement own = Outer(window);  // (1970, 60, 1100 x 800)
    ASSERT_EQ(second, MonitorFromWindow(window, MONITOR_DEFAULTTONULL));
    const Placement expanded = ExpandedFrom(window);

    PressEscape();
    EXPECT_EQ(Moves{expanded}, MovesOf(window));
    EXPECT_EQ(expanded, Outer(window));
    const POINT page = ClientOrigin(window);
    EXPECT_TRUE(page.x == 0 && page.y == 0)
        << "the page starts at " << page.x << ", " << page.y;
    EXPECT_EQ(primary, MonitorFromWindow(window, MONITOR_DEFAULTTONULL));

    PressEscape();
    EXPECT_EQ(Moves{own}, MovesOf(window));
    EXPECT_EQ(own, Outer(window));
    EXPECT_EQ(second, MonitorFromWindow(window, MONITOR_DEFAULTTONULL));
  });
}

}  // namespace
