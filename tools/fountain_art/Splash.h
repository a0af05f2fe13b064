// The fountain's sound as 8-bit stereo samples: water splashing into the basin, a bed of
// filtered noise with drops plinking in it, exactly periodic so the loop has no seam.
#pragma once

#include <cstdint>
#include <vector>

namespace art {

inline constexpr int kSplashRate = 22050;
inline constexpr int kSplashFrames = 129024;  // 5.85 s: one loop, 258048 bytes in stereo

// Interleaved left, right, unsigned 8-bit (128 is silence); kSplashFrames frames.
std::vector<std::uint8_t> SplashSamples();

}  // namespace art
