// Builds RIFF WAVE images, whole or damaged, and small MPEG Layer-3 streams for the sound
// tests; the streams come from the LAME encoder with its gapless tag in place.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <vector>

#include "platform/win32/Win32Types.h"
#include "platform/winmm/WaveFile.h"

namespace soundtest {

using Bytes = std::vector<BYTE>;

void PutWord(Bytes& out, WORD value);
void PutDword(Bytes& out, DWORD value);

// A chunk with its header and, for an odd size, its pad byte.
Bytes Chunk(const char (&id)[5], std::span<const BYTE> body);
// A format chunk; `extra` zero bytes follow the common fields (a Layer-3 header has 14).
Bytes FmtChunk(WORD tag, WORD channels, DWORD rate, WORD bits, WORD blockAlign, std::size_t extra = 0);
Bytes Riff(std::initializer_list<Bytes> chunks);

Bytes PcmWave(WORD channels, DWORD rate, WORD bits, std::span<const BYTE> samples);
Bytes Mp3Wave(WORD channels, DWORD rate, std::span<const BYTE> stream);
// The frames that the encoder and the decoder put before the sound in a stream without tag.
constexpr std::size_t kCoderDelay = 576 + 529;

// `frames` frames of a sine under a rising envelope, each channel at its own pitch, so a
// shifted or padded copy of it does not match.
std::vector<std::int16_t> TestSignal(int channels, int rate, std::size_t frames);
// Encodes interleaved 16-bit samples at a constant bit rate, with the encoder's gapless tag
// where the frames are large enough for it (from 64 kbit/s at 22050 Hz).
Bytes EncodeMp3(std::span<const std::int16_t> samples, int channels, int rate, int kbps);

}  // namespace soundtest
