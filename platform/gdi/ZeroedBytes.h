// Zero-filled memory for pixels, as fresh pages from the system: nothing clears it a second
// time, and blocks of 64 KB or more come in huge pages (a large block on its own, smaller ones
// packed together), so the tens of megabytes of bitmaps and surfaces a scene makes at set-up,
// hundreds of frame surfaces among them, cost a few dozen page faults instead of thousands.
#pragma once

#include <cstddef>
#include <utility>

namespace gdi {

class ZeroedBytes {
 public:
  ZeroedBytes() = default;
  // Throws std::bad_alloc when the system has no memory to give.
  explicit ZeroedBytes(std::size_t size);
  ZeroedBytes(ZeroedBytes&& other) noexcept { swap(other); }
  ZeroedBytes& operator=(ZeroedBytes&& other) noexcept {
    ZeroedBytes(std::move(other)).swap(*this);
    return *this;
  }
  ~ZeroedBytes();

  std::byte* data() const { return data_; }
  std::size_t size() const { return size_; }
  void swap(ZeroedBytes& other) noexcept {
    std::swap(data_, other.data_);
    std::swap(size_, other.size_);
    std::swap(mapped_, other.mapped_);
    std::swap(chunk_, other.chunk_);
  }

  struct Chunk;

 private:
  std::byte* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t mapped_ = 0;  // bytes mapped for a large block; 0 for the others
  Chunk* chunk_ = nullptr;  // the shared huge pages a medium block lies in
};

}  // namespace gdi
