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
    ToggleExpandedPlacement(browser->GetHost()->GetWindowHandle());
  }
  // Never consumed: the page sees every key, Escape included.
  return false;
}

void HallClient::ToggleExpandedPlacement(HWND window) {
  // A maximised window is left to the window manager.
  if (IsZoomed(window))
    return;

  if (window_expanded_) {
    const RECT& saved = saved_window_rect_;
    Move(window, window_placement::RestoredPlacement(
                     {saved.left, saved.top, saved.right, saved.bottom}));
    window_expanded_ = false;
    return;
  }

  GetWindowRect(window, &saved_window_rect_);
  RECT client;
  GetClientRect(window, &client);
  POINT client_origin = {client.left, client.top};
  ClientToScreen(window, &client_origin);
  // The whole primary screen, not its work area.
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const RECT& saved = saved_window_rect_;
  Move(window,
       window_placement::ExpandedPlacement(
           {saved.left, saved.top, saved.right, saved.bottom},
           {client_origin.x, client_origin.y}, screen_width, screen_height));
  window_expanded_ = true;
}
