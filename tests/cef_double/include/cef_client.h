// The client: hands CEF the handler for each kind of browser event.
#pragma once

#include "include/cef_base.h"
#include "include/cef_context_menu_handler.h"
#include "include/cef_display_handler.h"
#include "include/cef_keyboard_handler.h"
#include "include/cef_life_span_handler.h"
#include "include/cef_load_handler.h"
#include "include/cef_request_handler.h"

// Handler kinds the shell leaves to CEF's defaults; only their names exist.
class CefDialogHandler : public virtual CefBase {};
class CefDownloadHandler : public virtual CefBase {};
class CefDragHandler : public virtual CefBase {};
class CefFindHandler : public virtual CefBase {};
class CefFocusHandler : public virtual CefBase {};
class CefGeolocationHandler : public virtual CefBase {};
class CefJSDialogHandler : public virtual CefBase {};
class CefRenderHandler : public virtual CefBase {};
class CefProcessMessage : public virtual CefBase {};
typedef cef_process_id_t CefProcessId;

class CefClient : public virtual CefBase {
 public:
  virtual CefRefPtr<CefContextMenuHandler> GetContextMenuHandler() {
    return NULL;
  }
  virtual CefRefPtr<CefDialogHandler> GetDialogHandler() { return NULL; }
  virtual CefRefPtr<CefDisplayHandler> GetDisplayHandler() { return NULL; }
  virtual CefRefPtr<CefDownloadHandler> GetDownloadHandler() { return NULL; }
  virtual CefRefPtr<CefDragHandler> GetDragHandler() { return NULL; }
  virtual CefRefPtr<CefFindHandler> GetFindHandler() { return NULL; }
  virtual CefRefPtr<CefFocusHandler> GetFocusHandler() { return NULL; }
  virtual CefRefPtr<CefGeolocationHandler> GetGeolocationHandler() {
    return NULL;
  }
  virtual CefRefPtr<CefJSDialogHandler> GetJSDialogHandler() { return NULL; }
  virtual CefRefPtr<CefKeyboardHandler> GetKeyboardHandler() { return NULL; }
  virtual CefRefPtr<CefLifeSpanHandler> GetLifeSpanHandler() { return NULL; }
  virtual CefRefPtr<CefLoadHandler> GetLoadHandler() { return NULL; }
  virtual CefRefPtr<CefRenderHandler> GetRenderHandler() { return NULL; }
  virtual CefRefPtr<CefRequestHandler> GetRequestHandler() { return NULL; }
  virtual bool OnProcessMessageReceived(
      CefRefPtr<CefBrowser> /*browser*/,
      CefProcessId /*source_process*/,
      CefRefPtr<CefProcessMessage> /*message*/) {
    return false;
  }
};
