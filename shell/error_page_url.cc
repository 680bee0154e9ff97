#include "error_page_url.h"

#include <algorithm>
#include <cstring>

namespace error_page {

const char kErrorPageUrl[] = "file:///error.html";

namespace {

const char kUrlParameter[] = "?url=";

}  // namespace

std::string ErrorPageUrlFor(const std::string& failed_url) {
  // Sized once, then filled: linear in the address, one allocation.
  size_t specials = 0;
  for (const char c : failed_url)
    specials += (c == '?' || c == '&' || c == '=' || c == '%' || c == '#');
  const size_t prefix_length = strlen(kErrorPageUrl) + strlen(kUrlParameter);
  std::string result(prefix_length + failed_url.size() + 2 * specials, '\0');
  char* out = &result[0];
  out = std::copy_n(kErrorPageUrl, strlen(kErrorPageUrl), out);
  out = std::copy_n(kUrlParameter, strlen(kUrlParameter), out);
  for (const char c : failed_url) {
    const char* escape = c == '?'   ? "%3F"
                         : c == '&' ? "%26"
                         : c == '=' ? "%3D"
                         : c == '%' ? "%25"
                         : c == '#' ? "%23"
                                    : nullptr;
    if (escape)
      out = std::copy_n(escape, 3, out);
    else
      *out++ = c;
  }
  return result;
}

bool IsErrorPageUrl(const std::string& url) {
  return url.compare(0, strlen(kErrorPageUrl), kErrorPageUrl) == 0;
}

}  // namespace error_page
