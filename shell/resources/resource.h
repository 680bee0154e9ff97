// Resource ids shared by zelvora.rc and the shell's C++ code.
#pragma once

// Both icon groups come from zelvora.ico. IDI_ZELVORA is the first icon in
// the file, so Explorer shows it for the .exe, and every browser window gets
// it as its big icon (WM_SETICON, ICON_BIG). IDI_ZELVORA_SMALL holds the same
// images and is part of the program's resources, but nothing sets it.
#define IDI_ZELVORA 100
#define IDI_ZELVORA_SMALL 101
