// Resource ids shared by zelvora.rc and the shell's C++ code.
#pragma once

// Both icon groups come from zelvora.ico. IDI_ZELVORA is the first icon in
// the file, so Explorer shows it for the .exe; the window class uses
// IDI_ZELVORA for the large icon and IDI_ZELVORA_SMALL for the small one.
#define IDI_ZELVORA 100
#define IDI_ZELVORA_SMALL 101
