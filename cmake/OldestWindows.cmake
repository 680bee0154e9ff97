# The oldest Windows the programs run on: Windows Vista (NT 6.0). Both
# manifests name Vista to 10 as supported, and CEF 3 branch 2623 runs on
# Vista. This one setting feeds the headers (_WIN32_WINNT and WINVER, so that
# they hide what they can of newer Windows; "Using the Windows Headers"), the
# check of every program's imports against cmake/windows_imports.txt
# (cmake/check_imports.cmake), and the package's launch condition
# (installer/zelvora.wxs, VersionNT = major * 100 + minor). Included by
# cmake/ZelvoraTargets.cmake and cmake/Installer.cmake.
include_guard(GLOBAL)

set(ZELVORA_OLDEST_WINDOWS_NAME "Windows Vista")
set(ZELVORA_OLDEST_WINDOWS_VERSION 6.0)
string(REPLACE "." ";" zelvora_oldest_parts ${ZELVORA_OLDEST_WINDOWS_VERSION})
list(GET zelvora_oldest_parts 0 zelvora_oldest_major)
list(GET zelvora_oldest_parts 1 zelvora_oldest_minor)
math(EXPR ZELVORA_OLDEST_VERSION_NT
     "${zelvora_oldest_major} * 100 + ${zelvora_oldest_minor}")
math(EXPR ZELVORA_OLDEST_WINNT
     "(${zelvora_oldest_major} << 8) | ${zelvora_oldest_minor}"
     OUTPUT_FORMAT HEXADECIMAL)
