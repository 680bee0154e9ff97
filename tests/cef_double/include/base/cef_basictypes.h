// Fixed-width names used across the CEF interfaces (32-bit Windows).
#pragma once

#include <limits.h>
#include <stddef.h>

#include "include/base/cef_build.h"

typedef long long int64;
typedef unsigned long long uint64;
#ifndef _INT32
#define _INT32
typedef int int32;
#endif
#ifndef _UINT32
#define _UINT32
typedef unsigned int uint32;
#endif
#ifndef char16
typedef wchar_t char16;  // wchar_t is UTF-16 on Windows
#endif
