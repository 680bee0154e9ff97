// Requests of a browser and the life of its renderer process. Only the
// notification the shell overrides is declared; CEF's other request
// notifications keep their defaults.
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"

class CefRequestHandler : public virtual CefBase {
 public:
  typedef cef_termination_status_t TerminationStatus;
  // Also CefLifeSpanHandler's: a class serving both roles must pick one.
  typedef cef_window_open_disposition_t WindowOpenDisposition;

  // The browser's renderer process ended unexpectedly; UI thread.
  virtual void OnRenderProcessTerminated(CefRefPtr<CefBrowser> /*browser*/,
                                         TerminationStatus /*status*/) {}
};
