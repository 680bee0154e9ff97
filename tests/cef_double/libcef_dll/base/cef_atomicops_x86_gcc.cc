// Stands where a CEF distribution ships the wrapper's source of the same
// name, which every distribution has and which, under GCC, needs the atomic
// operations a Windows distribution does not ship
// (include/base/internal/cef_atomicops_x86_gcc.h). A build that lacks them
// stops here, as it stops on the real wrapper.
#include "include/base/cef_atomicops.h"

namespace base {
namespace subtle {

// Not called by the shell: makes the wrapper use each operation once, so
// that an implementation that declares one without defining it fails to
// link.
Atomic32 CefDoubleWrapperUsesAtomics(volatile Atomic32* count) {
  NoBarrier_AtomicIncrement(count, 1);
  Barrier_AtomicIncrement(count, -1);
  return Acquire_Load(count);
}

}  // namespace subtle
}  // namespace base
