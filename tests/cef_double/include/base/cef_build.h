// Build switches the CEF headers rely on. The double only exists for the
// Windows build the shell makes.
#pragma once

#if !defined(_WIN32)
#error "The CEF double models CEF's Windows build only."
#endif
#ifndef OS_WIN
#define OS_WIN 1
#endif
#if defined(__GNUC__) && !defined(COMPILER_GCC)
#define COMPILER_GCC 1
#endif
#define WCHAR_T_IS_UTF16
#ifndef OVERRIDE
#define OVERRIDE override
#endif
