// Process-level part of the double: sub-process dispatch, initialisation,
// the UI message loop with its task queue, the global command line.
#include "include/cef_app.h"

#include <shellapi.h>
#include <stdlib.h>

#include <deque>
#include <map>

#include "src/internal.h"

namespace cef_double {
namespace internal {

std::atomic<int> live_browsers(0), live_wrappers(0);

namespace {

const UINT kRunTask = WM_APP + 1;  // one per queued task
const UINT kWake = WM_APP + 2;     // wakes GetMessage after a quit request

std::vector<std::string> g_calls;
StartupRecord g_startup;
bool g_initialized = false;
bool g_quit = false;
CefRefPtr<CefApp> g_app;
std::deque<std::function<void()>> g_tasks;
bool g_exit_code_set = false;
int g_exit_code = 0;
std::function<void()> g_subprocess_life;
bool g_command_line_set = false;
std::wstring g_command_line;

struct ParsedCommandLine {
  bool ready = false;  // CefInitialize has parsed it
  std::wstring program;
  std::map<std::string, std::wstring> switches;
  std::vector<std::wstring> arguments;
} g_global;

LRESULT CALLBACK TaskWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kRunTask) {
    if (!g_tasks.empty()) {
      std::function<void()> task = std::move(g_tasks.front());
      g_tasks.pop_front();
      task();
    }
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

// Message-only window whose posted messages carry the task queue in step with
// every other posted message of the thread.
HWND TaskWindow() {
  static HWND window = NULL;
  if (!window) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = TaskWndProc;
    wc.hInstance = GetModuleHandleW(NULL);
    wc.lpszClassName = L"CefDoubleTaskWindow";
    RegisterClassExW(&wc);
    window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0,
                             HWND_MESSAGE, NULL, wc.hInstance, NULL);
  }
  return window;
}

void DropTasks() {
  g_tasks.clear();
  MSG msg;
  while (PeekMessageW(&msg, TaskWindow(), kRunTask, kWake, PM_REMOVE)) {
  }
}

std::wstring ProcessCommandLine() {
  return g_command_line_set ? g_command_line : GetCommandLineW();
}

std::string LowerAscii(const std::wstring& s) {
  std::string out;
  for (wchar_t c : s)
    out += static_cast<char>(c >= L'A' && c <= L'Z' ? c - L'A' + 'a' : c);
  return out;
}

// Chromium's parsing on Windows: CommandLineToArgvW, whitespace trimmed,
// switches start with "--", "-" or "/", "--" alone ends them, a repeated
// switch keeps its last value.
ParsedCommandLine Parse(const std::wstring& line) {
  ParsedCommandLine cl;
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(line.c_str(), &argc);
  if (!argv)
    return cl;
  cl.program = argc > 0 ? argv[0] : L"";
  bool switches = true;
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    const wchar_t* ws = L" \t\r\n\f\v";
    size_t first = arg.find_first_not_of(ws);
    arg = first == std::wstring::npos
              ? L""
              : arg.substr(first, arg.find_last_not_of(ws) - first + 1);
    switches = switches && arg != L"--";
    size_t prefix =
        arg.compare(0, 2, L"--") == 0                                  ? 2
        : arg.compare(0, 1, L"-") == 0 || arg.compare(0, 1, L"/") == 0 ? 1
                                                                       : 0;
    if (switches && prefix > 0 && prefix < arg.length()) {
      size_t eq = arg.find(L'=');
      std::wstring value = eq == std::wstring::npos ? L"" : arg.substr(eq + 1);
      cl.switches[LowerAscii(arg.substr(prefix, eq - prefix))] = value;
    } else {
      cl.arguments.push_back(arg);
    }
  }
  LocalFree(argv);
  return cl;
}

// A view of the global command line; the one lent to
// OnBeforeCommandLineProcessing is writable and detached afterwards.
class CommandLineImpl : public CefCommandLine {
 public:
  explicit CommandLineImpl(bool read_only) : read_only_(read_only) {}
  void Detach() { detached_ = true; }

