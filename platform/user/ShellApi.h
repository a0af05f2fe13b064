// The shell's document opener as the setup dialogs call it: web addresses and mail links.
#pragma once

#include "platform/win32/Win32Types.h"

// Results up to 32 are errors.
constexpr int SE_ERR_NOASSOC = 31;

// Only the verb "open" (or none) is known; the file goes to the desktop's opener. Returns a
// value above 32 when the opener took it, SE_ERR_NOASSOC when there is none or it refused.
HINSTANCE ShellExecuteA(HWND hwnd, LPCSTR operation, LPCSTR file, LPCSTR parameters, LPCSTR directory,
                        INT showCommand);
