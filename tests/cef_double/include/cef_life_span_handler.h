// Creation and destruction of browsers.
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"

class CefClient;

class CefLifeSpanHandler : public virtual CefBase {
 public:
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // Called on CEF's IO thread, not the UI thread. Return true to cancel the
  // pop-up; |windowInfo|, |client| and |settings| start as CEF proposes them.
  virtual bool OnBeforePopup(CefRefPtr<CefBrowser> /*browser*/,
                             CefRefPtr<CefFrame> /*frame*/,
                             const CefString& /*target_url*/,
                             const CefString& /*target_frame_name*/,
                             WindowOpenDisposition /*target_disposition*/,
                             bool /*user_gesture*/,
                             const CefPopupFeatures& /*popupFeatures*/,
                             CefWindowInfo& /*windowInfo*/,
                             CefRefPtr<CefClient>& /*client*/,
                             CefBrowserSettings& /*settings*/,
                             bool* /*no_javascript_access*/) {
    return false;
  }
  virtual void OnAfterCreated(CefRefPtr<CefBrowser> /*browser*/) {}
  virtual bool RunModal(CefRefPtr<CefBrowser> /*browser*/) { return false; }
  // Return false to let CEF close the window as usual.
  virtual bool DoClose(CefRefPtr<CefBrowser> /*browser*/) { return false; }
  virtual void OnBeforeClose(CefRefPtr<CefBrowser> /*browser*/) {}
};