  bool IsValid() override { return !detached_; }
  bool IsReadOnly() override { return read_only_; }
  CefString GetProgram() override {
    return detached_ ? CefString() : CefString(g_global.program);
  }
  bool HasSwitches() override {
    return !detached_ && !g_global.switches.empty();
  }
  bool HasSwitch(const CefString& name) override {
    return !detached_ && g_global.switches.count(name.ToString()) > 0;
  }
  CefString GetSwitchValue(const CefString& name) override {
    auto it = g_global.switches.find(name.ToString());
    return detached_ || it == g_global.switches.end() ? CefString()
                                                      : CefString(it->second);
  }
  void GetSwitches(SwitchMap& switches) override {
    switches.clear();
    for (auto& s : g_global.switches)
      if (!detached_)
        switches[CefString(s.first)] = CefString(s.second);
  }
  void AppendSwitch(const CefString& name) override {
    AppendSwitchWithValue(name, CefString());
  }
  void AppendSwitchWithValue(const CefString& name,
                             const CefString& value) override {
    if (!detached_ && !read_only_)
      g_global.switches[LowerAscii(name.ToWString())] = value.ToWString();
  }
  bool HasArguments() override {
    return !detached_ && !g_global.arguments.empty();
  }
  void GetArguments(ArgumentList& arguments) override {
    arguments.clear();
    for (auto& a : g_global.arguments)
      if (!detached_)
        arguments.push_back(a);
  }

 private:
  bool read_only_;
  bool detached_ = false;
  WrapperToken token_;
  IMPLEMENT_REFCOUNTING(CommandLineImpl)
};

std::wstring Wide(const cef_string_t& s) {
  return CefString(&s).ToWString();
}

// What CEF_DOUBLE_SETTINGS_FILE asks for: the cache path, UTF-8.
void ReportSettings(const RecordedSettings& settings) {
  wchar_t file[MAX_PATH];
  const DWORD length =
      GetEnvironmentVariableW(L"CEF_DOUBLE_SETTINGS_FILE", file, MAX_PATH);
  if (length == 0 || length >= MAX_PATH)
    return;
  const std::string cache_path = CefString(settings.cache_path).ToString();
  HANDLE out = CreateFileW(file, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, NULL);
  if (out == INVALID_HANDLE_VALUE)
    return;
  DWORD written = 0;
  WriteFile(out, cache_path.data(), static_cast<DWORD>(cache_path.size()),
            &written, NULL);
  CloseHandle(out);
}

RecordedSettings Copy(const cef_settings_t& s) {
  RecordedSettings r;
  r.size = s.size;
  r.single_process = s.single_process;
  r.no_sandbox = s.no_sandbox;
  r.browser_subprocess_path = Wide(s.browser_subprocess_path);
  r.multi_threaded_message_loop = s.multi_threaded_message_loop;
  r.windowless_rendering_enabled = s.windowless_rendering_enabled;
  r.command_line_args_disabled = s.command_line_args_disabled;
  r.cache_path = Wide(s.cache_path);
  r.user_data_path = Wide(s.user_data_path);
  r.persist_session_cookies = s.persist_session_cookies;
  r.persist_user_preferences = s.persist_user_preferences;
  r.user_agent = Wide(s.user_agent);
  r.product_version = Wide(s.product_version);
  r.locale = Wide(s.locale);
  r.log_file = Wide(s.log_file);
  r.log_severity = s.log_severity;
  r.javascript_flags = Wide(s.javascript_flags);
  r.resources_dir_path = Wide(s.resources_dir_path);
  r.locales_dir_path = Wide(s.locales_dir_path);
  r.pack_loading_disabled = s.pack_loading_disabled;
  r.remote_debugging_port = s.remote_debugging_port;
  r.uncaught_exception_stack_size = s.uncaught_exception_stack_size;
  r.context_safety_implementation = s.context_safety_implementation;
  r.ignore_certificate_errors = s.ignore_certificate_errors;
  r.background_color = s.background_color;
  r.accept_language_list = Wide(s.accept_language_list);
  return r;
}

}  // namespace

void Log(const char* call) {
  g_calls.push_back(call);
}
bool ContextValid() {
  return g_initialized;
}

}  // namespace internal

using namespace internal;  // NOLINT(build/namespaces)

void Reset() {
  ResetBrowsers();
  g_calls.clear();
  g_startup = StartupRecord();
  g_initialized = g_quit = g_exit_code_set = g_command_line_set = false;
  g_subprocess_life = nullptr;
  g_app = NULL;
  g_global = ParsedCommandLine();
  DropTasks();
}

void SetProcessCommandLine(const std::wstring& line) {
  g_command_line = line;
  g_command_line_set = true;
}

void SetSubprocessExitCode(int code) {
  g_exit_code = code;
  g_exit_code_set = true;
}

