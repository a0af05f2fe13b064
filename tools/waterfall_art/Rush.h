// The waterfall's sound as 16-bit stereo samples: a rush of filtered noise that is exactly
// periodic, so the sample after the last one is the first and the loop has no seam.
#pragma once

#include <cstdint>
#include <vector>

namespace art {

inline constexpr int kSampleRate = 22050;
inline constexpr int kRushFrames = 131072;  // 5.94 s: one loop

// Interleaved left, right; kRushFrames frames.
std::vector<std::int16_t> RushSamples();

}  // namespace art
