// A RIFF WAVE file of uncompressed 8-bit PCM: the format chunk, then the samples.
#include "tools/fountain_art/PcmWave.h"

#include "tools/art/LittleEndian.h"

namespace art {
std::vector<std::uint8_t> EncodePcmWave8(const std::vector<std::uint8_t>& samples, int channels, int rate) {
  std::vector<std::uint8_t> out;
  PutTag(out, "RIFF");
  Put32(out, 0);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, static_cast<unsigned>(channels));
  Put32(out, static_cast<std::uint32_t>(rate));
  Put32(out, static_cast<std::uint32_t>(rate * channels));  // bytes a second
  Put16(out, static_cast<unsigned>(channels));              // bytes a sample frame
  Put16(out, 8);
  PutTag(out, "data");
  Put32(out, static_cast<std::uint32_t>(samples.size()));
  out.insert(out.end(), samples.begin(), samples.end());
  if (samples.size() % 2) out.push_back(0);  // chunks end on even offsets
  Set32(out, 4, static_cast<std::uint32_t>(out.size() - 8));
  return out;
}

}  // namespace art
