// The error page's address built from a failed address.

#include "error_page_url.h"

#include <string>

#include "gtest/gtest.h"

namespace error_page {
namespace {

TEST(ErrorPageUrl, EscapesWhatThePageWouldReadAsSyntax) {
  struct {
    const char* failed;
    const char* expected;
  } const cases[] = {
      {"a?b=c&d", "file:///error.html?url=a%3Fb%3Dc%26d"},
      {"", "file:///error.html?url="},
      {"http://hall.example/lobby",
       "file:///error.html?url=http://hall.example/lobby"},
      // "%" is escaped too, so the page decodes exactly once: an escape in
      // the failed address, and a lone "%", come back as they were.
      {"a%3Fb%", "file:///error.html?url=a%253Fb%25"},
      // "#" stays in the parameter instead of becoming the page's fragment.
      {"hall#/lobby/7", "file:///error.html?url=hall%23/lobby/7"},
      {"?&=?&=", "file:///error.html?url=%3F%26%3D%3F%26%3D"},
      {"%#%#", "file:///error.html?url=%25%23%25%23"},
      {"sp ace\t+", "file:///error.html?url=sp ace\t+"},
      // UTF-8 passes byte for byte.
      {"http://h\xC3\xA4ll.example/?z=\xF0\x9F\x8E\xB2",
       "file:///error.html?url=http://h\xC3\xA4ll.example/"
       "%3Fz%3D\xF0\x9F\x8E\xB2"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.expected, ErrorPageUrlFor(c.failed))
        << "for '" << c.failed << "'";
  }
}

TEST(ErrorPageUrl, HandlesAMegabyteAddress) {
  std::string failed;
  std::string expected = "file:///error.html?url=";
  for (int i = 0; i < 1 << 18; ++i) {
    failed += "a?%#=";
    expected += "a%3F%25%23%3D";
  }
  EXPECT_EQ(expected, ErrorPageUrlFor(failed));
}

TEST(ErrorPageUrl, RecognisesItsOwnAddresses) {
  EXPECT_TRUE(IsErrorPageUrl("file:///error.html"));
  EXPECT_TRUE(IsErrorPageUrl("file:///error.html?url=a"));
  EXPECT_TRUE(IsErrorPageUrl(ErrorPageUrlFor(ErrorPageUrlFor("x"))));
  EXPECT_FALSE(IsErrorPageUrl(""));
  EXPECT_FALSE(IsErrorPageUrl("file:///error.htm"));
  EXPECT_FALSE(IsErrorPageUrl("http://hall.example/file:///error.html"));
  EXPECT_FALSE(IsErrorPageUrl("file:///C:/error.html"));
}

}  // namespace
}  // namespace error_page
