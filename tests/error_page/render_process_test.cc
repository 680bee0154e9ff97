// A browser whose renderer process dies shows the error page, not a dead
// white page.

#include <string>
#include <vector>

#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "shell_runner.h"

namespace {

using shell_test::RunShell;
using shell_test::Settle;
using shell_test::WaitForBrowsers;

typedef std::vector<std::wstring> Urls;

// CEF keeps the browser and its main frame when the renderer dies and calls
// OnRenderProcessTerminated; the main frame's LoadURL starts a new renderer.
TEST(RenderProcess, ATerminatedBrowserShowsTheErrorPageForItsAddress) {
  RunShell(L"Zelvora.exe --url=http://hall.example/lobby?t=5", [] {
    ASSERT_TRUE(WaitForBrowsers(1));
    CefRefPtr<CefBrowser> main = cef_double::OpenBrowsers()[0];
    for (const char* url : {"http://hall.example/table?id=7#seat",
                            "http://hall.example/cashier/50%25"}) {
      ASSERT_TRUE(cef_double::OpenPopup(main, url, 400, 300));
    }
    ASSERT_TRUE(WaitForBrowsers(3));
    const std::vector<CefRefPtr<CefBrowser>> browsers =
        cef_double::OpenBrowsers();
    CefRefPtr<CefFrame> ad = cef_double::AddSubFrame(main, "http://ads/");
    const cef_termination_status_t statuses[] = {
        TS_ABNORMAL_TERMINATION, TS_PROCESS_WAS_KILLED, TS_PROCESS_CRASHED};
    const wchar_t* const error_pages[] = {
        L"file:///error.html?url=http://hall.example/lobby%3Ft%3D5",
        L"file:///error.html?url=http://hall.example/table%3Fid%3D7%23seat",
        L"file:///error.html?url=http://hall.example/cashier/50%2525"};

    // Browser i dies with status i; only its own main frame changes.
    for (size_t i = 0; i < 3; ++i) {
      cef_double::TerminateRenderProcess(browsers[i], statuses[i]);
      Settle();
      for (size_t j = 0; j < 3; ++j) {
        CefRefPtr<CefFrame> frame = browsers[j]->GetMainFrame();
        EXPECT_EQ(j <= i ? Urls{error_pages[j]} : Urls(),
                  cef_double::LoadedUrls(frame))
            << "browser " << j << " after browser " << i << " died with "
            << statuses[i];
        EXPECT_TRUE(cef_double::LoadedStrings(frame).empty());
        EXPECT_EQ(0, cef_double::Record(browsers[j]).reloads)
            << "browser " << j << " was reloaded";
      }
    }
    EXPECT_TRUE(cef_double::LoadedUrls(ad).empty());
    EXPECT_TRUE(cef_double::LoadedStrings(ad).empty());

    // The error page's own renderer dying leaves the error page: no loop.
    for (const cef_termination_status_t status : statuses)
      cef_double::TerminateRenderProcess(main, status);
    Settle();
    EXPECT_EQ(Urls{error_pages[0]},
              cef_double::LoadedUrls(main->GetMainFrame()));
    EXPECT_EQ(0, cef_double::Record(main).reloads);
  });
}

}  // namespace
