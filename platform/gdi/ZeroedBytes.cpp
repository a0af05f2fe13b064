// Blocks below 64 KB come from calloc, which reuses heap memory. Blocks up to a huge page are
// cut one after another from chunks of huge pages that they share; a chunk goes back to the
// system when its last block does. Larger blocks are mapped on their own. Huge pages are a hint:
// without them the memory still comes zeroed, page by page.
#include "platform/gdi/ZeroedBytes.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <new>

namespace gdi {

struct ZeroedBytes::Chunk {
  std::byte* base = nullptr;
  std::size_t used = 0;  // bytes handed out from the start, never handed out again
  std::size_t live = 0;  // blocks not given back yet
};

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kShared = std::size_t{64} << 10;  // the smallest block cut from a chunk
constexpr std::size_t kChunk = 16 * kHugePage;
constexpr std::size_t kAlign = 64;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }
std::size_t RoundDown(std::size_t n, std::size_t to) { return n / to * to; }

// `length` bytes, a multiple of a huge page, aligned to a huge page and marked for huge pages.
std::byte* MapHugePages(std::size_t length) {
  // Map a huge page more than needed, then give back what lies before the first boundary and
  // after the last page.
  void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  auto* first = static_cast<std::byte*>(raw);
  const auto address = reinterpret_cast<std::uintptr_t>(first);
  const std::size_t before = RoundUp(address, kHugePage) - address;
  if (before) munmap(first, before);
  if (kHugePage - before) munmap(first + before + length, kHugePage - before);
  madvise(first + before, length, MADV_HUGEPAGE);
  return first + before;
}

// Gives the system the whole pages of [from, to); reading them again gives zeros.
void ForgetPages(std::byte* from, std::byte* to) {
  static const auto page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const auto first = RoundUp(reinterpret_cast<std::uintptr_t>(from), page);
  const auto last = RoundDown(reinterpret_cast<std::uintptr_t>(to), page);
  if (first < last) madvise(reinterpret_cast<void*>(first), last - first, MADV_DONTNEED);
}

// The chunks that medium blocks are cut from, shared by all threads.
class Chunks {
 public:
  static Chunks& Get() {
    static auto* chunks = new Chunks;  // never destroyed: blocks die during static destruction too
    return *chunks;
  }

  std::byte* take(std::size_t size, ZeroedBytes::Chunk*& chunk) {
    const std::size_t length = RoundUp(size, kAlign);
    std::lock_guard lock(mutex_);
    if (!current_ || current_->used + length > kChunk) {
      if (ZeroedBytes::Chunk* full = std::exchange(current_, nullptr); full && full->live == 0) release(full);
      auto fresh = std::make_unique<ZeroedBytes::Chunk>();
      fresh->base = MapHugePages(kChunk);
      current_ = fresh.release();
    }
    std::byte* block = current_->base + current_->used;
    current_->used += length;
    ++current_->live;
    chunk = current_;
    return block;
  }

  void give(ZeroedBytes::Chunk* chunk, std::byte* block, std::size_t size) {
    std::lock_guard lock(mutex_);
    if (--chunk->live > 0) return ForgetPages(block, block + size);  // no blocks pile up in a kept chunk
    if (chunk != current_) return release(chunk);
    ForgetPages(chunk->base, chunk->base + RoundUp(chunk->used, kHugePage));
    chunk->used = 0;
  }

 private:
  static void release(ZeroedBytes::Chunk* chunk) {
    munmap(chunk->base, kChunk);
    delete chunk;
  }

  std::mutex mutex_;
  ZeroedBytes::Chunk* current_ = nullptr;
};

}  // namespace

ZeroedBytes::ZeroedBytes(std::size_t size) : size_(size) {
  if (size < kShared) {
    data_ = static_cast<std::byte*>(std::calloc(size ? size : 1, 1));
    if (!data_) throw std::bad_alloc();
  } else if (size < kHugePage) {
    data_ = Chunks::Get().take(size, chunk_);
  } else {
    mapped_ = RoundUp(size, kHugePage);
    data_ = MapHugePages(mapped_);
  }
}

ZeroedBytes::~ZeroedBytes() {
  if (chunk_) {
    Chunks::Get().give(chunk_, data_, size_);
  } else if (mapped_) {
    munmap(data_, mapped_);
  } else {
    std::free(data_);
  }
}

}  // namespace gdi
