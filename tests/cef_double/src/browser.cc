// Browsers, hosts and frames: native windows, creation from the loop, the
// close sequence, keyboard routing, pop-ups, titles and load errors.
#include <stdio.h>
#include <stdlib.h>
#include <wchar.h>

#include <algorithm>

#include "include/cef_client.h"
#include "src/internal.h"

namespace cef_double {
namespace internal {
namespace {

const wchar_t kBrowserClass[] = L"CefBrowserWindow";
const wchar_t kContentClass[] = L"CefDoubleContentWindow";

std::vector<BrowserPtr> g_open;  // created and not yet destroyed, oldest first
std::vector<KeyRecord> g_keys;
int g_next_browser_id = 1;
int64 g_next_frame_id = 1;

// One object serves as browser and as host; every hand-out is a new one.
class BrowserImpl : public CefBrowser, public CefBrowserHost {
 public:
  explicit BrowserImpl(BrowserPtr s) : s_(std::move(s)) {}
  const BrowserPtr& state() const { return s_; }

  CefRefPtr<CefBrowserHost> GetHost() override { return new BrowserImpl(s_); }
  bool CanGoBack() override { return false; }  // no history in the double
  void GoBack() override {}
  bool CanGoForward() override { return false; }
  void GoForward() override {}
  bool IsLoading() override { return false; }
  void Reload() override { CountReload(s_, false); }
  void ReloadIgnoreCache() override { CountReload(s_, true); }
  void StopLoad() override {}
  int GetIdentifier() override { return s_->record.id; }
  bool IsSame(CefRefPtr<CefBrowser> that) override {
    return StateOf(that) == s_;
  }
  bool IsPopup() override { return s_->opener != NULL; }
  bool HasDocument() override { return s_->main != nullptr; }
  CefRefPtr<CefFrame> GetMainFrame() override {
    return s_->main ? Wrap(s_->main) : NULL;
  }
  CefRefPtr<CefFrame> GetFocusedFrame() override { return GetMainFrame(); }
  CefRefPtr<CefFrame> GetFrame(int64 identifier) override {
    if (s_->main && s_->main->id == identifier)
      return Wrap(s_->main);
    for (auto& f : s_->subframes)
      if (f->id == identifier)
        return Wrap(f);
    return NULL;
  }
  size_t GetFrameCount() override {
    return s_->main ? 1 + s_->subframes.size() : 0;
  }

  CefRefPtr<CefBrowser> GetBrowser() override { return new BrowserImpl(s_); }
  void CloseBrowser(bool force_close) override;
  void SetFocus(bool focus) override {
    if (focus && !s_->window_destroyed)
      ::SetFocus(s_->record.content);
  }
  CefWindowHandle GetWindowHandle() override {
    return s_->gone ? NULL : s_->record.window;
  }
  CefWindowHandle GetOpenerWindowHandle() override { return s_->opener; }
  CefRefPtr<CefClient> GetClient() override { return s_->client; }

 private:
  BrowserPtr s_;
  WrapperToken token_;
  IMPLEMENT_REFCOUNTING(BrowserImpl)
};

bool HasScheme(const std::wstring& url, const wchar_t* scheme) {
  const size_t length = wcslen(scheme);
  return url.size() > length && url[length] == L':' &&
         _wcsnicmp(url.c_str(), scheme, length) == 0;
}

void LoadUrl(FramePtr f, std::wstring url) {
  BrowserPtr b = f->browser.lock();
  if (!b || f->detached)
    return;
  if (f->is_main && b->load_error_pending) {  // CEF retries from a task
    PostTask([f, url] { LoadUrl(f, url); });
    return;
  }
  f->loaded.push_back(url);
  // A sub-frame's LoadURL runs in the page's renderer, and a web page may not
  // take a frame to a local file: the frame stays blank, the load aborted.
  if (!f->is_main && HasScheme(url, L"file") && b->main &&
      (HasScheme(b->main->url, L"http") || HasScheme(b->main->url, L"https"))) {
    PostTask([b, f, url] {
      if (!f->detached)
        ReportLoadError(Wrap(b), Wrap(f), ERR_ABORTED, url);
    });
    return;
  }
  f->url = url;
}

// What a failed check in CEF's wrapper does in a checked build.
[[noreturn]] void CheckFailed(const char* condition) {
  fprintf(stderr, "Check failed: %s\n", condition);
  fflush(stderr);
  TerminateProcess(GetCurrentProcess(), 3);
  abort();
}

class FrameImpl : public CefFrame {
 public:
  explicit FrameImpl(FramePtr s) : s_(std::move(s)) {}
  const FramePtr& state() const { return s_; }

