// Room for a drawing call's temporary values: inside the object up to N of them, on the heap
// beyond, so the usual small polygon costs no allocation.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <vector>

namespace gdi {

template <class T, std::size_t N>
class Scratch {
 public:
  explicit Scratch(std::size_t count) : count_(count) {
    if (count > N) heap_.resize(count);
  }
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;

  std::span<T> values() { return count_ > N ? std::span<T>(heap_) : std::span<T>(local_.data(), count_); }

 private:
  std::size_t count_;
  std::array<T, N> local_{};
  std::vector<T> heap_;
};

}  // namespace gdi
