// The reference count of CEF objects (CefRefCount), on cef_atomicops.h.
#pragma once

#include "include/base/cef_atomicops.h"

namespace base {

typedef subtle::Atomic32 AtomicRefCount;

inline void AtomicRefCountInc(volatile AtomicRefCount* ptr) {
  subtle::NoBarrier_AtomicIncrement(ptr, 1);
}

// False when the count dropped to zero.
inline bool AtomicRefCountDec(volatile AtomicRefCount* ptr) {
  return subtle::Barrier_AtomicIncrement(ptr, -1) != 0;
}

inline bool AtomicRefCountIsOne(volatile AtomicRefCount* ptr) {
  return subtle::Acquire_Load(ptr) == 1;
}

}  // namespace base
