// Test controls of the CEF double: they play the parts of CEF's runtime that
// a real page or user would trigger, and read back what the shell asked of
// CEF. Call them on the UI thread (the one that calls CefInitialize).
//
// Objects handed out (browsers, hosts, frames, menus) are fresh wrappers on
// every call, as with real CEF; hold them only as long as needed, since a held
// wrapper keeps its browser's records (and its client) alive.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "include/cef_app.h"
#include "include/cef_browser.h"
#include "include/cef_menu_model.h"

namespace cef_double {

// cef_settings_t as CefInitialize received it, strings copied.
struct RecordedSettings {
  size_t size = 0;
  int single_process = 0;
  int no_sandbox = 0;
  std::wstring browser_subprocess_path;
  int multi_threaded_message_loop = 0;
  int windowless_rendering_enabled = 0;
  int command_line_args_disabled = 0;
  std::wstring cache_path;
  std::wstring user_data_path;
  int persist_session_cookies = 0;
  int persist_user_preferences = 0;
  std::wstring user_agent;
  std::wstring product_version;
  std::wstring locale;
  std::wstring log_file;
  cef_log_severity_t log_severity = LOGSEVERITY_DEFAULT;
  std::wstring javascript_flags;
  std::wstring resources_dir_path;
  std::wstring locales_dir_path;
  int pack_loading_disabled = 0;
  int remote_debugging_port = 0;
  int uncaught_exception_stack_size = 0;
  int context_safety_implementation = 0;
  int ignore_certificate_errors = 0;
  cef_color_t background_color = 0;
  std::wstring accept_language_list;
};

// Arguments of the last CefExecuteProcess and CefInitialize calls.
struct StartupRecord {
  int execute_process_calls = 0;
  HINSTANCE execute_process_instance = NULL;
  bool execute_process_app_null = true;
  bool execute_process_sandbox_null = true;
  int initialize_calls = 0;
  HINSTANCE initialize_instance = NULL;
  bool initialize_app_null = true;
  bool initialize_sandbox_null = true;
  RecordedSettings settings;
  int quit_requests = 0;  // CefQuitMessageLoop calls
};

// What a browser was asked to do.
struct BrowserRecord {
  int id = 0;
  HWND window = NULL;   // top-level "CefBrowserWindow" (GetWindowHandle)
  HWND content = NULL;  // its child that receives keyboard input
  int reloads = 0;      // Reload, menu "Reload"
  int reloads_ignore_cache = 0;  // ReloadIgnoreCache, menu "Reload no cache"
  std::vector<int> performed_commands;  // menu commands left to CEF
};

// One OnPreKeyEvent call.
struct KeyRecord {
  int browser_id = 0;
  cef_key_event_type_t type = KEYEVENT_RAWKEYDOWN;
  int windows_key_code = 0;
  UINT message = 0;       // the native message, also for character events
  bool os_event = false;  // whether os_event pointed at the MSG
  bool handled = false;   // handler returned true: the page never saw the key
};

struct MenuItem {
  int command_id = 0;
  std::wstring label;
  cef_menu_item_type_t type = MENUITEMTYPE_NONE;
  bool enabled = false;
};

// Set-up.
// Forgets all records and pending tasks; no browser may be open.
void Reset();
// Used instead of GetCommandLineW() by CefExecuteProcess and CefInitialize.
void SetProcessCommandLine(const std::wstring& line);
// CefExecuteProcess's result with --type= (else env
// CEF_DOUBLE_SUBPROCESS_EXIT_CODE, else 0).
void SetSubprocessExitCode(int code);
// Runs |life| inside CefExecuteProcess with --type=, before it returns:
// where a real sub-process spends its whole life.
void SetSubprocessLife(std::function<void()> life);
// A process of its own reports to a test through its environment: with
// CEF_DOUBLE_SETTINGS_FILE set, CefInitialize writes the cache_path it got
// into that file, UTF-8, and nothing else.

// Life cycle.
// CEF functions called and process callbacks made, in order.
const std::vector<std::string>& Calls();
const StartupRecord& Startup();
// The application CEF holds (NULL before CefInitialize, after CefShutdown).
CefRefPtr<CefApp> App();

// Message loop.
// Runs |task| from the loop, after every message posted before it.
void PostTask(std::function<void()> task);
// Dispatches this thread's messages until done(); false on timeout.
bool PumpUntil(std::function<bool()> done, DWORD timeout_ms);

// Browsers.
// Created and not yet closed, oldest first.
std::vector<CefRefPtr<CefBrowser>> OpenBrowsers();
BrowserRecord Record(CefRefPtr<CefBrowser> browser);
// The page's title changed: OnTitleChange.
void ReportTitle(CefRefPtr<CefBrowser> browser, const CefString& title);
// A sub-frame of the page (IsMain false) showing |url|.
CefRefPtr<CefFrame> AddSubFrame(CefRefPtr<CefBrowser> browser,
                                const CefString& url);
// A failed load: the title becomes the address (main frame, unless aborted),
// then OnLoadError with empty errorText. Main-frame loads the handler starts
// are deferred to a task, as CEF does.
void ReportLoadError(CefRefPtr<CefBrowser> browser,
                     CefRefPtr<CefFrame> frame,
                     cef_errorcode_t code,
                     const CefString& failed_url);
// LoadURL calls made on |frame|, in order. A load commits: GetURL gives its
// address. Except, as in CEF, a sub-frame's LoadURL of a file: address while
// the main frame shows an http(s) page: the page's renderer refuses it, and
// OnLoadError follows for that frame with ERR_ABORTED, from the loop.
std::vector<std::wstring> LoadedUrls(CefRefPtr<CefFrame> frame);
// One LoadString call.
struct LoadedString {
  std::wstring string_val;
  std::wstring url;
};
// LoadString calls made on |frame|, in order; each commits its |url|. As a
// checked build of CEF's wrapper does, an empty argument stops the process.
std::vector<LoadedString> LoadedStrings(CefRefPtr<CefFrame> frame);
// The browser's renderer process ended: OnRenderProcessTerminated.
void TerminateRenderProcess(CefRefPtr<CefBrowser> browser,
                            cef_termination_status_t status);
// window.open() from script, no user gesture: OnBeforePopup on another thread.
// True when allowed; the pop-up is then created from the loop.
bool OpenPopup(CefRefPtr<CefBrowser> opener,
               const CefString& url,
               int width,
               int height);
// OnPreKeyEvent calls, in order.
const std::vector<KeyRecord>& KeyEvents();

// Context menus.
// An empty model, for calling a handler directly.
CefRefPtr<CefMenuModel> NewMenuModel();
// A right click: CEF's default model for |type_flags| (editable field,
// selection, else page/frame with Back and Forward disabled, else empty),
// OnBeforeContextMenu, and the model as the handler left it.
CefRefPtr<CefMenuModel> ShowContextMenu(CefRefPtr<CefBrowser> browser,
                                        int type_flags);
// Clicks an enabled item of the open menu (false if there is none). From the
// loop then: OnContextMenuCommand, CEF's own action unless handled,
// OnContextMenuDismissed.
bool PickMenuCommand(CefRefPtr<CefBrowser> browser,
                     int command_id,
                     int event_flags = 0);
// Closes the open menu unchosen (OnContextMenuDismissed, from the loop).
void DismissContextMenu(CefRefPtr<CefBrowser> browser);
// The items of |model|, in order.
std::vector<MenuItem> Items(CefRefPtr<CefMenuModel> model);

// Leak checks.
// Browser objects alive (each holds its client).
int LiveBrowsers();
// Objects handed out (browsers, hosts, frames, menus, ...) still referenced.
int LiveWrappers();

}  // namespace cef_double
