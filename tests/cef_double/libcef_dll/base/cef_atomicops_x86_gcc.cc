// Stands where a CEF distribution ships the wrapper's source of the same
// name, which every distribution has and which, under GCC, needs the atomic
// operations a Windows distribution does not ship
// (include/base/internal/cef_atomicops_x86_gcc.h). A build that lacks them
// stops here, as it stops on the real wrapper. The real file only probes
// the CPU for the Linux header; the double's needs nothing more.
#include "include/base/cef_atomicops.h"
