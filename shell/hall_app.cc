#include "hall_app.h"

#include <windows.h>

#include "hall_client.h"
#include "include/cef_browser.h"
#include "include/cef_command_line.h"
#include "window_placement.h"

#ifndef ZELVORA_START_URL
#error "ZELVORA_START_URL must name the default start address"
#endif

namespace {

const char kWindowName[] = "Zelvora";
const char kStartUrl[] = ZELVORA_START_URL;

}  // namespace

HallApp::HallApp() {}

void HallApp::OnContextInitialized() {
  // One top-level window, 1100 x 800 to begin with and resizable, centred on
  // the primary screen.
  CefWindowInfo window_info;
  window_info.SetAsPopup(nullptr, kWindowName);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  const window_placement::Placement placement =
      window_placement::CentredMainWindow(screen_width, screen_height);
  window_info.x = placement.x;
  window_info.y = placement.y;
  window_info.width = placement.width;
  window_info.height = placement.height;

  CefRefPtr<HallClient> client(new HallClient());
  CefBrowserSettings browser_settings;

  // --url=<address> picks the page, taken as given; empty or absent means
  // the built-in start address.
  CefString url = CefCommandLine::GetGlobalCommandLine()->GetSwitchValue("url");
  if (url.empty())
    url = kStartUrl;

  // Asynchronous: the client learns of the browser in OnAfterCreated.
  CefBrowserHost::CreateBrowser(window_info, client.get(), url,
                                browser_settings, nullptr);
}
