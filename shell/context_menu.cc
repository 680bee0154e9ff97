// HallClient as context-menu handler: no Print or View Source, and a
// "Reload" item of our own at the end of every menu.

#include "hall_client.h"

#include "cache_clearing.h"

void HallClient::OnBeforeContextMenu(CefRefPtr<CefBrowser> browser,
                                     CefRefPtr<CefFrame> frame,
                                     CefRefPtr<CefContextMenuParams> params,
                                     CefRefPtr<CefMenuModel> model) {
  // The same for every kind of menu: page, link, image, selection, editable.
  model->Remove(MENU_ID_PRINT);
  model->Remove(MENU_ID_VIEW_SOURCE);
  model->AddItem(MENU_ID_HALL_RELOAD, "Reload");
}

bool HallClient::OnContextMenuCommand(CefRefPtr<CefBrowser> browser,
                                      CefRefPtr<CefFrame> frame,
                                      CefRefPtr<CefContextMenuParams> params,
                                      int command_id,
                                      EventFlags event_flags) {
  switch (command_id) {
    case MENU_ID_HALL_RELOAD:
      browser->Reload();
      return true;
    case MENU_ID_HALL_CLEAR_CACHE:
      // Not offered in the menu; reachable by its id.
      cache_clearing::ClearCacheWithConsent(
          browser->GetHost()->GetWindowHandle());
      return true;
    default:
      return false;  // CEF's own command: CEF carries it out.
  }
}
