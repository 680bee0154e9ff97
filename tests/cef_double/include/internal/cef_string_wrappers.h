// CefString: a UTF-16 string that either owns its cef_string_t or is attached
// to one it does not own (CefString(const cef_string_t*)). Writing to an
// attached string writes into the attached structure, as in CEF.
#pragma once

// As in CEF: <memory.h> for memset, and nothing that declares strlen, which
// FromASCII calls. Whoever includes the CEF headers must have <cstring>
// included first (CEF's own debug-build headers happen to include it).
#include <memory.h>

#include <string>

#include "include/internal/cef_string_types.h"

class CefStringUTF16 {
 public:
  typedef char16 char_type;
  typedef cef_string_utf16_t struct_type;

  CefStringUTF16() : string_(NULL), owner_(false) {}
  CefStringUTF16(const CefStringUTF16& str) : string_(NULL), owner_(false) {
    FromString(str.c_str(), str.length(), true);
  }
  CefStringUTF16(const std::string& src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    FromString(src);
  }
  CefStringUTF16(const char* src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    if (src)
      FromString(std::string(src));
  }
  CefStringUTF16(const std::wstring& src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    FromWString(src);
  }
  CefStringUTF16(const wchar_t* src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    if (src)
      FromWString(std::wstring(src));
  }
  CefStringUTF16(const char_type* src, size_t src_len, bool copy)
      : string_(NULL), owner_(false) {
    if (src && src_len > 0)
      FromString(src, src_len, copy);
  }
  // Attaches to |src| without taking ownership.
  CefStringUTF16(const struct_type* src)  // NOLINT(runtime/explicit)
      : string_(NULL), owner_(false) {
    if (src)
      Attach(const_cast<struct_type*>(src), false);
  }
  virtual ~CefStringUTF16() { ClearAndFree(); }

  const char_type* c_str() const { return string_ ? string_->str : NULL; }
  size_t length() const { return string_ ? string_->length : 0; }
  size_t size() const { return length(); }
  bool empty() const { return string_ == NULL || string_->length == 0; }
  int compare(const CefStringUTF16& str) const;
  void clear() {
    if (string_)
      cef_string_utf16_clear(string_);
  }
  void swap(CefStringUTF16& str) {
    struct_type* s = string_;
    bool o = owner_;
    string_ = str.string_;
    owner_ = str.owner_;
    str.string_ = s;
    str.owner_ = o;
  }

  bool IsOwner() const { return owner_; }
  const struct_type* GetStruct() const { return string_; }
  struct_type* GetWritableStruct() {
    AllocIfNeeded();
    return string_;
  }
  void ClearAndFree() {
    if (!string_)
      return;
    if (owner_) {
      clear();
      delete string_;
    }
    string_ = NULL;
    owner_ = false;
  }
  void Attach(struct_type* str, bool owner) {
    ClearAndFree();
    string_ = str;
    owner_ = owner;
  }
  void Detach() {
    string_ = NULL;
    owner_ = false;
  }

  bool FromString(const char_type* src, size_t src_len, bool copy);
  bool FromASCII(const char* str) {
    size_t len = str ? strlen(str) : 0;
    if (len == 0) {
      clear();
      return true;
    }
    AllocIfNeeded();
    return cef_string_ascii_to_utf16(str, len, string_) != 0;
  }
  std::string ToString() const;             // UTF-8
  bool FromString(const std::string& str);  // from UTF-8
  std::wstring ToWString() const {
    return empty() ? std::wstring() : std::wstring(string_->str, length());
  }
  bool FromWString(const std::wstring& str) {
    return FromString(str.c_str(), str.length(), true);
  }

  bool operator<(const CefStringUTF16& str) const { return compare(str) < 0; }
  bool operator<=(const CefStringUTF16& str) const { return compare(str) <= 0; }
  bool operator>(const CefStringUTF16& str) const { return compare(str) > 0; }
  bool operator>=(const CefStringUTF16& str) const { return compare(str) >= 0; }
  bool operator==(const CefStringUTF16& str) const { return compare(str) == 0; }
  bool operator!=(const CefStringUTF16& str) const { return compare(str) != 0; }

  CefStringUTF16& operator=(const CefStringUTF16& str) {
    if (&str != this)
      FromString(str.c_str(), str.length(), true);
    return *this;
  }
  operator std::string() const { return ToString(); }
  CefStringUTF16& operator=(const std::string& str) {
    FromString(str);
    return *this;
  }
  CefStringUTF16& operator=(const char* str) {
    FromString(std::string(str ? str : ""));
    return *this;
  }
  operator std::wstring() const { return ToWString(); }
  CefStringUTF16& operator=(const std::wstring& str) {
    FromWString(str);
    return *this;
  }
  CefStringUTF16& operator=(const wchar_t* str) {
    FromWString(std::wstring(str ? str : L""));
    return *this;
  }

 private:
  void AllocIfNeeded() {
    if (string_ == NULL) {
      string_ = new struct_type;
      memset(string_, 0, sizeof(struct_type));
      owner_ = true;
    }
  }

  struct_type* string_;
  bool owner_;
};
