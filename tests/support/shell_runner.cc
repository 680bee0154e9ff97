#include "shell_runner.h"

// The shell's entry point, compiled into the test from shell/main.cc.
int APIENTRY wWinMain(HINSTANCE instance,
                      HINSTANCE previous_instance,
                      LPWSTR command_line,
                      int show_command);

namespace shell_test {

int RunShell(const std::wstring& command_line, std::function<void()> script) {
  cef_double::Reset();
  return RunEntryPoint(command_line, script);
}

int RunEntryPoint(const std::wstring& command_line,
                  std::function<void()> script) {
  cef_double::SetProcessCommandLine(command_line);
  cef_double::PostTask([script] {
    if (script)
      script();
    for (CefRefPtr<CefBrowser> browser : cef_double::OpenBrowsers())
      PostMessageW(WindowOf(browser), WM_CLOSE, 0, 0);
  });
  std::wstring line = command_line;
  return wWinMain(GetModuleHandleW(nullptr), nullptr, &line[0], SW_SHOWNORMAL);
}

bool WaitForBrowsers(size_t count) {
  return cef_double::PumpUntil(
      [count] { return cef_double::OpenBrowsers().size() == count; },
      kTimeoutMs);
}

HWND WindowOf(CefRefPtr<CefBrowser> browser) {
  return browser->GetHost()->GetWindowHandle();
}

void CloseWindow(CefRefPtr<CefBrowser> browser) {
  const HWND window = WindowOf(browser);
  PostMessageW(window, WM_CLOSE, 0, 0);
  cef_double::PumpUntil([window] { return !IsWindow(window); }, kTimeoutMs);
}

void Settle() {
  bool reached = false;
  cef_double::PostTask([&reached] { reached = true; });
  cef_double::PumpUntil([&reached] { return reached; }, kTimeoutMs);
}

}  // namespace shell_test
