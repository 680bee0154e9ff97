// Reads failed addresses from standard input, each ended by a NUL byte, and
// answers each at once with the shell's error-page address for it, ended by
// a NUL byte too, so that the browser test opens error.html exactly as the
// shell would. One process serves the whole test.

#include <stdio.h>

#include <string>

#include "error_page_url.h"

int main() {
  std::string failed;
  int c;
  while ((c = getchar()) != EOF) {
    if (c != '\0') {
      failed.push_back(static_cast<char>(c));
      continue;
    }
    const std::string url = error_page::ErrorPageUrlFor(failed);
    fwrite(url.data(), 1, url.size() + 1, stdout);
    if (fflush(stdout) != 0)
      return 1;
    failed.clear();
  }
  // An address cut short is an error of the caller's.
  return failed.empty() && !ferror(stdin) ? 0 : 1;
}
