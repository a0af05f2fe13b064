// MPEG Layer-3 data to 16-bit PCM through libmpg123, in one pass from memory, with the
// coders' delay and padding cut off both ends so that a loop of it has no seam.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "platform/winmm/SoundSource.h"

namespace winmm {

// Where the sound lies in the decoder's output. Given (by a WAVE header), it is `length`
// frames after the first `skip`; otherwise the decoder trims what the stream's encoder tag
// reports (gapless decoding), or nothing for a stream without one.
struct Mp3Span {
  std::size_t skip = 0;
  std::optional<std::size_t> length;
};

// The decoded sound in the stream's own rate and channel count; no result for data that
// holds no frame, changes its format midway, decodes to more than a sound should hold or
// leaves nothing inside `span`.
std::optional<PcmSound> DecodeMp3(std::span<const BYTE> data, const Mp3Span& span = {});

}  // namespace winmm
