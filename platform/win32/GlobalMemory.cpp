// The global memory blocks: one table of blocks behind one lock. Movable handles are numbers
// that never repeat, so a stale handle finds nothing.
#include "platform/win32/GlobalMemory.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>

#include "platform/win32/Kernel32.h"

namespace {

constexpr std::size_t kMaxBlockBytes = std::size_t{1} << 30;

struct Block {
  std::byte* data = nullptr;
  std::size_t size = 0;
  bool movable = false;
  int locks = 0;
};

struct Blocks {
  std::mutex lock;
  std::map<std::uintptr_t, Block> byHandle;
  std::map<const std::byte*, std::uintptr_t> byAddress;
  std::uintptr_t nextHandle = 0x100004;  // never a valid address: fixed blocks use theirs
  std::size_t held = 0;
  std::size_t limit = 0;

  bool Fits(std::size_t bytes, std::size_t freed) const {
    if (bytes == 0 || bytes > kMaxBlockBytes) return false;
    return limit == 0 || held - freed + bytes <= limit;
  }
  Block* Find(HGLOBAL handle) {
    const auto it = byHandle.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == byHandle.end() ? nullptr : &it->second;
  }
};

Blocks& TheBlocks() {
  static Blocks blocks;
  return blocks;
}

HGLOBAL HandleOf(std::uintptr_t key) { return reinterpret_cast<HGLOBAL>(key); }

HGLOBAL Fail(DWORD code) {
  SetLastError(code);
  return nullptr;
}

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  if (bytes == 0) return Fail(ERROR_INVALID_PARAMETER);
  if (!b.Fits(bytes, 0)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  auto* data = static_cast<std::byte*>((flags & GMEM_ZEROINIT) ? std::calloc(bytes, 1) : std::malloc(bytes));
  if (!data) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  const bool movable = (flags & GMEM_MOVEABLE) != 0;
  const std::uintptr_t key = movable ? (b.nextHandle += 8) : reinterpret_cast<std::uintptr_t>(data);
  b.byHandle[key] = Block{data, bytes, movable, 0};
  b.byAddress[data] = key;
  b.held += bytes;
  return HandleOf(key);
}

HGLOBAL GlobalReAlloc(HGLOBAL block, SIZE_T bytes, UINT flags) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  Block* found = b.Find(block);
  if (!found) return Fail(ERROR_INVALID_HANDLE);
  if (bytes == 0) return Fail(ERROR_INVALID_PARAMETER);
  if (!b.Fits(bytes, found->size)) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  auto* data = static_cast<std::byte*>(std::realloc(found->data, bytes));
  if (!data) return Fail(ERROR_NOT_ENOUGH_MEMORY);
  if ((flags & GMEM_ZEROINIT) && bytes > found->size) std::memset(data + found->size, 0, bytes - found->size);
  Block moved = *found;
  b.byAddress.erase(found->data);
  b.held = b.held - moved.size + bytes;
  moved.data = data;
  moved.size = bytes;
  std::uintptr_t key = reinterpret_cast<std::uintptr_t>(block);
  if (!moved.movable) {
    b.byHandle.erase(key);
    key = reinterpret_cast<std::uintptr_t>(data);
  }
  b.byHandle[key] = moved;
  b.byAddress[data] = key;
  return HandleOf(key);
}

HGLOBAL GlobalFree(HGLOBAL block) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  Block* found = b.Find(block);
  if (!found) {
    SetLastError(ERROR_INVALID_HANDLE);
    return block;
  }
  b.held -= found->size;
  b.byAddress.erase(found->data);
  std::free(found->data);
  b.byHandle.erase(reinterpret_cast<std::uintptr_t>(block));
  return nullptr;
}

LPVOID GlobalLock(HGLOBAL block) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  Block* found = b.Find(block);
  if (!found) return Fail(ERROR_INVALID_HANDLE);
  if (found->movable) ++found->locks;
  return found->data;
}

BOOL GlobalUnlock(HGLOBAL block) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  Block* found = b.Find(block);
  if (!found) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (found->locks > 0) --found->locks;
  if (found->locks > 0) return TRUE;
  SetLastError(ERROR_SUCCESS);
  return FALSE;
}

SIZE_T GlobalSize(HGLOBAL block) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  const Block* found = b.Find(block);
  return found ? found->size : 0;
}

HGLOBAL GlobalHandle(LPCVOID address) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  const auto it = b.byAddress.find(static_cast<const std::byte*>(address));
  return it == b.byAddress.end() ? Fail(ERROR_INVALID_HANDLE) : HandleOf(it->second);
}

namespace win32 {

void SetGlobalMemoryLimit(std::size_t bytes) {
  Blocks& b = TheBlocks();
  std::lock_guard guard(b.lock);
  b.limit = bytes;
}

}  // namespace win32
