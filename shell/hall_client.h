// The one client object through which CEF reports every browser's events.

#ifndef ZELVORA_SHELL_HALL_CLIENT_H_
#define ZELVORA_SHELL_HALL_CLIENT_H_

#include <windows.h>

#include <list>
#include <map>

#include "include/cef_client.h"

// Command ids of the shell's own, in CEF's range for client commands.
enum HallMenuId {
  MENU_ID_HALL_CLEAR_CACHE = MENU_ID_USER_FIRST + 1001,  // 27501
  MENU_ID_HALL_RELOAD = MENU_ID_USER_FIRST + 1002,       // 27502
};

class HallClient : public CefClient,
                   public CefDisplayHandler,
                   public CefLifeSpanHandler,
                   public CefContextMenuHandler,
                   public CefKeyboardHandler,
                   public CefLoadHandler,
                   public CefRequestHandler {
 public:
  // CefLifeSpanHandler and CefRequestHandler both name this type.
  using CefLifeSpanHandler::WindowOpenDisposition;

  HallClient();

  // CefClient methods: this object serves every role it implements.
  CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() OVERRIDE {
    return this;
  }
  CefRefPtr<CefDisplayHandler> GetDisplayHandler() OVERRIDE { return this; }
  CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() OVERRIDE { return this; }
  CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() OVERRIDE { return this; }
  CefRefPtr<CefLoadHandler> GetLoadHandler() OVERRIDE { return this; }
  CefRefPtr<CefRequestHandler> GetRequestHandler() OVERRIDE { return this; }

  // CefDisplayHandler methods (hall_client.cc):
  void OnTitleChange(CefRefPtr<CefBrowser> browser,
                     const CefString& title) OVERRIDE;

  // CefLifeSpanHandler methods (hall_client.cc):
  bool OnBeforePopup(CefRefPtr<CefBrowser> browser,
                     CefRefPtr<CefFrame> frame,
                     const CefString& target_url,
                     const CefString& target_frame_name,
                     WindowOpenDisposition target_disposition,
                     bool user_gesture,
                     const CefPopupFeatures& popupFeatures,
                     CefWindowInfo& windowInfo,
                     CefRefPtr<CefClient>& client,
                     CefBrowserSettings& settings,
                     bool* no_javascript_access) OVERRIDE;
  void OnAfterCreated(CefRefPtr<CefBrowser> browser) OVERRIDE;
  bool DoClose(CefRefPtr<CefBrowser> browser) OVERRIDE;
  void OnBeforeClose(CefRefPtr<CefBrowser> browser) OVERRIDE;

  // CefContextMenuHandler methods (context_menu.cc):
  void OnBeforeContextMenu(CefRefPtr<CefBrowser> browser,
                           CefRefPtr<CefFrame> frame,
                           CefRefPtr<CefContextMenuParams> params,
                           CefRefPtr<CefMenuModel> model) OVERRIDE;
  bool OnContextMenuCommand(CefRefPtr<CefBrowser> browser,
                            CefRefPtr<CefFrame> frame,
                            CefRefPtr<CefContextMenuParams> params,
                            int command_id,
                            EventFlags event_flags) OVERRIDE;

  // CefKeyboardHandler methods (escape_key.cc):
  bool OnPreKeyEvent(CefRefPtr<CefBrowser> browser,
                     const CefKeyEvent& event,
                     CefEventHandle os_event,
                     bool* is_keyboard_shortcut) OVERRIDE;

  // CefLoadHandler methods (error_page.cc):
  void OnLoadError(CefRefPtr<CefBrowser> browser,
                   CefRefPtr<CefFrame> frame,
                   ErrorCode errorCode,
                   const CefString& errorText,
                   const CefString& failedUrl) OVERRIDE;

  // CefRequestHandler methods (error_page.cc):
  void OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                 TerminationStatus status) OVERRIDE;

 private:
  ~HallClient() OVERRIDE;

  // Switches the window of the browser |browser_id| between its own placement
  // and the expanded one.
  void ToggleExpandedPlacement(int browser_id, HWND window);

  // Open browsers, oldest first; each listed one is kept alive by the list.
  typedef std::list<CefRefPtr<CefBrowser>> BrowserList;
  BrowserList browser_list_;

  // Browsers whose window the Escape key expanded and has not restored since,
  // by identifier, each with its window's outer rectangle at the expansion.
  typedef std::map<int, RECT> ExpandedWindows;
  ExpandedWindows expanded_windows_;

  IMPLEMENT_REFCOUNTING(HallClient);
};

#endif  // ZELVORA_SHELL_HALL_CLIENT_H_
