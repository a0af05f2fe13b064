// Memory blocks of the image library: the platform's global memory with the run-time's heap
// flags, always zero-filled, handed out as their locked address.
#include <cstring>

#include "imaging/QmUtils.h"
#include "platform/win32/GlobalMemory.h"

namespace {

std::byte* Bytes(void* p) { return static_cast<std::byte*>(p); }

}  // namespace

void* AllocMemo(LONG Size) {
  if (Size <= 0) return nullptr;
  HGLOBAL block = GlobalAlloc(HeapAllocFlags | GMEM_ZEROINIT, static_cast<SIZE_T>(Size));
  return block ? GlobalLock(block) : nullptr;
}

void* ReallocMemo(void* fpBlock, LONG Size) {
  HGLOBAL block = GlobalHandle(fpBlock);
  if (!block || Size <= 0) return nullptr;
  GlobalUnlock(block);
  if (HGLOBAL resized = GlobalReAlloc(block, static_cast<SIZE_T>(Size), HeapAllocFlags | GMEM_ZEROINIT))
    return GlobalLock(resized);
  GlobalLock(block);  // a block that could not be resized stays the caller's, locked as before
  return nullptr;
}

void FreeMemo(void*& fpBlock) {
  if (!fpBlock) return;
  if (HGLOBAL block = GlobalHandle(fpBlock)) {
    GlobalUnlock(block);
    GlobalFree(block);
  }
  fpBlock = nullptr;
}

LONG GetMemoSize(void* fpBlock) {
  if (!fpBlock) return 0;
  return static_cast<LONG>(GlobalSize(GlobalHandle(fpBlock)));
}

// Whole 32-bit words first, then the bytes that remain.
bool CompareMem(const void* fpBlock1, const void* fpBlock2, DWORD Size) {
  const auto* a = static_cast<const std::byte*>(fpBlock1);
  const auto* b = static_cast<const std::byte*>(fpBlock2);
  const DWORD words = Size / 4;
  for (DWORD i = 0; i < words; ++i) {
    std::uint32_t x, y;
    std::memcpy(&x, a + 4 * i, 4);
    std::memcpy(&y, b + 4 * i, 4);
    if (x != y) return false;
  }
  for (DWORD i = words * 4; i < Size; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

void HugeInc(void*& HugePtr, LONG Amount) { HugePtr = Bytes(HugePtr) + Amount; }
void HugeDec(void*& HugePtr, LONG Amount) { HugePtr = Bytes(HugePtr) - Amount; }
void* HugeOffset(void* HugePtr, LONG Amount) { return Bytes(HugePtr) + Amount; }

void HMemCpy(void* DstPtr, const void* SrcPtr, LONG Amount) {
  if (Amount > 0) std::memmove(DstPtr, SrcPtr, static_cast<std::size_t>(Amount));
}

void HugeMove(void* Base, LONG Dst, LONG Src, LONG Size) {
  if (Size > 0)
    std::memmove(Bytes(Base) + 4 * static_cast<std::ptrdiff_t>(Dst), Bytes(Base) + 4 * static_cast<std::ptrdiff_t>(Src),
                 4 * static_cast<std::size_t>(Size));
}
