// The shell's application object: opens the main window once CEF is ready.

#ifndef ZELVORA_SHELL_HALL_APP_H_
#define ZELVORA_SHELL_HALL_APP_H_

#include "include/cef_app.h"

class HallApp : public CefApp, public CefBrowserProcessHandler {
 public:
  HallApp();

  // CefApp methods:
  CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() OVERRIDE {
    return this;
  }

  // CefBrowserProcessHandler methods:
  void OnContextInitialized() OVERRIDE;

 private:
  IMPLEMENT_REFCOUNTING(HallApp);
};

#endif  // ZELVORA_SHELL_HALL_APP_H_