  bool IsValid() override { return !s_->detached; }
  void LoadURL(const CefString& url) override { LoadUrl(s_, url.ToWString()); }
  void LoadString(const CefString& string_val, const CefString& url) override {
    if (string_val.empty())
      CheckFailed("!string_val.empty()");
    if (url.empty())
      CheckFailed("!url.empty()");
    if (s_->detached)
      return;
    s_->strings.push_back({string_val.ToWString(), url.ToWString()});
    s_->url = url.ToWString();
  }
  bool IsMain() override { return s_->is_main; }
  bool IsFocused() override { return s_->is_main; }
  CefString GetName() override { return CefString(); }
  int64 GetIdentifier() override { return s_->id; }
  CefRefPtr<CefFrame> GetParent() override {
    BrowserPtr b = s_->browser.lock();
    return !s_->is_main && !s_->detached && b && b->main ? Wrap(b->main) : NULL;
  }
  CefString GetURL() override { return s_->url; }
  CefRefPtr<CefBrowser> GetBrowser() override {
    BrowserPtr b = s_->browser.lock();
    return b && !s_->detached ? Wrap(b) : NULL;
  }

 private:
  FramePtr s_;
  WrapperToken token_;
  IMPLEMENT_REFCOUNTING(FrameImpl)
};

FramePtr NewFrame(const BrowserPtr& b, bool is_main, const CefString& url) {
  FramePtr f = std::make_shared<FrameState>();
  f->id = g_next_frame_id++;
  f->is_main = is_main;
  f->url = url.ToWString();
  f->browser = b;
  return f;
}

BrowserPtr FindByWindow(HWND hwnd) {
  for (auto& b : g_open)
    if (b->record.window == hwnd)
      return b;
  return nullptr;
}

// OnBeforeClose, then CEF lets go of the browser.
void DestroyBrowser(const BrowserPtr& b) {
  b->destruction = BrowserState::COMPLETED;
  if (b->client) {
    CefRefPtr<CefLifeSpanHandler> handler = b->client->GetLifeSpanHandler();
    if (handler)
      handler->OnBeforeClose(Wrap(b));
  }
  b->gone = true;
  if (b->main)
    b->main->detached = true;
  for (auto& f : b->subframes)
    f->detached = true;
  b->main.reset();
  b->subframes.clear();
  g_open.erase(std::remove(g_open.begin(), g_open.end(), b), g_open.end());
}

// CEF's close sequence: DoClose while the window exists; if allowed, a
// WM_CLOSE is posted to the root window, whose destruction ends the browser.
void Close(const BrowserPtr& b, bool force) {
  if (b->destruction >= BrowserState::PENDING && !b->window_destroyed) {
    if (force && b->destruction == BrowserState::PENDING)
      b->destruction = BrowserState::ACCEPTED;
    return;
  }
  if (b->destruction == BrowserState::COMPLETED)
    return;
  if (b->destruction < BrowserState::ACCEPTED)
    b->destruction = force ? BrowserState::ACCEPTED : BrowserState::PENDING;
  bool close = true;
  if (b->client && !b->window_destroyed) {
    CefRefPtr<CefLifeSpanHandler> handler = b->client->GetLifeSpanHandler();
    if (handler)
      close = !handler->DoClose(Wrap(b));
  }
  if (!close) {
    b->destruction = BrowserState::NONE;
  } else if (!b->window_destroyed) {
    b->destruction = BrowserState::ACCEPTED;
    PostMessageW(GetAncestor(b->record.window, GA_ROOT), WM_CLOSE, 0, 0);
  } else {
    DestroyBrowser(b);
  }
}

void BrowserImpl::CloseBrowser(bool force_close) {
  Close(s_, force_close);
}

LRESULT CALLBACK BrowserWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  BrowserPtr b = FindByWindow(hwnd);  // keeps it alive during the message
  if (b) {
    switch (msg) {
      case WM_CLOSE:
        if (b->destruction > BrowserState::PENDING)
          break;  // the close was accepted: let DefWindowProc destroy it
        if (b->destruction == BrowserState::NONE)
          Close(b, false);
        return 0;
      case WM_DESTROY:
        b->window_destroyed = true;
        Close(b, true);
        return 0;
      case WM_SIZE: {
        RECT rc;
        GetClientRect(hwnd, &rc);
        MoveWindow(b->record.content, 0, 0, rc.right, rc.bottom, TRUE);
        return 0;
      }
      case WM_SETFOCUS:
        SetFocus(b->record.content);
        return 0;
      case WM_ERASEBKGND:
        return 0;
    }
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Keyboard input reaches the page through this child window; CEF asks the
// keyboard handler first (OnPreKeyEvent) for every key message.
bool PreKeyEvent(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  BrowserPtr b = FindByWindow(GetParent(hwnd));
  if (!b || !b->client)
    return false;
  CefRefPtr<CefKeyboardHandler> handler = b->client->GetKeyboardHandler();
  if (!handler)
    return false;
  bool is_char = msg == WM_CHAR || msg == WM_SYSCHAR;
  CefKeyEvent event;
  event.type = is_char                                     ? KEYEVENT_CHAR
               : msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN ? KEYEVENT_RAWKEYDOWN
                                                           : KEYEVENT_KEYUP;
  event.windows_key_code = static_cast<int>(wp);
  event.native_key_code = static_cast<int>(lp);
  event.is_system_key =
      msg == WM_SYSKEYDOWN || msg == WM_SYSKEYUP || msg == WM_SYSCHAR;
  if (event.type != KEYEVENT_KEYUP)
    event.character = event.unmodified_character = static_cast<char16>(wp);
  if (GetKeyState(VK_SHIFT) < 0)
    event.modifiers |= EVENTFLAG_SHIFT_DOWN;
  if (GetKeyState(VK_CONTROL) < 0)
    event.modifiers |= EVENTFLAG_CONTROL_DOWN;
  if (GetKeyState(VK_MENU) < 0)
    event.modifiers |= EVENTFLAG_ALT_DOWN;
  MSG native = {};
  native.hwnd = hwnd;
  native.message = msg;
  native.wParam = wp;
  native.lParam = lp;
  native.time = static_cast<DWORD>(GetMessageTime());
  DWORD pos = GetMessagePos();
  native.pt.x = static_cast<short>(LOWORD(pos));
  native.pt.y = static_cast<short>(HIWORD(pos));
  bool is_keyboard_shortcut = false;
  KeyRecord record;
  record.browser_id = b->record.id;
  record.type = event.type;
  record.windows_key_code = event.windows_key_code;
  record.message = msg;
  record.os_event = !is_char;
  record.handled = handler->OnPreKeyEvent(
      Wrap(b), event, is_char ? NULL : &native, &is_keyboard_shortcut);
  g_keys.push_back(record);
  return record.handled;
}

LRESULT CALLBACK ContentWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
      if (PreKeyEvent(hwnd, msg, wp, lp))
        return 0;
      break;
    case WM_LBUTTONDOWN:
      SetFocus(hwnd);
      break;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void RegisterClasses() {
  static bool registered = false;
  if (registered)
    return;
  registered = true;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = BrowserWndProc;
  wc.hInstance = GetModuleHandleW(NULL);
  wc.hCursor = LoadCursor(NULL, IDC_ARROW);
  wc.lpszClassName = kBrowserClass;
  RegisterClassExW(&wc);
  wc.lpfnWndProc = ContentWndProc;
  wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  wc.lpszClassName = kContentClass;
  RegisterClassExW(&wc);
}

struct CreateRequest {
  CefWindowInfo info;
  CefBrowserSettings settings;
  CefRefPtr<CefClient> client;
  CefString url;
  HWND opener;
};

void Create(const CreateRequest& r) {
  RegisterClasses();
  HINSTANCE instance = GetModuleHandleW(NULL);
  HWND window = CreateWindowExW(
      r.info.ex_style, kBrowserClass,
      CefString(&r.info.window_name).ToWString().c_str(), r.info.style,
      r.info.x, r.info.y, r.info.width, r.info.height, r.info.parent_window,
      r.info.menu, instance, NULL);
  if (!window)
    return;  // CEF gives up on the browser silently
  BrowserPtr b = std::make_shared<BrowserState>();
  b->record.id = g_next_browser_id++;
  b->record.window = window;
  b->client = r.client;
  b->settings = r.settings;
  b->opener = r.opener;
  b->main = NewFrame(b, true, r.url);
  RECT rc;
  GetClientRect(window, &rc);
  b->record.content = CreateWindowExW(
      0, kContentClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
      rc.right, rc.bottom, window, NULL, instance, NULL);
  if (GetFocus() == window)
    SetFocus(b->record.content);
  g_open.push_back(b);
  if (b->client) {
    CefRefPtr<CefLifeSpanHandler> handler = b->client->GetLifeSpanHandler();
    if (handler)
      handler->OnAfterCreated(Wrap(b));
  }
}

// OnBeforePopup runs on a thread of its own, as on CEF's IO thread.
struct PopupCall {
  BrowserPtr opener;
  CefString url;
  CefPopupFeatures features;
  CefWindowInfo info;
  CefRefPtr<CefClient> client;
  CefBrowserSettings settings;
  bool no_javascript_access = false;
  bool cancel = false;
};

DWORD WINAPI PopupThread(LPVOID param) {
  PopupCall& c = *static_cast<PopupCall*>(param);
  CefRefPtr<CefLifeSpanHandler> handler = c.client->GetLifeSpanHandler();
  if (handler) {
    c.cancel = handler->OnBeforePopup(Wrap(c.opener), Wrap(c.opener->main),
                                      c.url, CefString(), WOD_NEW_POPUP, false,
                                      c.features, c.info, c.client, c.settings,
                                      &c.no_javascript_access);
  }
  return 0;
}

// Chromium's title for a page without one: the address with "http://"
// dropped, a bare host without its "/", a file by its name only.
CefString TitleFor(const std::wstring& url) {
  if (url.compare(0, 7, L"http://") == 0) {
    std::wstring rest = url.substr(7);
    if (!rest.empty() && rest.find(L'/') == rest.length() - 1)
      rest.pop_back();
    return rest;
  }
  if (url.compare(0, 5, L"file:") == 0)
    return url.substr(url.rfind(L'/') + 1);
  return url;
}

}  // namespace

CefRefPtr<CefBrowser> Wrap(const BrowserPtr& b) {
  return new BrowserImpl(b);
}
CefRefPtr<CefFrame> Wrap(const FramePtr& f) {
  return new FrameImpl(f);
}

BrowserPtr StateOf(CefRefPtr<CefBrowser> browser) {
  BrowserImpl* impl = dynamic_cast<BrowserImpl*>(browser.get());
  return impl ? impl->state() : nullptr;
}

FramePtr StateOf(CefRefPtr<CefFrame> frame) {
  FrameImpl* impl = dynamic_cast<FrameImpl*>(frame.get());
  return impl ? impl->state() : nullptr;
}

void CreateBrowserLater(const CefWindowInfo& info,
                        CefRefPtr<CefClient> client,
                        const CefString& url,
                        const CefBrowserSettings& settings,
                        HWND opener) {
  auto r = std::make_shared<CreateRequest>();
  r->info.Set(info, true);
  r->settings = settings;
  r->client = client;
  r->url = url;
  r->opener = opener;
  PostTask([r] { Create(*r); });
}

void CountReload(BrowserPtr b, bool ignore_cache) {
  if (b->load_error_pending) {
    PostTask([b, ignore_cache] { CountReload(b, ignore_cache); });
    return;
  }
  if (!b->gone)
    ++(ignore_cache ? b->record.reloads_ignore_cache : b->record.reloads);
}

void ResetBrowsers() {
  g_open.clear();
  g_keys.clear();
  g_next_browser_id = 1;
  g_next_frame_id = 1;
}

}  // namespace internal

using namespace internal;  // NOLINT(build/namespaces)

std::vector<CefRefPtr<CefBrowser>> OpenBrowsers() {
  std::vector<CefRefPtr<CefBrowser>> list;
  for (auto& b : g_open)
    list.push_back(Wrap(b));
  return list;
}

BrowserRecord Record(CefRefPtr<CefBrowser> browser) {
  BrowserPtr b = StateOf(browser);
  return b ? b->record : BrowserRecord();
}

void ReportTitle(CefRefPtr<CefBrowser> browser, const CefString& title) {
  BrowserPtr b = StateOf(browser);
  if (!b || !b->client)
    return;
  CefRefPtr<CefDisplayHandler> handler = b->client->GetDisplayHandler();
  if (handler)
    handler->OnTitleChange(Wrap(b), title);
}

CefRefPtr<CefFrame> AddSubFrame(CefRefPtr<CefBrowser> browser,
                                const CefString& url) {
  BrowserPtr b = StateOf(browser);
  if (!b || b->gone)
    return NULL;
  b->subframes.push_back(NewFrame(b, false, url));
  return Wrap(b->subframes.back());
}

void ReportLoadError(CefRefPtr<CefBrowser> browser,
                     CefRefPtr<CefFrame> frame,
                     cef_errorcode_t code,
                     const CefString& failed_url) {
  BrowserPtr b = StateOf(browser);
  FramePtr f = StateOf(frame);
  if (!b || !f || b->gone)
    return;
  if (f->is_main && code != ERR_ABORTED)
    ReportTitle(browser, TitleFor(failed_url.ToWString()));
  if (!b->client)
    return;
  CefRefPtr<CefLoadHandler> handler = b->client->GetLoadHandler();
  if (!handler)
    return;
  b->load_error_pending = true;
  handler->OnLoadError(Wrap(b), Wrap(f), code, CefString(), failed_url);
  b->load_error_pending = false;
}

std::vector<std::wstring> LoadedUrls(CefRefPtr<CefFrame> frame) {
  FramePtr f = StateOf(frame);
  return f ? f->loaded : std::vector<std::wstring>();
}

bool OpenPopup(CefRefPtr<CefBrowser> opener,
               const CefString& url,
               int width,
               int height) {
  BrowserPtr b = StateOf(opener);
  if (!b || b->gone)
    return false;
  PopupCall c;
  c.opener = b;
  c.url = url;
  c.info.SetAsPopup(NULL, CefString());
  c.info.width = c.features.width = width;
  c.info.height = c.features.height = height;
  c.features.widthSet = c.features.heightSet = 1;
  // As Blink reads "width=..,height=..": unnamed bars off, resizable.
  c.features.menuBarVisible = c.features.statusBarVisible = 0;
  c.features.toolBarVisible = c.features.locationBarVisible = 0;
  c.features.scrollbarsVisible = 0;
  c.client = b->client;
  c.settings = b->settings;
  if (c.client) {
    HANDLE thread = CreateThread(NULL, 0, PopupThread, &c, 0, NULL);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
  if (!c.cancel)
    CreateBrowserLater(c.info, c.client, url, c.settings, b->record.window);
  return !c.cancel;
}

std::vector<LoadedString> LoadedStrings(CefRefPtr<CefFrame> frame) {
  FramePtr f = StateOf(frame);
  return f ? f->strings : std::vector<LoadedString>();
}

void TerminateRenderProcess(CefRefPtr<CefBrowser> browser,
                            cef_termination_status_t status) {
  BrowserPtr b = StateOf(browser);
  if (!b || b->gone || !b->client)
    return;
  CefRefPtr<CefRequestHandler> handler = b->client->GetRequestHandler();
  if (handler)
    handler->OnRenderProcessTerminated(Wrap(b), status);
}

const std::vector<KeyRecord>& KeyEvents() {
  return g_keys;
}

}  // namespace cef_double

using namespace cef_double::internal;  // NOLINT(build/namespaces)

bool CefBrowserHost::CreateBrowser(
    const CefWindowInfo& windowInfo,
    CefRefPtr<CefClient> client,
    const CefString& url,
    const CefBrowserSettings& settings,
    CefRefPtr<CefRequestContext> request_context) {
  Log("CefBrowserHost::CreateBrowser");
  if (!ContextValid() || settings.size != sizeof(cef_browser_settings_t))
    return false;
  if (windowInfo.windowless_rendering_enabled &&
      !(client && client->GetRenderHandler()))
    return false;
  CreateBrowserLater(windowInfo, client, url, settings, NULL);
  return true;
}
