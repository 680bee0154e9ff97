// HallClient as keyboard handler: each release of Escape switches the window
// between its own placement and one where the page fills the primary screen.

#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "hall_client.h"
#include "window_placement.h"

namespace {

const UINT_PTR kRaisedSizeLimitId = 1;

void Move(HWND window, const window_placement::Placement& placement) {
  MoveWindow(window, placement.x, placement.y, placement.width,
             placement.height, TRUE);
}

// Windows keeps a resizable window within its maximum tracking size, a few
// pixels more than the screen: without this, the expanded window, taller than
// the screen by its caption bar, would stop short of the screen's bottom.
// |size| holds the expanded width and height as WM_SIZE packs a size.
LRESULT CALLBACK RaisedSizeLimitProc(HWND window,
                                     UINT message,
                                     WPARAM wparam,
                                     LPARAM lparam,
                                     UINT_PTR subclass_id,
                                     DWORD_PTR size) {
  if (message == WM_GETMINMAXINFO) {
    const LRESULT result = DefSubclassProc(window, message, wparam, lparam);
    MINMAXINFO* info = reinterpret_cast<MINMAXINFO*>(lparam);
    info->ptMaxTrackSize.x =
        std::max<LONG>(info->ptMaxTrackSize.x, LOWORD(size));
    info->ptMaxTrackSize.y =
        std::max<LONG>(info->ptMaxTrackSize.y, HIWORD(size));
    return result;
  }
  // Destroyed while expanded.
  if (message == WM_NCDESTROY)
    RemoveWindowSubclass(window, RaisedSizeLimitProc, subclass_id);
  return DefSubclassProc(window, message, wparam, lparam);
}

// One side of a size, as WM_SIZE carries it; no screen comes near 65535
// pixels.
WORD SizeWord(int32_t pixels) {
  return static_cast<WORD>(
      std::min<int32_t>(std::max<int32_t>(pixels, 0), 0xFFFF));
}

// Lets |window| grow to |placement|'s size, until DropRaisedSizeLimit.
void RaiseSizeLimit(HWND window, const window_placement::Placement& placement) {
  SetWindowSubclass(
      window, RaisedSizeLimitProc, kRaisedSizeLimitId,
      MAKELONG(SizeWord(placement.width), SizeWord(placement.height)));
}

void DropRaisedSizeLimit(HWND window) {
  RemoveWindowSubclass(window, RaisedSizeLimitProc, kRaisedSizeLimitId);
}

}  // namespace

bool HallClient::OnPreKeyEvent(CefRefPtr<CefBrowser> browser,
                               const CefKeyEvent& event,
                               CefEventHandle os_event,
                               bool* is_keyboard_shortcut) {
  // Only the release counts, so holding Escape down toggles once. Escape
  // released with Alt held arrives as WM_SYSKEYUP and does nothing.
  if (os_event && os_event->message == WM_KEYUP &&
      os_event->wParam == VK_ESCAPE) {
    ToggleExpandedPlacement(browser->GetIdentifier(),
                            browser->GetHost()->GetWindowHandle());
  }
  // Never consumed: the page sees every key, Escape included.
  return false;
}

void HallClient::ToggleExpandedPlacement(int browser_id, HWND window) {
  // A maximised window is left to the window manager.
  if (IsZoomed(window))
    return;

  ExpandedWindows::iterator expanded = expanded_windows_.find(browser_id);
  if (expanded != expanded_windows_.end()) {
    const RECT& saved = expanded->second;
    Move(window, window_placement::RestoredPlacement(
                     {saved.left, saved.top, saved.right, saved.bottom}));
    expanded_windows_.erase(expanded);
    DropRaisedSizeLimit(window);
    return;
  }

  RECT saved;
  GetWindowRect(window, &saved);
  RECT client;
  GetClientRect(window, &client);
  POINT client_origin = {client.left, client.top};
  ClientToScreen(window, &client_origin);
  // The whole primary screen, not its work area.
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const window_placement::Placement placement =
      window_placement::ExpandedPlacement(
          {saved.left, saved.top, saved.right, saved.bottom},
          {client_origin.x, client_origin.y}, screen_width, screen_height);
  RaiseSizeLimit(window, placement);
  Move(window, placement);
  expanded_windows_[browser_id] = saved;
}
