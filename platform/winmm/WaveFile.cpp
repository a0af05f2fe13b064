// RIFF WAVE parsing: the chunk walk inside the RIFF body and the checks on the format chunk.
#include "platform/winmm/WaveFile.h"

#include <cstring>

namespace winmm {
namespace {

constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kFormatFields = 16;  // the part of the format chunk common to all formats
constexpr std::size_t kLayer3Fields = 30;  // with the Layer-3 extension up to its codec delay
constexpr DWORD kMaxSampleRate = 192000;

DWORD ReadDword(std::span<const BYTE> bytes, std::size_t at) {
  return static_cast<DWORD>(bytes[at]) | (static_cast<DWORD>(bytes[at + 1]) << 8) |
         (static_cast<DWORD>(bytes[at + 2]) << 16) | (static_cast<DWORD>(bytes[at + 3]) << 24);
}

WORD ReadWord(std::span<const BYTE> bytes, std::size_t at) {
  return static_cast<WORD>(bytes[at] | (bytes[at + 1] << 8));
}

bool IsTag(std::span<const BYTE> bytes, std::size_t at, const char (&tag)[5]) {
  return std::memcmp(bytes.data() + at, tag, 4) == 0;
}

std::optional<WaveHeader> ReadHeader(std::span<const BYTE> chunk) {
  if (chunk.size() < kFormatFields) return std::nullopt;
  WaveHeader h;
  h.formatTag = ReadWord(chunk, 0);
  h.channels = ReadWord(chunk, 2);
  h.samplesPerSec = ReadDword(chunk, 4);
  h.bitsPerSample = ReadWord(chunk, 14);
  if (h.channels < 1 || h.channels > 2) return std::nullopt;
  if (h.samplesPerSec == 0 || h.samplesPerSec > kMaxSampleRate) return std::nullopt;
  switch (h.formatTag) {
    case WAVE_FORMAT_PCM:
      // A block align that disagrees with the sample size would misplace every frame.
      if (h.bitsPerSample != 8 && h.bitsPerSample != 16) return std::nullopt;
      if (ReadWord(chunk, 12) != h.channels * h.bitsPerSample / 8) return std::nullopt;
      return h;
    case WAVE_FORMAT_MPEGLAYER3:
      // The decoder takes the real layout from the frames themselves.
      if (chunk.size() >= kLayer3Fields) h.codecDelay = ReadWord(chunk, 28);
      return h;
    default:
      return std::nullopt;
  }
}

}  // namespace

std::optional<WaveImage> ParseWave(std::span<const BYTE> image) {
  if (image.size() < 12 || !IsTag(image, 0, "RIFF") || !IsTag(image, 8, "WAVE")) return std::nullopt;
  const DWORD riffSize = ReadDword(image, 4);
  if (riffSize < 4 || riffSize > image.size() - 8) return std::nullopt;
  const std::span<const BYTE> body = image.subspan(12, riffSize - 4);

  std::optional<WaveHeader> header;
  std::optional<std::span<const BYTE>> data;
  std::optional<DWORD> sampleLength;
  std::size_t at = 0;
  // A tail too short for a chunk header is left alone, as is a missing pad byte at the end.
  while (body.size() - at >= kChunkHeader) {
    const DWORD size = ReadDword(body, at + 4);
    if (size > body.size() - at - kChunkHeader) return std::nullopt;
    const std::span<const BYTE> chunk = body.subspan(at + kChunkHeader, size);
    if (IsTag(body, at, "fmt ") && !header) {
      header = ReadHeader(chunk);
      if (!header) return std::nullopt;
    } else if (IsTag(body, at, "data") && !data) {
      data = chunk;
    } else if (IsTag(body, at, "fact") && !sampleLength) {
      if (chunk.size() < 4) return std::nullopt;
      sampleLength = ReadDword(chunk, 0);
    }
    at += kChunkHeader + size;
    if (size % 2 == 1 && at < body.size()) ++at;
  }
  if (!header || !data) return std::nullopt;
  return WaveImage{*header, *data, sampleLength};
}

}  // namespace winmm
