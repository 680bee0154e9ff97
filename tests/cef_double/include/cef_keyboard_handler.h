// Keyboard events of a browser, before and after the page sees them.
#pragma once

#include "include/cef_base.h"
#include "include/cef_browser.h"

class CefKeyboardHandler : public virtual CefBase {
 public:
  // |os_event| is the native MSG, or NULL (character events). Return true to
  // keep the event from the page.
  virtual bool OnPreKeyEvent(CefRefPtr<CefBrowser> /*browser*/,
                             const CefKeyEvent& /*event*/,
                             CefEventHandle /*os_event*/,
                             bool* /*is_keyboard_shortcut*/) {
    return false;
  }
  virtual bool OnKeyEvent(CefRefPtr<CefBrowser> /*browser*/,
                          const CefKeyEvent& /*event*/,
                          CefEventHandle /*os_event*/) {
    return false;
  }
};
