// HallClient as keyboard handler: each release of Escape switches the window
// between its own placement and one where the page fills the primary screen.

#include "hall_client.h"
#include "window_placement.h"

namespace {

void Move(HWND window, const window_placement::Placement& placement) {
  MoveWindow(window, placement.x, placement.y, placement.width,
             placement.height, TRUE);
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
  Move(window, placement);
  expanded_windows_[browser_id] = saved;
}
