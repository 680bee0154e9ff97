// The address of the local error page that replaces a document that failed
// to load. Free of windows.h; works on UTF-8 bytes.

#ifndef ZELVORA_SHELL_ERROR_PAGE_URL_H_
#define ZELVORA_SHELL_ERROR_PAGE_URL_H_

#include <string>

namespace error_page {

// The page itself: Chromium looks it up in the current folder.
extern const char kErrorPageUrl[];

// "file:///error.html?url=" and |failed_url| with "?", "&", "=", "%" and "#"
// escaped as "%3F", "%26", "%3D", "%25" and "%23", so that the page's "url"
// parameter decodes once into exactly |failed_url|, fragment included; every
// other byte passes unchanged. UTF-8 never uses those bytes inside a
// multi-byte sequence.
std::string ErrorPageUrlFor(const std::string& failed_url);

// True for an address of the error page itself: a failure to show the error
// page is not answered with another error page.
bool IsErrorPageUrl(const std::string& url);

}  // namespace error_page

#endif  // ZELVORA_SHELL_ERROR_PAGE_URL_H_
