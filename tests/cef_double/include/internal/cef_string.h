#pragma once

#include "include/internal/cef_string_types.h"

#define CEF_STRING_TYPE_UTF16 1

typedef char16 cef_char_t;
typedef cef_string_utf16_t cef_string_t;

#define cef_string_set cef_string_utf16_set
#define cef_string_copy cef_string_utf16_copy
#define cef_string_clear cef_string_utf16_clear
#define cef_string_from_ascii cef_string_ascii_to_utf16
#define cef_string_from_utf8 cef_string_utf8_to_utf16

#ifdef __cplusplus
#include "include/internal/cef_string_wrappers.h"
typedef CefStringUTF16 CefString;
#endif
