// Reads a RIFF WAVE image: its format header and where its sample data lie. Every size and
// offset is checked against the image before it is used; a damaged image gives no result.
#pragma once

#include <cstddef>
#include <optional>
#include <span>

#include "platform/win32/Win32Types.h"

constexpr WORD WAVE_FORMAT_PCM = 0x0001;
constexpr WORD WAVE_FORMAT_MPEGLAYER3 = 0x0055;

namespace winmm {

// The fields of the format chunk that playing needs.
struct WaveHeader {
  WORD formatTag = 0;
  WORD channels = 0;
  DWORD samplesPerSec = 0;
  WORD bitsPerSample = 0;
  WORD codecDelay = 0;  // Layer-3: frames of the decoder's output that come before the sound
};

struct WaveImage {
  WaveHeader header;
  std::span<const BYTE> data;  // the data chunk, inside the image given to ParseWave
  std::optional<DWORD> sampleLength;  // the fact chunk: frames in the sound
};

// Accepts PCM with 8 or 16 bits per sample and MPEG Layer-3, each with one or two channels;
// any other format gives no result. Chunks of other kinds are skipped.
// A Layer-3 image with a fact chunk places its sound in the decoder's output itself:
// `sampleLength` frames after the first `codecDelay`.
std::optional<WaveImage> ParseWave(std::span<const BYTE> image);

}  // namespace winmm
