// Resources compiled into the executable (see cmake/EmbedResources.cmake), found by name and type.
#pragma once

#include <cstddef>

#include "platform/win32/Win32Types.h"

inline const LPCSTR RT_CURSOR = MAKEINTRESOURCEA(1);
inline const LPCSTR RT_BITMAP = MAKEINTRESOURCEA(2);
inline const LPCSTR RT_ICON = MAKEINTRESOURCEA(3);
inline const LPCSTR RT_STRING = MAKEINTRESOURCEA(6);
inline const LPCSTR RT_RCDATA = MAKEINTRESOURCEA(10);
inline const LPCSTR RT_GROUP_CURSOR = MAKEINTRESOURCEA(12);
inline const LPCSTR RT_GROUP_ICON = MAKEINTRESOURCEA(14);
inline const LPCSTR RT_ANICURSOR = MAKEINTRESOURCEA(21);

// Icons and cursors are kept whole: a RT_GROUP_ICON or RT_GROUP_CURSOR resource holds the icon
// or cursor file as it is, a RT_ANICURSOR resource the animated cursor file.

// Names and types compare without regard to case, as on the platform. `module` may be null
// (this program) or the program's own instance handle.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
// Resources stay in memory for the program's run: there is nothing to free.
BOOL FreeResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);

namespace win32 {
// Called by the generated resource units at start-up; tests may add their own. The bytes are
// not copied and must stay in place; registering a name and type again replaces the data.
void RegisterResource(LPCSTR name, LPCSTR type, const void* data, std::size_t size);
}  // namespace win32
