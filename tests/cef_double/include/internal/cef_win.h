// Windows wrappers: process arguments and the description of a browser window.
#pragma once

#include "include/internal/cef_types_win.h"
#include "include/internal/cef_types_wrappers.h"

#define CefCursorHandle cef_cursor_handle_t
#define CefEventHandle cef_event_handle_t
#define CefWindowHandle cef_window_handle_t

struct CefMainArgsTraits {
  typedef cef_main_args_t struct_type;
  static inline void init(struct_type*) {}
  static inline void clear(struct_type*) {}
  static inline void set(const struct_type* src, struct_type* target, bool) {
    target->instance = src->instance;
  }
};

class CefMainArgs : public CefStructBase<CefMainArgsTraits> {
 public:
  typedef CefStructBase<CefMainArgsTraits> parent;
  CefMainArgs() : parent() {}
  explicit CefMainArgs(const cef_main_args_t& r) : parent(r) {}
  explicit CefMainArgs(const CefMainArgs& r) : parent(r) {}
  explicit CefMainArgs(HINSTANCE hInstance) : parent() { instance = hInstance; }
};

struct CefWindowInfoTraits {
  typedef cef_window_info_t struct_type;
  static constexpr cef_string_t struct_type::*const kStrings[] = {
      &struct_type::window_name};
  static inline void init(struct_type*) {}
  static inline void clear(struct_type* s) {
    cef_string_clear(&s->window_name);
  }
  static inline void set(const struct_type* src,
                         struct_type* target,
                         bool copy) {
    cef_struct_detail::Copy(src, target, kStrings, copy);
  }
};

class CefWindowInfo : public CefStructBase<CefWindowInfoTraits> {
 public:
  typedef CefStructBase<CefWindowInfoTraits> parent;
  CefWindowInfo() : parent() {}
  explicit CefWindowInfo(const cef_window_info_t& r) : parent(r) {}
  explicit CefWindowInfo(const CefWindowInfo& r) : parent(r) {}

  // A child window filling |windowRect| of |parent|.
  void SetAsChild(CefWindowHandle parent, RECT windowRect) {
    style =
        WS_CHILD | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VISIBLE;
    parent_window = parent;
    x = windowRect.left;
    y = windowRect.top;
    width = windowRect.right - windowRect.left;
    height = windowRect.bottom - windowRect.top;
  }
  // A top-level window at Windows' default place and size; ex_style is left
  // as it is.
  void SetAsPopup(CefWindowHandle parent, const CefString& windowName) {
    style =
        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VISIBLE;
    parent_window = parent;
    x = CW_USEDEFAULT;
    y = CW_USEDEFAULT;
    width = CW_USEDEFAULT;
    height = CW_USEDEFAULT;
    cef_string_copy(windowName.c_str(), windowName.length(), &window_name);
  }
  void SetAsWindowless(CefWindowHandle parent, bool transparent) {
    windowless_rendering_enabled = TRUE;
    parent_window = parent;
    transparent_painting_enabled = transparent;
  }
};
