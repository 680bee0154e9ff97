// State shared by the double's runtime files. UI thread only, apart from the
// atomic counters.
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "cef_double_control.h"
#include "include/cef_client.h"

namespace cef_double {
namespace internal {

extern std::atomic<int> live_browsers, live_wrappers;

// Member of every object handed to the client, for LiveWrappers().
struct WrapperToken {
  WrapperToken() { ++live_wrappers; }
  WrapperToken(const WrapperToken&) = delete;
  ~WrapperToken() { --live_wrappers; }
};

struct BrowserState;

struct FrameState {
  int64 id = 0;
  bool is_main = false;
  bool detached = false;  // the browser was destroyed
  std::wstring url;
  std::weak_ptr<BrowserState> browser;
  std::vector<std::wstring> loaded;   // LoadURL
  std::vector<LoadedString> strings;  // LoadString
};

struct MenuItemState {
  int id;
  CefString label;
  cef_menu_item_type_t type;
  bool enabled;
};
typedef std::vector<MenuItemState> MenuState;

struct BrowserState {
  enum Destruction { NONE, PENDING, ACCEPTED, COMPLETED };
  BrowserRecord record;
  CefRefPtr<CefClient> client;
  CefBrowserSettings settings;
  HWND opener = NULL;
  Destruction destruction = NONE;
  bool window_destroyed = false;
  bool gone = false;                // OnBeforeClose has been called
  bool load_error_pending = false;  // inside OnLoadError
  std::shared_ptr<FrameState> main;
  std::vector<std::shared_ptr<FrameState>> subframes;
  std::shared_ptr<MenuState> menu;  // the menu on screen, if any
  int menu_flags = 0;
  BrowserState() { ++live_browsers; }
  ~BrowserState() { --live_browsers; }
};
typedef std::shared_ptr<BrowserState> BrowserPtr;
typedef std::shared_ptr<FrameState> FramePtr;

// runtime.cc
void Log(const char* call);
bool ContextValid();
// browser.cc
CefRefPtr<CefBrowser> Wrap(const BrowserPtr& b);
CefRefPtr<CefFrame> Wrap(const FramePtr& f);
BrowserPtr StateOf(CefRefPtr<CefBrowser> browser);
FramePtr StateOf(CefRefPtr<CefFrame> frame);
void CreateBrowserLater(const CefWindowInfo& info,
                        CefRefPtr<CefClient> client,
                        const CefString& url,
                        const CefBrowserSettings& settings,
                        HWND opener);
void ResetBrowsers();
// Counts a reload of |b|, later if OnLoadError is running (CEF does so).
void CountReload(BrowserPtr b, bool ignore_cache);
// menu.cc
CefRefPtr<CefMenuModel> WrapMenu(std::shared_ptr<MenuState> menu);

}  // namespace internal
}  // namespace cef_double
