// A decoded sound and the reading position through which the audio output pulls it, once or
// in a loop. The player and the output's own thread share it.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <span>
#include <vector>

#include "platform/win32/Win32Types.h"

namespace winmm {

struct PcmFormat {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;  // 8: unsigned samples; 16: signed, little-endian

  int FrameBytes() const { return channels * bitsPerSample / 8; }
  bool operator==(const PcmFormat&) const = default;
};

struct PcmSound {
  PcmFormat format;
  std::vector<BYTE> bytes;  // whole frames only
};

class SoundSource {
 public:
  SoundSource(PcmSound sound, bool loop);

  const PcmFormat& Format() const { return sound_.format; }
  // Copies the next bytes into `out` and returns their count. A looping sound fills all of
  // `out`, going on at its first frame after its last; a single pass ends the source when
  // its last byte is read. An ended source gives 0.
  std::size_t Read(std::span<BYTE> out);
  // No byte is read after this; WaitEnded returns. The player ends a sound it stops, an
  // output that cannot play ends what it was given.
  void End();
  bool Ended() const;
  void WaitEnded();

 private:
  const PcmSound sound_;
  const bool loop_;
  mutable std::mutex mutex_;
  std::condition_variable endedChanged_;
  std::size_t position_ = 0;
  bool ended_ = false;
};

}  // namespace winmm
