// The image library's utilities: rectangles and units, memory blocks, errors and texts,
// windows, cursors and message boxes, and the bitmap and drawing helpers.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "imaging/Maxmin.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Variants.h"

// ---- Rectangles, points, units

int WidthOf(const TRect& R);
int HeightOf(const TRect& R);
// All four edges count as inside.
bool PointInRect(const TPoint& P, const TRect& R);
// The number of entries of a palette.
int PaletteEntries(HPALETTE Palette);

// ---- Memory blocks: platform global memory, zero-filled, addressed through the locked pointer

// None for a size of 0 or less, and none (no exception) when the platform has no block.
void* AllocMemo(LONG Size);
// None when the platform cannot resize; the block is then kept as it was.
void* ReallocMemo(void* fpBlock, LONG Size);
// Frees a present block and sets the pointer to none.
void FreeMemo(void*& fpBlock);
// 0 for none or a pointer that is not a block's.
LONG GetMemoSize(void* fpBlock);
bool CompareMem(const void* fpBlock1, const void* fpBlock2, DWORD Size);
void HugeInc(void*& HugePtr, LONG Amount);
void HugeDec(void*& HugePtr, LONG Amount);
void* HugeOffset(void* HugePtr, LONG Amount);
// The ranges may overlap.
void HMemCpy(void* DstPtr, const void* SrcPtr, LONG Amount);
// Moves Size 4-byte items from index SrcIndex to index DstIndex of one block.
void HugeMove(void* Base, LONG Dst, LONG Src, LONG Size);

// ---- Errors and texts

AnsiString ResStr(const AnsiString& Ident);
// EResNotFound "Resource %s not found" with the name, or the number of a numeric id.
[[noreturn]] void ResourceNotFound(LPCSTR ResID);
// EWin32Error for the code; 0 does nothing.
void RaiseWin32Error(DWORD ErrCode);
bool CheckWin32(bool OK);
// Tells the user that the function is not implemented and ends the operation silently.
[[noreturn]] void NotImplemented();
// Empty when the variable is not set.
AnsiString GetEnvVar(const AnsiString& VarName);
void SplitCommandLine(const AnsiString& CmdLine, AnsiString& ProgName, AnsiString& Params);
AnsiString AnsiUpperFirstChar(const AnsiString& S);
// Freed with StrDispose.
char* StrPAlloc(const AnsiString& S);
char* StringToPChar(AnsiString& S);
AnsiString DropT(const AnsiString& S);
AnsiString GetWindowsVersion();
// Null for no values, the value for one, an array of them all for more.
Variant MakeVariant(std::initializer_list<Variant> Values);
