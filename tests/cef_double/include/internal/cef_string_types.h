// The C string structure that crosses CEF's API, and the few C functions that
// manage it. Strings are UTF-16, as in CEF's default build.
#pragma once

#include <stddef.h>

#include "include/base/cef_basictypes.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct _cef_string_utf16_t {
  char16* str;
  size_t length;
  void (*dtor)(char16* str);  // frees str; NULL when str is not owned
} cef_string_utf16_t;

// Frees what |output| owns, then points it at a copy of |src| (copy != 0) or
// at |src| itself.
int cef_string_utf16_set(const char16* src,
                         size_t src_len,
                         cef_string_utf16_t* output,
                         int copy);
void cef_string_utf16_clear(cef_string_utf16_t* str);
int cef_string_utf16_cmp(const cef_string_utf16_t* str1,
                         const cef_string_utf16_t* str2);
// Invalid UTF-8 becomes U+FFFD; the result is then 0.
int cef_string_utf8_to_utf16(const char* src,
                             size_t src_len,
                             cef_string_utf16_t* output);
int cef_string_ascii_to_utf16(const char* src,
                              size_t src_len,
                              cef_string_utf16_t* output);

#define cef_string_utf16_copy(src, src_len, output) \
  cef_string_utf16_set(src, src_len, output, true)

#ifdef __cplusplus
}
#endif
