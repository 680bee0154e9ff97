// HallClient as load handler: a document that fails to load is replaced by
// the local error page, which is told the failed address.

#include "hall_client.h"

#include <string>

#include "error_page_url.h"

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
  // Main frame or sub-frame alike: the error page takes the failed frame's
  // place and the rest of the document stays.
  frame->LoadURL(error_page::ErrorPageUrlFor(failed_url));
}
