// The class library's sets over an enumeration (shift states, font styles, dialog buttons,
// border icons): which of its values, at most 32, are in.
#pragma once

#include <cstdint>
#include <initializer_list>

template <class E>
class TSet {
 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> values) {
    for (E v : values) *this << v;
  }
  constexpr bool Contains(E v) const { return (FBits & Bit(v)) != 0; }
  constexpr TSet& operator<<(E v) {
    FBits |= Bit(v);
    return *this;
  }
  constexpr TSet& operator>>(E v) {
    FBits &= ~Bit(v);
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  constexpr bool operator==(const TSet&) const = default;

 private:
  static constexpr std::uint32_t Bit(E v) { return std::uint32_t{1} << static_cast<unsigned>(v); }
  std::uint32_t FBits = 0;
};
