// CEF's string functions: UTF-16 storage, UTF-8 conversion with U+FFFD for
// anything malformed (as Chromium's converters do).
#include <string.h>

#include <string>

#include "include/internal/cef_string.h"

namespace {

void FreeString(char16* str) {
  delete[] str;
}

// Appends |cp| to |out| as UTF-16.
void PutUtf16(std::wstring& out, unsigned cp) {
  if (cp >= 0x10000) {
    cp -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (cp >> 10));
    out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
  } else {
    out += static_cast<wchar_t>(cp);
  }
}

// Decodes UTF-8; returns false if anything had to be replaced.
bool Utf8ToUtf16(const char* src, size_t len, std::wstring& out) {
  const unsigned char* s = reinterpret_cast<const unsigned char*>(src);
  bool ok = true;
  for (size_t i = 0; i < len;) {
    unsigned c = s[i];
    size_t n = c < 0x80                ? 0
               : c >= 0xC2 && c < 0xE0 ? 1
               : c >= 0xE0 && c < 0xF0 ? 2
               : c >= 0xF0 && c < 0xF5 ? 3
                                       : 4;
    if (n == 4) {  // stray continuation byte or invalid lead
      PutUtf16(out, 0xFFFD), ok = false, ++i;
      continue;
    }
    unsigned cp = n == 0 ? c : c & (0x3F >> n);
    size_t j = 1;
    for (; j <= n && i + j < len && (s[i + j] & 0xC0) == 0x80; ++j)
      cp = (cp << 6) | (s[i + j] & 0x3F);
    bool bad = j <= n || (n == 2 && cp < 0x800) || (n == 3 && cp < 0x10000) ||
               cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
    PutUtf16(out, bad ? 0xFFFD : cp);
    ok = ok && !bad;
    i += bad && j <= n ? j : n + 1;
  }
  return ok;
}

std::string Utf16ToUtf8(const wchar_t* s, size_t len) {
  std::string out;
  for (size_t i = 0; i < len; ++i) {
    unsigned cp = static_cast<unsigned short>(s[i]);
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < len && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[++i] - 0xDC00);
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;  // unpaired surrogate
    }
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else {
      static const unsigned kLead[] = {0, 0xC0, 0xE0, 0xF0};
      int n = cp < 0x800 ? 1 : cp < 0x10000 ? 2 : 3;
      out += static_cast<char>(kLead[n] | (cp >> (6 * n)));
      while (n--)
        out += static_cast<char>(0x80 | ((cp >> (6 * n)) & 0x3F));
    }
  }
  return out;
}

}  // namespace

extern "C" {

int cef_string_utf16_set(const char16* src,
                         size_t src_len,
                         cef_string_utf16_t* output,
                         int copy) {
  cef_string_utf16_clear(output);
  if (!copy) {
    output->str = const_cast<char16*>(src);
    output->length = src_len;
  } else if (src && src_len > 0) {
    output->str = new char16[src_len + 1];
    memcpy(output->str, src, src_len * sizeof(char16));
    output->str[src_len] = 0;
    output->length = src_len;
    output->dtor = FreeString;
  }
  return 1;
}

void cef_string_utf16_clear(cef_string_utf16_t* str) {
  if (str->dtor && str->str)
    str->dtor(str->str);
  str->str = NULL;
  str->length = 0;
  str->dtor = NULL;
}

int cef_string_utf16_cmp(const cef_string_utf16_t* str1,
                         const cef_string_utf16_t* str2) {
  if (str1->length == 0 && str2->length == 0)
    return 0;
  size_t n = str1->length < str2->length ? str1->length : str2->length;
  for (size_t i = 0; i < n; ++i) {
    if (str1->str[i] != str2->str[i])
      return str1->str[i] < str2->str[i] ? -1 : 1;
  }
  return str1->length < str2->length ? -1 : str1->length > str2->length;
}

int cef_string_utf8_to_utf16(const char* src,
                             size_t src_len,
                             cef_string_utf16_t* output) {
  std::wstring out;
  bool ok = Utf8ToUtf16(src, src_len, out);
  cef_string_utf16_set(out.c_str(), out.length(), output, true);
  return ok;
}

int cef_string_ascii_to_utf16(const char* src,
                              size_t src_len,
                              cef_string_utf16_t* output) {
  std::wstring out(src, src + src_len);
  return cef_string_utf16_set(out.c_str(), out.length(), output, true);
}

}  // extern "C"

int CefStringUTF16::compare(const CefStringUTF16& str) const {
  if (empty() && str.empty())
    return 0;
  if (empty())
    return -1;
  if (str.empty())
    return 1;
  return cef_string_utf16_cmp(string_, str.GetStruct());
}

bool CefStringUTF16::FromString(const char_type* src,
                                size_t src_len,
                                bool copy) {
  if (src == NULL || src_len == 0) {
    clear();
    return true;
  }
  AllocIfNeeded();
  return cef_string_utf16_set(src, src_len, string_, copy) != 0;
}

std::string CefStringUTF16::ToString() const {
  return empty() ? std::string() : Utf16ToUtf8(string_->str, string_->length);
}

bool CefStringUTF16::FromString(const std::string& str) {
  if (str.empty()) {
    clear();
    return true;
  }
  AllocIfNeeded();
  return cef_string_utf8_to_utf16(str.c_str(), str.length(), string_) != 0;
}
