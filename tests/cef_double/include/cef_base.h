// Reference counting shared by every CEF interface.
#pragma once

// Included in CEF's order: the string wrappers come before windows.h.
#include "include/base/cef_atomic_ref_count.h"
#include "include/base/cef_basictypes.h"
#include "include/base/cef_build.h"
#include "include/base/cef_macros.h"
#include "include/internal/cef_ptr.h"
#include "include/internal/cef_types_wrappers.h"
#include "include/internal/cef_win.h"

class CefBase {
 public:
  virtual void AddRef() const = 0;
  // True when the count dropped to zero and the object deleted itself.
  virtual bool Release() const = 0;
  virtual bool HasOneRef() const = 0;

 protected:
  virtual ~CefBase() {}
};

// Signed 32-bit count, changed atomically.
class CefRefCount {
 public:
  CefRefCount() : ref_count_(0) {}
  void AddRef() const { base::AtomicRefCountInc(&ref_count_); }
  // True when the count is now zero.
  bool Release() const { return !base::AtomicRefCountDec(&ref_count_); }
  bool HasOneRef() const { return base::AtomicRefCountIsOne(&ref_count_); }

 private:
  mutable base::AtomicRefCount ref_count_;
  DISALLOW_COPY_AND_ASSIGN(CefRefCount);
};

#define IMPLEMENT_REFCOUNTING(ClassName)          \
 public:                                          \
  void AddRef() const OVERRIDE {                  \
    ref_count_.AddRef();                          \
  }                                               \
  bool Release() const OVERRIDE {                 \
    if (ref_count_.Release()) {                   \
      delete static_cast<const ClassName*>(this); \
      return true;                                \
    }                                             \
    return false;                                 \
  }                                               \
  bool HasOneRef() const OVERRIDE {               \
    return ref_count_.HasOneRef();                \
  }                                               \
                                                  \
 private:                                         \
  CefRefCount ref_count_;
