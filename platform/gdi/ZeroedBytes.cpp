// Blocks below a huge page come from calloc, which reuses heap memory; larger ones are mapped
// on their own, aligned to a huge page, and marked for huge pages (a hint: without them the
// block still comes zeroed, page by page).
#include "platform/gdi/ZeroedBytes.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <new>

namespace gdi {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

}  // namespace

ZeroedBytes::ZeroedBytes(std::size_t size) : size_(size) {
  if (size < kHugePage) {
    data_ = static_cast<std::byte*>(std::calloc(size ? size : 1, 1));
    if (!data_) throw std::bad_alloc();
    return;
  }
  // Map a huge page more than needed, then give back what lies before the first boundary and
  // after the last page.
  const std::size_t length = RoundUp(size, kHugePage);
  void* raw = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  auto* first = static_cast<std::byte*>(raw);
  const auto address = reinterpret_cast<std::uintptr_t>(first);
  const std::size_t before = RoundUp(address, kHugePage) - address;
  if (before) munmap(first, before);
  if (kHugePage - before) munmap(first + before + length, kHugePage - before);
  data_ = first + before;
  mapped_ = length;
  madvise(data_, length, MADV_HUGEPAGE);
}

ZeroedBytes::~ZeroedBytes() {
  if (mapped_) {
    munmap(data_, mapped_);
  } else {
    std::free(data_);
  }
}

}  // namespace gdi
