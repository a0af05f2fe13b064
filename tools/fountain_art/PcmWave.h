// A RIFF WAVE file of uncompressed PCM: 8-bit unsigned samples, interleaved channels.
#pragma once

#include <cstdint>
#include <vector>

namespace art {

std::vector<std::uint8_t> EncodePcmWave8(const std::vector<std::uint8_t>& samples, int channels, int rate);

}  // namespace art
