// Atomic operations, as CEF declares them: the subset that reference
// counting (cef_atomic_ref_count.h) uses. As in CEF, the implementation
// comes from a header chosen by compiler, and a Windows distribution ships
// only MSVC's: under GCC the include below names a header that this folder,
// like the real one, does not have. Whoever builds with GCC supplies it.
#pragma once

#include <stdint.h>

#include "include/base/cef_build.h"

#if defined(OS_WIN) && defined(ARCH_CPU_64_BITS)
#undef MemoryBarrier  // windows.h's macro would hide base::subtle's
#endif

namespace base {
namespace subtle {

typedef int32_t Atomic32;
#ifdef ARCH_CPU_64_BITS
typedef intptr_t Atomic64;
#endif

// Both return the new value.
Atomic32 NoBarrier_AtomicIncrement(volatile Atomic32* ptr, Atomic32 increment);
Atomic32 Barrier_AtomicIncrement(volatile Atomic32* ptr, Atomic32 increment);
Atomic32 Acquire_Load(volatile const Atomic32* ptr);

}  // namespace subtle
}  // namespace base

#if defined(COMPILER_GCC) && defined(ARCH_CPU_X86_FAMILY)
#include "include/base/internal/cef_atomicops_x86_gcc.h"
#else
#error "The CEF double is built with MinGW-w64's GCC only."
#endif
