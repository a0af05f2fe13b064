// All bytes from a stream's position to its end, as the picture readers take their input.
// Memory that cannot be had is EOutOfMemory; a stream that delivers less is EReadError.
#pragma once

#include <cstddef>
#include <limits>
#include <new>
#include <vector>

#include "platform/vcl/Classes.h"

namespace vcl {

inline std::vector<std::byte> ReadToEnd(TStream* stream) {
  const std::int64_t left = stream->GetSize() - stream->GetPosition();
  if (left <= 0) return {};
  if (left > std::numeric_limits<int>::max()) throw EOutOfMemory("Out of memory");
  std::vector<std::byte> data;
  try {
    data.resize(static_cast<std::size_t>(left));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
  stream->ReadBuffer(data.data(), static_cast<int>(left));
  return data;
}

}  // namespace vcl
