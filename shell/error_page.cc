// HallClient as load and request handler: a document that fails to load, or
// whose renderer process dies, is replaced by the local error page, which is
// told the address that could not be shown.

#include "hall_client.h"

#include <fstream>
#include <iterator>
#include <string>

#include "error_page_url.h"

namespace {

// Shown in a failed sub-frame when error.html cannot be read.
const char kBuiltInErrorPage[] =
    "<!DOCTYPE html><html><head><meta charset=\"utf-8\">"
    "<title>Page not loaded</title></head>"
    "<body style=\"margin:8px;font:14px sans-serif;color:#f7ece2;"
    "background:#170c0d\">This part of the page didn't load.</body></html>";

// error.html where "file:///error.html" finds it, in the current folder;
// empty if it cannot be read.
std::string ReadErrorPage() {
  std::ifstream file("error.html", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file),
                     std::istreambuf_iterator<char>());
}

}  // namespace

void HallClient::OnLoadError(CefRefPtr<CefBrowser> browser,
                             CefRefPtr<CefFrame> frame,
                             ErrorCode errorCode,
                             const CefString& errorText,
                             const CefString& failedUrl) {
  // An aborted load (a new navigation, the user stopping it) is no failure.
  if (errorCode == ERR_ABORTED)
    return;
  const std::string failed_url = failedUrl.ToString();
  // A missing error page must not send us round again with ever longer
  // addresses.
  if (error_page::IsErrorPageUrl(failed_url))
    return;
  const std::string error_page_url = error_page::ErrorPageUrlFor(failed_url);
  if (frame->IsMain()) {
    frame->LoadURL(error_page_url);
    return;
  }
  // A sub-frame's LoadURL runs in the page's renderer, which may not open a
  // local file: hand the page over as text, at its own address so that its
  // script still reads "url". CEF refuses an empty text.
  CefString page(ReadErrorPage());
  if (page.empty())
    page = kBuiltInErrorPage;
  frame->LoadString(page, error_page_url);
}

void HallClient::OnRenderProcessTerminated(CefRefPtr<CefBrowser> browser,
                                           TerminationStatus status) {
  // The dead page would stay white: show the error page for the address that
  // was showing, so that "Try again" brings it back in a new renderer. Never
  // a reload, which a page that keeps killing its renderer would turn into a
  // loop; nor an error page for the error page.
  CefRefPtr<CefFrame> main_frame = browser->GetMainFrame();
  if (!main_frame)
    return;
  const std::string shown_url = main_frame->GetURL().ToString();
  if (error_page::IsErrorPageUrl(shown_url))
    return;
  main_frame->LoadURL(error_page::ErrorPageUrlFor(shown_url));
}
