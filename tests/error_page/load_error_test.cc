// Failed loads are answered with the local error page in the failed frame.
// CEF starts a load from its message loop, and reports from there what
// follows: each test lets the loop run (Settle) before it looks.

#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "cef_double_control.h"
#include "gtest/gtest.h"
#include "shell_runner.h"
#include "support/process.h"

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

// A new empty folder as the process's current folder, where the shell looks
// for error.html (as its shortcut starts it in the install folder); the
// previous one is current again afterwards.
class CurrentFolder {
 public:
  CurrentFolder() {
    wchar_t path[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, path);
    previous_ = path;
    SetCurrentDirectoryW(folder_.path().c_str());
  }
  // The folder itself goes after this, with what the test left in it.
  ~CurrentFolder() { SetCurrentDirectoryW(previous_.c_str()); }
  void WriteErrorPage(const std::string& contents) {
    std::ofstream("error.html", std::ios::binary) << contents;
  }

 private:
  std::wstring previous_;
  test_support::TempDir folder_;
};

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
                                  "http://127.0.0.1:8765/hall?t=5&s=50%25#7");
      Settle();
      ASSERT_FALSE(cef_double::LoadedUrls(main_frame).empty())
          << "nothing loaded for error " << code;
      EXPECT_EQ(
          L"file:///error.html?url=http://127.0.0.1:8765/"
          L"hall%3Ft%3D5%26s%3D50%2525%237",
          cef_double::LoadedUrls(main_frame).back())
          << "for error " << code;
    }
    EXPECT_EQ(5u, cef_double::LoadedUrls(main_frame).size())
        << "one load per failure";
    EXPECT_TRUE(cef_double::LoadedStrings(main_frame).empty())
        << "the main frame loads the page itself";
  });
}

TEST(LoadError, LeavesAnAbortedLoadAlone) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    cef_double::ReportLoadError(browser, browser->GetMainFrame(), ERR_ABORTED,
                                "http://hall.example/lobby");
    Settle();
    EXPECT_EQ(Urls(), cef_double::LoadedUrls(browser->GetMainFrame()));
  });
}

// An http page's renderer may not take a sub-frame to a local file, so the
// sub-frame gets error.html's text, at the error page's address.
TEST(LoadError, ReplacesOnlyTheFailedSubFrameWithTheErrorPagesText) {
  CurrentFolder folder;
  folder.WriteErrorPage("<p>Zo\xC3\xAB's table didn't load</p>");
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    const std::wstring page = browser->GetMainFrame()->GetURL().ToWString();
    CefRefPtr<CefFrame> ad = cef_double::AddSubFrame(browser, "http://x:9/");
    cef_double::ReportLoadError(browser, ad, ERR_UNSAFE_PORT, "http://x:9/#a");
    Settle();
    EXPECT_EQ(Urls(), cef_double::LoadedUrls(ad))
        << "LoadURL leaves a sub-frame blank";
    const std::vector<cef_double::LoadedString> loaded =
        cef_double::LoadedStrings(ad);
    ASSERT_EQ(1u, loaded.size());
    EXPECT_EQ(L"<p>Zo\u00EB's table didn't load</p>", loaded[0].string_val);
    EXPECT_EQ(L"file:///error.html?url=http://x:9/%23a", loaded[0].url);
    EXPECT_EQ(L"file:///error.html?url=http://x:9/%23a",
              ad->GetURL().ToWString());
    EXPECT_EQ(Urls(), cef_double::LoadedUrls(browser->GetMainFrame()))
        << "the main document must stay";
    EXPECT_EQ(page, browser->GetMainFrame()->GetURL().ToWString());

    // Should the error page itself fail there, that is the end of it.
    cef_double::ReportLoadError(browser, ad, ERR_FAILED, loaded[0].url);
    Settle();
    EXPECT_EQ(1u, cef_double::LoadedStrings(ad).size());
    EXPECT_EQ(Urls(), cef_double::LoadedUrls(ad));
  });
}

// CEF's wrapper stops a checked build on an empty text (the double does so
// always), so an unreadable error.html gives a page of the shell's own.
TEST(LoadError, GivesASubFrameABuiltInPageWhenErrorHtmlCannotBeRead) {
  for (const char* how : {"missing", "empty", "a folder"}) {
    CurrentFolder folder;
    if (how == std::string("empty"))
      folder.WriteErrorPage("");
    if (how == std::string("a folder"))
      CreateDirectoryW(L"error.html", nullptr);
    RunShell(L"Zelvora.exe", [how] {
      CefRefPtr<CefBrowser> browser = MainBrowser();
      CefRefPtr<CefFrame> frame =
          cef_double::AddSubFrame(browser, "http://hall.example/ad");
      cef_double::ReportLoadError(browser, frame, ERR_CONNECTION_REFUSED,
                                  "http://hall.example/ad");
      Settle();
      const std::vector<cef_double::LoadedString> loaded =
          cef_double::LoadedStrings(frame);
      ASSERT_EQ(1u, loaded.size()) << "error.html " << how;
      EXPECT_NE(std::wstring::npos, loaded[0].string_val.find(L"didn't load"))
          << "error.html " << how
          << ", page shown: " << CefString(loaded[0].string_val).ToString();
      EXPECT_EQ(L"file:///error.html?url=http://hall.example/ad", loaded[0].url)
          << "error.html " << how;
      EXPECT_EQ(Urls(), cef_double::LoadedUrls(frame)) << "error.html " << how;
    });
  }
}

TEST(LoadError, PassesNonAsciiAndEmptyAddressesThrough) {
  RunShell(L"Zelvora.exe", [] {
    CefRefPtr<CefBrowser> browser = MainBrowser();
    CefRefPtr<CefFrame> frame = browser->GetMainFrame();
    cef_double::ReportLoadError(browser, frame, ERR_NAME_NOT_RESOLVED,
                                L"http://spiel.example/Zo\u00EB?\U0001F3B2=1");
    Settle();
    cef_double::ReportLoadError(browser, frame, ERR_NAME_NOT_RESOLVED, L"");
    Settle();
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
    Settle();
    ASSERT_EQ(1u, cef_double::LoadedUrls(frame).size());
    // The error page is missing from the current folder: that failure ends
    // it.
    cef_double::ReportLoadError(browser, frame, ERR_FILE_NOT_FOUND,
                                cef_double::LoadedUrls(frame)[0]);
    Settle();
    EXPECT_EQ(1u, cef_double::LoadedUrls(frame).size())
        << "loaded again: " << cef_double::LoadedUrls(frame).back().c_str();
  });
}

}  // namespace
