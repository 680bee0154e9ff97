// Prints the shell's error-page address for each failed address given as an
// argument, each followed by a NUL byte, so that the browser test opens
// error.html exactly as the shell would.

#include <stdio.h>

#include <string>

#include "error_page_url.h"

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string url = error_page::ErrorPageUrlFor(argv[i]);
    fwrite(url.data(), 1, url.size() + 1, stdout);
  }
  return fflush(stdout) == 0 ? 0 : 1;
}
