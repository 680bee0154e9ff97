// Browser-process notifications for the application.
#pragma once

#include "include/cef_base.h"
#include "include/cef_command_line.h"

// Only named by CefBrowserProcessHandler's defaults; the shell implements
// neither.
class CefListValue : public virtual CefBase {};
class CefPrintHandler : public virtual CefBase {};

class CefBrowserProcessHandler : public virtual CefBase {
 public:
  // On the UI thread, once CEF's context is ready.
  virtual void OnContextInitialized() {}
  virtual void OnBeforeChildProcessLaunch(
      CefRefPtr<CefCommandLine> /*command_line*/) {}
  virtual void OnRenderProcessThreadCreated(
      CefRefPtr<CefListValue> /*extra_info*/) {}
  virtual CefRefPtr<CefPrintHandler> GetPrintHandler() { return NULL; }
};
