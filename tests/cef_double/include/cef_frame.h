// A frame of a browser's page.
#pragma once

#include "include/cef_base.h"

class CefBrowser;

class CefFrame : public virtual CefBase {
 public:
  // False once the browser has been destroyed.
  virtual bool IsValid() = 0;
  virtual void LoadURL(const CefString& url) = 0;
  virtual bool IsMain() = 0;
  virtual bool IsFocused() = 0;
  virtual CefString GetName() = 0;
  virtual int64 GetIdentifier() = 0;
  virtual CefRefPtr<CefFrame> GetParent() = 0;
  virtual CefString GetURL() = 0;
  virtual CefRefPtr<CefBrowser> GetBrowser() = 0;
};
