// The platform's global memory blocks: movable blocks reached through a handle and locked for
// their address, fixed ones whose handle is their address; sizes as allocated.
#pragma once

#include <cstddef>

#include "platform/win32/Win32Types.h"

constexpr UINT GMEM_FIXED = 0x0000, GMEM_MOVEABLE = 0x0002, GMEM_ZEROINIT = 0x0040,
               GHND = GMEM_MOVEABLE | GMEM_ZEROINIT, GPTR = GMEM_FIXED | GMEM_ZEROINIT;
using SIZE_T = std::size_t;

// Null, with ERROR_NOT_ENOUGH_MEMORY, when the block cannot be had; a size of 0 is refused
// with ERROR_INVALID_PARAMETER. Without GMEM_ZEROINIT the contents are undefined.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// A new size; with GMEM_ZEROINIT the added bytes are zero. The block may move: a fixed block's
// handle is its new address. Null, and the block unchanged, on failure.
HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags);
// Null on success, the handle when it names no block.
HGLOBAL GlobalFree(HGLOBAL block);
LPVOID GlobalLock(HGLOBAL block);
// TRUE while the block stays locked; FALSE (last error 0) when this was the last lock.
BOOL GlobalUnlock(HGLOBAL block);
// The size the block was given; 0 for a handle that names none.
SIZE_T GlobalSize(HGLOBAL block);
// The handle of the block that starts at `address`; null for any other address.
HGLOBAL GlobalHandle(LPCVOID address);

namespace win32 {
// The most bytes that all blocks together may hold (a test seam; the default is no limit of
// its own beyond 1 GiB per block). 0 restores the default.
void SetGlobalMemoryLimit(std::size_t bytes);
}  // namespace win32
