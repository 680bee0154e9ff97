// Build switches the CEF headers rely on. The double only exists for the
// Windows build the shell makes, with MinGW-w64.
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
#if defined(__x86_64__)
#define ARCH_CPU_X86_FAMILY 1
#define ARCH_CPU_X86_64 1
#define ARCH_CPU_64_BITS 1
#elif defined(__i386__)
#define ARCH_CPU_X86_FAMILY 1
#define ARCH_CPU_X86 1
#define ARCH_CPU_32_BITS 1
#endif
#define WCHAR_T_IS_UTF16
#ifndef OVERRIDE
#define OVERRIDE override
#endif
