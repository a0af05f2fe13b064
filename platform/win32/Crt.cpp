// rand() and srand() of the run-time, defined here with C linkage so that a program linking
// this layer gets them in place of the C library's.
#include "platform/win32/Crt.h"

#include <cstdint>

namespace {
thread_local std::uint32_t state = 1;
}

extern "C" int rand(void) noexcept {
  state = state * 22695477u + 1u;
  return static_cast<int>((state >> 16) & 0x7FFF);
}

extern "C" void srand(unsigned seed) noexcept { state = seed; }
