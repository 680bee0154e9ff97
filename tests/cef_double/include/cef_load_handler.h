// Progress and failure of page loads.
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"
#include "include/cef_frame.h"

class CefLoadHandler : public virtual CefBase {
 public:
  typedef cef_errorcode_t ErrorCode;

  virtual void OnLoadingStateChange(CefRefPtr<CefBrowser> /*browser*/,
                                    bool /*isLoading*/,
                                    bool /*canGoBack*/,
                                    bool /*canGoForward*/) {}
  virtual void OnLoadStart(CefRefPtr<CefBrowser> /*browser*/,
                           CefRefPtr<CefFrame> /*frame*/) {}
  virtual void OnLoadEnd(CefRefPtr<CefBrowser> /*browser*/,
                         CefRefPtr<CefFrame> /*frame*/,
                         int /*httpStatusCode*/) {}
  virtual void OnLoadError(CefRefPtr<CefBrowser> /*browser*/,
                           CefRefPtr<CefFrame> /*frame*/,
                           ErrorCode /*errorCode*/,
                           const CefString& /*errorText*/,
                           const CefString& /*failedUrl*/) {}
};
