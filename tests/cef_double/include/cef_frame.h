// A frame of a browser's page.
#pragma once

#include "include/cef_base.h"

class CefBrowser;

class CefFrame : public virtual CefBase {
 public:
  // False once the browser has been destroyed.
  virtual bool IsValid() = 0;
  virtual void LoadURL(const CefString& url) = 0;
  // Shows |string_val| as the document at |url|; both must be non-empty. As in
  // CEF, windows.h (seen through cef_base.h) may rename this LoadStringW or
  // LoadStringA: callers and implementers are built alike, as Unicode.
  virtual void LoadString(const CefString& string_val,
                          const CefString& url) = 0;
  virtual bool IsMain() = 0;
  virtual bool IsFocused() = 0;
  virtual CefString GetName() = 0;
  virtual int64 GetIdentifier() = 0;
  virtual CefRefPtr<CefFrame> GetParent() = 0;
  virtual CefString GetURL() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
};
