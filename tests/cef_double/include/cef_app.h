// Process entry points of CEF and the application interface.
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser_process_handler.h"
#include "include/cef_command_line.h"

// Only named by CefApp's defaults; the shell implements none of them.
class CefRenderProcessHandler : public virtual CefBase {};
class CefResourceBundleHandler : public virtual CefBase {};
class CefSchemeRegistrar : public virtual CefBase {};

class CefApp;

// >= 0 (the exit code) in a CEF sub-process, -1 in the browser process.
int CefExecuteProcess(const CefMainArgs& args,
                      CefRefPtr<CefApp> application,
                      void* windows_sandbox_info);
bool CefInitialize(const CefMainArgs& args,
                   const CefSettings& settings,
                   CefRefPtr<CefApp> application,
                   void* windows_sandbox_info);
void CefShutdown();
// Runs the UI thread's message loop until CefQuitMessageLoop().
void CefRunMessageLoop();
void CefQuitMessageLoop();
void CefEnableHighDPISupport();

class CefApp : public virtual CefBase {
 public:
  virtual void OnBeforeCommandLineProcessing(
      const CefString& /*process_type*/,
      CefRefPtr<CefCommandLine> /*command_line*/) {}
  virtual void OnRegisterCustomSchemes(
      CefRefPtr<CefSchemeRegistrar> /*registrar*/) {}
  virtual CefRefPtr<CefResourceBundleHandler> GetResourceBundleHandler() {
    return NULL;
  }
  virtual CefRefPtr<CefBrowserProcessHandler> GetBrowserProcessHandler() {
    return NULL;
  }
  virtual CefRefPtr<CefRenderProcessHandler> GetRenderProcessHandler() {
    return NULL;
  }
};
