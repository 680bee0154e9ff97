// Failed loads are answered with the local error page in the failed frame.

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

// The main browser, once it is there.
CefRefPtr<CefBrowser> MainBrowser() {
  EXPECT_TRUE(WaitForBrowsers(1));
  return cef_double::OpenBrowsers()[0];
}

TEST(LoadError, LoadsTheErrorPageIntoTheMainFrameForEveryRealFailure) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    CefRefPtr<CefFrame> main_frame = browser->GetMainFrame();
    // Refused connection, unresolved name, missing file, unsafe port, and a
    // code no list would know.
    for (cef_errorcode_t code :
         {ERR_CONNECTION_REFUSED, ERR_NAME_NOT_RESOLVED, ERR_FILE_NOT_FOUND,
          ERR_UNSAFE_PORT, static_cast<cef_errorcode_t>(-999)}) {
      cef_double::ReportLoadError(browser, main_frame, code,
                                  "http://127.0.0.1:8765/hall?t=5&s=2");
      Settle();  // CEF starts the new load from its loop.
      ASSERT_FALSE(cef_double::LoadedUrls(main_frame).empty())
          << "nothing loaded for error " << code;
      EXPECT_EQ(
          L"file:///error.html?url=http://127.0.0.1:8765/hall%3Ft%3D5%26s%3D2",
          cef_double::LoadedUrls(main_frame).back())
          << "for error " << code;
    }
    EXPECT_EQ(5u, cef_double::LoadedUrls(main_frame).size())
        << "one load per failure";
  });
}

TEST(LoadError, LeavesAnAbortedLoadAlone) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    cef_double::ReportLoadError(browser, browser->GetMainFrame(), ERR_ABORTED,
                                "http://hall.example/lobby");
    Settle();  // CEF starts the new load from its loop.
    EXPECT_EQ(Urls(), cef_double::LoadedUrls(browser->GetMainFrame()));
  });
}

TEST(LoadError, ReplacesOnlyTheFailedSubFrame) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    CefRefPtr<CefFrame> ad = cef_double::AddSubFrame(browser, "http://x:9/");
    cef_double::ReportLoadError(browser, ad, ERR_UNSAFE_PORT, "http://x:9/");
    Settle();  // CEF starts the new load from its loop.
    EXPECT_EQ(Urls{L"file:///error.html?url=http://x:9/"},
              cef_double::LoadedUrls(ad));
    EXPECT_EQ(Urls(), cef_double::LoadedUrls(browser->GetMainFrame()))
        << "the main document must stay";
  });
}

TEST(LoadError, PassesNonAsciiAndEmptyAddressesThrough) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    CefRefPtr<CefFrame> frame = browser->GetMainFrame();
    cef_double::ReportLoadError(browser, frame, ERR_NAME_NOT_RESOLVED,
                                L"http://spiel.example/Zo\u00EB?\U0001F3B2=1");
    Settle();  // CEF starts the new load from its loop.
    cef_double::ReportLoadError(browser, frame, ERR_NAME_NOT_RESOLVED, L"");
    Settle();  // CEF starts the new load from its loop.
    EXPECT_EQ((Urls{L"file:///error.html?url=http://spiel.example/Zo\u00EB%3F"
                    L"\U0001F3B2%3D1",
                    L"file:///error.html?url="}),
              cef_double::LoadedUrls(frame));
  });
}

TEST(LoadError, DoesNotAnswerAMissingErrorPageWithAnotherOne) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    CefRefPtr<CefFrame> frame = browser->GetMainFrame();
    cef_double::ReportLoadError(browser, frame, ERR_NAME_NOT_RESOLVED,
                                "http://hall.example/");
    Settle();  // CEF starts the new load from its loop.
    ASSERT_EQ(1u, cef_double::LoadedUrls(frame).size());
    // The error page is missing from the drive's root: that failure ends it.
    cef_double::ReportLoadError(browser, frame, ERR_FILE_NOT_FOUND,
                                cef_double::LoadedUrls(frame)[0]);
    Settle();  // CEF starts the new load from its loop.
    EXPECT_EQ(1u, cef_double::LoadedUrls(frame).size())
        << "loaded again: " << cef_double::LoadedUrls(frame).back().c_str();
  });
}

}  // namespace
