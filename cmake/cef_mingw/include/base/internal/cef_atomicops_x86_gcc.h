// The atomic operations that include/base/cef_atomicops.h declares, for GCC
// (MinGW-w64), written with GCC's __atomic built-ins.
//
// cef_atomicops.h includes "include/base/internal/cef_atomicops_x86_gcc.h"
// whenever the compiler is GCC, but CEF's Windows binary distributions ship
// the MSVC implementation only. cmake/Cef.cmake puts this folder on the
// include path after the distribution's own, so this file answers that
// include where the distribution has nothing to offer.
//
// The semantics are those of Chromium's base/atomicops.h: the increments
// return the new value, the compare-and-swaps return the value found at
// |ptr|; "Acquire" and "Release" order the operation as their names say,
// "Barrier_" is a full barrier, "NoBarrier_" is atomic and unordered.
//
// Our include guard differs from the one of CEF's Linux header on purpose:
// the wrapper's libcef_dll/base/cef_atomicops_x86_gcc.cc then leaves out its
// CPU probe for an Opteron erratum, which only the Linux header's inline
// assembly consults.

#ifndef ZELVORA_CEF_MINGW_ATOMICOPS_X86_GCC_H_
#define ZELVORA_CEF_MINGW_ATOMICOPS_X86_GCC_H_

#if !defined(__GNUC__)
#error "This header implements CEF's atomic operations for GCC only."
#endif

