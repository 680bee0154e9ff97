// C++ wrappers around CEF's C structures: zero-initialised on construction,
// owning their strings, copied field by field (CefStructBase).
#pragma once

// memset and memcpy come with the string wrappers' <memory.h>, as in CEF.
#include "include/internal/cef_string.h"
#include "include/internal/cef_types.h"

template <class traits>
class CefStructBase : public traits::struct_type {
 public:
  typedef typename traits::struct_type struct_type;

  CefStructBase() { Init(); }
  virtual ~CefStructBase() { Clear(this); }
  CefStructBase(const CefStructBase& r) : struct_type() {
    Init();
    *this = r;
  }
  CefStructBase(const struct_type& r) : struct_type() {  // NOLINT
    Init();
    *this = r;
  }

  void Reset() {
    Clear(this);
    Init();
  }
  void Set(const struct_type& source, bool copy) {
    traits::set(&source, this, copy);
  }
  CefStructBase& operator=(const CefStructBase& s) {
    return operator=(static_cast<const struct_type&>(s));
  }
  CefStructBase& operator=(const struct_type& s) {
    Set(s, true);
    return *this;
  }

 protected:
  void Init() {
    memset(static_cast<struct_type*>(this), 0, sizeof(struct_type));
    traits::init(this);
  }
  static void Clear(struct_type* s) { traits::clear(s); }
};

namespace cef_struct_detail {
// Copies |src| into |target| and then sets each listed string field with
// cef_string_set (a copy, or an alias when |copy| is false). |size| fields
// keep the target's value, as in CEF.
template <class S, size_t N>
void Copy(const S* src,
          S* target,
          cef_string_t S::*const (&strings)[N],
          bool copy) {
  if (src == target)
    return;
  cef_string_t own[N];
  for (size_t i = 0; i < N; ++i)
    own[i] = target->*strings[i];
  *target = *src;
  for (size_t i = 0; i < N; ++i) {
    target->*strings[i] = own[i];
    cef_string_set((src->*strings[i]).str, (src->*strings[i]).length,
                   &(target->*strings[i]), copy);
  }
}
template <class S, size_t N>
void ClearStrings(S* s, cef_string_t S::*const (&strings)[N]) {
  for (size_t i = 0; i < N; ++i)
    cef_string_clear(&(s->*strings[i]));
}
}  // namespace cef_struct_detail

struct CefKeyEventTraits {
  typedef cef_key_event_t struct_type;
  static inline void init(struct_type*) {}
  static inline void clear(struct_type*) {}
  static inline void set(const struct_type* src, struct_type* target, bool) {
    *target = *src;
  }
};
typedef CefStructBase<CefKeyEventTraits> CefKeyEvent;

struct CefPopupFeaturesTraits {
  typedef cef_popup_features_t struct_type;
  static inline void init(struct_type* s) {
    s->menuBarVisible = true;
    s->statusBarVisible = true;
    s->toolBarVisible = true;
    s->locationBarVisible = true;
    s->scrollbarsVisible = true;
    s->resizable = true;
  }
  // String lists are not modelled: the double never fills additionalFeatures.
  static inline void clear(struct_type*) {}
  static inline void set(const struct_type* src, struct_type* target, bool) {
    *target = *src;
    target->additionalFeatures = NULL;
  }
};
typedef CefStructBase<CefPopupFeaturesTraits> CefPopupFeatures;

struct CefSettingsTraits {
  typedef cef_settings_t struct_type;
  static constexpr cef_string_t struct_type::*const kStrings[] = {
      &struct_type::browser_subprocess_path,
      &struct_type::cache_path,
      &struct_type::user_data_path,
      &struct_type::user_agent,
      &struct_type::product_version,
      &struct_type::locale,
      &struct_type::log_file,
      &struct_type::javascript_flags,
      &struct_type::resources_dir_path,
      &struct_type::locales_dir_path,
      &struct_type::accept_language_list};
  static inline void init(struct_type* s) { s->size = sizeof(struct_type); }
  static inline void clear(struct_type* s) {
    cef_struct_detail::ClearStrings(s, kStrings);
  }
  static inline void set(const struct_type* src,
                         struct_type* target,
                         bool copy) {
    size_t size = target->size;
    cef_struct_detail::Copy(src, target, kStrings, copy);
    target->size = size;
  }
};
typedef CefStructBase<CefSettingsTraits> CefSettings;

struct CefBrowserSettingsTraits {
  typedef cef_browser_settings_t struct_type;
  static constexpr cef_string_t struct_type::*const kStrings[] = {
      &struct_type::standard_font_family, &struct_type::fixed_font_family,
      &struct_type::serif_font_family,    &struct_type::sans_serif_font_family,
      &struct_type::cursive_font_family,  &struct_type::fantasy_font_family,
      &struct_type::default_encoding,     &struct_type::accept_language_list};
  static inline void init(struct_type* s) { s->size = sizeof(struct_type); }
  static inline void clear(struct_type* s) {
    cef_struct_detail::ClearStrings(s, kStrings);
  }
  static inline void set(const struct_type* src,
                         struct_type* target,
                         bool copy) {
    size_t size = target->size;
    cef_struct_detail::Copy(src, target, kStrings, copy);
    target->size = size;
  }
};
typedef CefStructBase<CefBrowserSettingsTraits> CefBrowserSettings;