void SetSubprocessLife(std::function<void()> life) {
  g_subprocess_life = std::move(life);
}

const std::vector<std::string>& Calls() {
  return g_calls;
}
const StartupRecord& Startup() {
  return g_startup;
}
CefRefPtr<CefApp> App() {
  return g_app;
}

void PostTask(std::function<void()> task) {
  g_tasks.push_back(std::move(task));
  PostMessageW(TaskWindow(), kRunTask, 0, 0);
}

bool PumpUntil(std::function<bool()> done, DWORD timeout_ms) {
  DWORD start = GetTickCount();
  while (!done()) {
    DWORD spent = GetTickCount() - start;
    if (spent >= timeout_ms)
      return false;
    MSG msg;
    if (!PeekMessageW(&msg, NULL, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjectsEx(0, NULL, timeout_ms - spent, QS_ALLINPUT,
                                  MWMO_INPUTAVAILABLE);
      continue;
    }
    if (msg.message == WM_QUIT) {  // leave it to the outer loop
      PostQuitMessage(static_cast<int>(msg.wParam));
      return done();
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

int LiveBrowsers() {
  return live_browsers;
}
int LiveWrappers() {
  return live_wrappers;
}

}  // namespace cef_double

using namespace cef_double::internal;  // NOLINT(build/namespaces)

int CefExecuteProcess(const CefMainArgs& args,
                      CefRefPtr<CefApp> application,
                      void* windows_sandbox_info) {
  Log("CefExecuteProcess");
  cef_double::StartupRecord& r = g_startup;
  ++r.execute_process_calls;
  r.execute_process_instance = args.instance;
  r.execute_process_app_null = !application;
  r.execute_process_sandbox_null = !windows_sandbox_info;
  ParsedCommandLine command_line = Parse(ProcessCommandLine());
  auto type = command_line.switches.find("type");
  if (type == command_line.switches.end() || type->second.empty())
    return -1;
  if (g_subprocess_life)
    g_subprocess_life();
  const char* env = getenv("CEF_DOUBLE_SUBPROCESS_EXIT_CODE");
  return g_exit_code_set ? g_exit_code : env ? atoi(env) : 0;
}

bool CefInitialize(const CefMainArgs& args,
                   const CefSettings& settings,
                   CefRefPtr<CefApp> application,
                   void* windows_sandbox_info) {
  Log("CefInitialize");
  cef_double::StartupRecord& r = g_startup;
  ++r.initialize_calls;
  r.initialize_instance = args.instance;
  r.initialize_app_null = !application;
  r.initialize_sandbox_null = !windows_sandbox_info;
  r.settings = Copy(settings);
  ReportSettings(r.settings);
  if (g_initialized)
    return true;
  if (settings.size != sizeof(cef_settings_t))
    return false;
  g_initialized = true;
  g_app = application;
  g_global = Parse(ProcessCommandLine());
  g_global.ready = true;
  TaskWindow();  // tasks belong to this thread from now on
  if (application) {
    CefRefPtr<CommandLineImpl> command_line = new CommandLineImpl(false);
    Log("OnBeforeCommandLineProcessing");
    application->OnBeforeCommandLineProcessing(CefString(), command_line.get());
    command_line->Detach();
    CefRefPtr<CefBrowserProcessHandler> handler =
        application->GetBrowserProcessHandler();
    if (handler) {
      Log("OnContextInitialized");
      handler->OnContextInitialized();
    }
  }
  return true;
}

void CefShutdown() {
  Log("CefShutdown");
  if (!g_initialized)
    return;
  g_initialized = false;
  DropTasks();
  g_app = NULL;
}

void CefRunMessageLoop() {
  Log("CefRunMessageLoop");
  if (!g_initialized)
    return;
  MSG msg;
  while (!g_quit && GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  g_quit = false;
}

void CefQuitMessageLoop() {
  Log("CefQuitMessageLoop");
  ++g_startup.quit_requests;
  if (!g_initialized)
    return;
  g_quit = true;
  PostMessageW(TaskWindow(), kWake, 0, 0);
}

void CefEnableHighDPISupport() {
  Log("CefEnableHighDPISupport");
  SetProcessDPIAware();
}

CefRefPtr<CefCommandLine> CefCommandLine::GetGlobalCommandLine() {
  if (!g_global.ready)
    return NULL;
  return new CommandLineImpl(true);
}