namespace base {
namespace subtle {
namespace gcc_atomics {

// |expected| receives what |ptr| held, whether or not the swap happened.
template <typename T>
inline T CompareAndSwap(volatile T* ptr,
                        T expected,
                        T desired,
                        int success_order,
                        int failure_order) {
  __atomic_compare_exchange_n(ptr, &expected, desired, false, success_order,
                              failure_order);
  return expected;
}

}  // namespace gcc_atomics

inline void MemoryBarrier() {
  __atomic_thread_fence(__ATOMIC_SEQ_CST);
}

inline Atomic32 NoBarrier_CompareAndSwap(volatile Atomic32* ptr,
                                         Atomic32 old_value,
                                         Atomic32 new_value) {
  return gcc_atomics::CompareAndSwap(ptr, old_value, new_value,
                                     __ATOMIC_RELAXED, __ATOMIC_RELAXED);
}

inline Atomic32 NoBarrier_AtomicExchange(volatile Atomic32* ptr,
                                         Atomic32 new_value) {
  return __atomic_exchange_n(ptr, new_value, __ATOMIC_RELAXED);
}

inline Atomic32 NoBarrier_AtomicIncrement(volatile Atomic32* ptr,
                                          Atomic32 increment) {
  return __atomic_add_fetch(ptr, increment, __ATOMIC_RELAXED);
}

inline Atomic32 Barrier_AtomicIncrement(volatile Atomic32* ptr,
                                        Atomic32 increment) {
  return __atomic_add_fetch(ptr, increment, __ATOMIC_SEQ_CST);
}

inline Atomic32 Acquire_CompareAndSwap(volatile Atomic32* ptr,
                                       Atomic32 old_value,
                                       Atomic32 new_value) {
  return gcc_atomics::CompareAndSwap(ptr, old_value, new_value,
                                     __ATOMIC_ACQUIRE, __ATOMIC_ACQUIRE);
}

inline Atomic32 Release_CompareAndSwap(volatile Atomic32* ptr,
                                       Atomic32 old_value,
                                       Atomic32 new_value) {
  return gcc_atomics::CompareAndSwap(ptr, old_value, new_value,
                                     __ATOMIC_RELEASE, __ATOMIC_RELAXED);
}

inline void NoBarrier_Store(volatile Atomic32* ptr, Atomic32 value) {
  __atomic_store_n(ptr, value, __ATOMIC_RELAXED);
}

// Chromium's order: the store, then a full barrier.
inline void Acquire_Store(volatile Atomic32* ptr, Atomic32 value) {
  __atomic_store_n(ptr, value, __ATOMIC_RELAXED);
  MemoryBarrier();
}

inline void Release_Store(volatile Atomic32* ptr, Atomic32 value) {
  __atomic_store_n(ptr, value, __ATOMIC_RELEASE);
}

inline Atomic32 NoBarrier_Load(volatile const Atomic32* ptr) {
  return __atomic_load_n(ptr, __ATOMIC_RELAXED);
}

inline Atomic32 Acquire_Load(volatile const Atomic32* ptr) {
  return __atomic_load_n(ptr, __ATOMIC_ACQUIRE);
}

// Chromium's order: a full barrier, then the load.
inline Atomic32 Release_Load(volatile const Atomic32* ptr) {
  MemoryBarrier();
  return __atomic_load_n(ptr, __ATOMIC_RELAXED);
}

#ifdef ARCH_CPU_64_BITS

inline Atomic64 NoBarrier_CompareAndSwap(volatile Atomic64* ptr,
                                         Atomic64 old_value,
                                         Atomic64 new_value) {
  return gcc_atomics::CompareAndSwap(ptr, old_value, new_value,
                                     __ATOMIC_RELAXED, __ATOMIC_RELAXED);
}

inline Atomic64 NoBarrier_AtomicExchange(volatile Atomic64* ptr,
                                         Atomic64 new_value) {
  return __atomic_exchange_n(ptr, new_value, __ATOMIC_RELAXED);
}

inline Atomic64 NoBarrier_AtomicIncrement(volatile Atomic64* ptr,
                                          Atomic64 increment) {
  return __atomic_add_fetch(ptr, increment, __ATOMIC_RELAXED);
}

inline Atomic64 Barrier_AtomicIncrement(volatile Atomic64* ptr,
                                        Atomic64 increment) {
  return __atomic_add_fetch(ptr, increment, __ATOMIC_SEQ_CST);
}

inline Atomic64 Acquire_CompareAndSwap(volatile Atomic64* ptr,
                                       Atomic64 old_value,
                                       Atomic64 new_value) {
  return gcc_atomics::CompareAndSwap(ptr, old_value, new_value,
                                     __ATOMIC_ACQUIRE, __ATOMIC_ACQUIRE);
}

inline Atomic64 Release_CompareAndSwap(volatile Atomic64* ptr,
                                       Atomic64 old_value,
                                       Atomic64 new_value) {
  return gcc_atomics::CompareAndSwap(ptr, old_value, new_value,
                                     __ATOMIC_RELEASE, __ATOMIC_RELAXED);
}

inline void NoBarrier_Store(volatile Atomic64* ptr, Atomic64 value) {
  __atomic_store_n(ptr, value, __ATOMIC_RELAXED);
}

inline void Acquire_Store(volatile Atomic64* ptr, Atomic64 value) {
  __atomic_store_n(ptr, value, __ATOMIC_RELAXED);
  MemoryBarrier();
}

inline void Release_Store(volatile Atomic64* ptr, Atomic64 value) {
  __atomic_store_n(ptr, value, __ATOMIC_RELEASE);
}

inline Atomic64 NoBarrier_Load(volatile const Atomic64* ptr) {
  return __atomic_load_n(ptr, __ATOMIC_RELAXED);
}

inline Atomic64 Acquire_Load(volatile const Atomic64* ptr) {
  return __atomic_load_n(ptr, __ATOMIC_ACQUIRE);
}

inline Atomic64 Release_Load(volatile const Atomic64* ptr) {
  MemoryBarrier();
  return __atomic_load_n(ptr, __ATOMIC_RELAXED);
}

#endif  // ARCH_CPU_64_BITS

}  // namespace subtle
}  // namespace base

#endif  // ZELVORA_CEF_MINGW_ATOMICOPS_X86_GCC_H_
