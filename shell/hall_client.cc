// HallClient: construction, browser list, life span and window captions.

#include "hall_client.h"

#include <string>

#include "include/cef_app.h"
#include "resources/resource.h"

namespace {

HWND WindowOf(CefRefPtr<CefBrowser> browser) {
  return browser->GetHost()->GetWindowHandle();
}

}  // namespace

HallClient::HallClient() {}

HallClient::~HallClient() {}

void HallClient::OnTitleChange(CefRefPtr<CefBrowser> browser,
                               const CefString& title) {
  // The caption is exactly the page's title, empty included.
  const std::wstring caption = title.ToWString();
  SetWindowTextW(WindowOf(browser), caption.c_str());
}

bool HallClient::OnBeforePopup(CefRefPtr<CefBrowser> browser,
                               CefRefPtr<CefFrame> frame,
                               const CefString& target_url,
                               const CefString& target_frame_name,
                               WindowOpenDisposition target_disposition,
                               bool user_gesture,
                               const CefPopupFeatures& popupFeatures,
                               CefWindowInfo& windowInfo,
                               CefRefPtr<CefClient>& client,
                               CefBrowserSettings& settings,
                               bool* no_javascript_access) {
  // Pop-ups always open, in the window CEF proposes and served by this client.
  return false;
}

void HallClient::OnAfterCreated(CefRefPtr<CefBrowser> browser) {
  browser_list_.push_back(browser);
  // Every browser window, main or pop-up, carries the program's icon.
  HICON icon =
      LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_ZELVORA));
  SendMessageW(WindowOf(browser), WM_SETICON, ICON_BIG,
               reinterpret_cast<LPARAM>(icon));
}

bool HallClient::DoClose(CefRefPtr<CefBrowser> browser) {
  // Let CEF close the window; OnBeforeClose follows.
  return false;
}

void HallClient::OnBeforeClose(CefRefPtr<CefBrowser> browser) {
  for (BrowserList::iterator it = browser_list_.begin();
       it != browser_list_.end(); ++it) {
    if ((*it)->IsSame(browser)) {
      browser_list_.erase(it);
      break;
    }
  }
  expanded_windows_.erase(browser->GetIdentifier());
  // The program ends with its last browser window.
  if (browser_list_.empty())
    CefQuitMessageLoop();
}
