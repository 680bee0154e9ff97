// Counted reference to a CEF object. Works like CEF's (Chromium's
// scoped_refptr): it converts to the raw pointer, so `if (ptr)`,
// `ptr == nullptr` and `*ptr` work; a moved-from CefRefPtr keeps its value,
// as there is no move constructor in CEF's either.
#pragma once

#include <assert.h>
#include <stddef.h>

template <class T>
class CefRefPtr {
 public:
  typedef T element_type;

  CefRefPtr() : ptr_(NULL) {}
  CefRefPtr(T* p) : ptr_(p) {  // NOLINT(runtime/explicit)
    if (ptr_)
      ptr_->AddRef();
  }
  CefRefPtr(const CefRefPtr<T>& r) : CefRefPtr(r.ptr_) {}
  template <typename U>
  CefRefPtr(const CefRefPtr<U>& r) : CefRefPtr(r.get()) {}  // NOLINT
  ~CefRefPtr() {
    if (ptr_)
      ptr_->Release();
  }

  T* get() const { return ptr_; }
  operator T*() const { return ptr_; }
  T* operator->() const {
    assert(ptr_ != NULL);
    return ptr_;
  }

  CefRefPtr<T>& operator=(T* p) {
    if (p)
      p->AddRef();  // first, in case p is the object we hold
    T* old = ptr_;
    ptr_ = p;
    if (old)
      old->Release();
    return *this;
  }
  CefRefPtr<T>& operator=(const CefRefPtr<T>& r) { return *this = r.ptr_; }
  template <typename U>
  CefRefPtr<T>& operator=(const CefRefPtr<U>& r) {
    return *this = r.get();
  }

  void swap(T** pp) {
    T* p = ptr_;
    ptr_ = *pp;
    *pp = p;
  }
  void swap(CefRefPtr<T>& r) { swap(&r.ptr_); }

 protected:
  T* ptr_;
};
