// A RIFF WAVE file holding MPEG Layer-3 data (format tag 0x55), encoded by LAME at a constant
// 40 kbit/s, stereo, 22050 Hz. Decoded, the loop starts after the format chunk's codec delay
// (nCodecDelay samples) and is as long as the fact chunk says.
#pragma once

#include <cstdint>
#include <vector>

namespace art {

// `stereo`: one loop of interleaved 16-bit samples at 22050 Hz.
std::vector<std::uint8_t> EncodeMp3Wave(const std::vector<std::int16_t>& stereo);

}  // namespace art
