// Test seam: an audio output that plays nothing and hands the test what a device would have
// played, pulled as a device pulls it.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/winmm/SoundSource.h"

namespace winmm {

class SoundRecorder {
 public:
  // Outputs started so far, and whether the latest one is still started and not at its end.
  int Starts() const;
  bool Playing() const;
  // Of the latest start.
  PcmFormat Format() const;
  // Reads up to `bytes` from the sound the latest output plays; fewer once it has ended.
  std::vector<BYTE> Pull(std::size_t bytes);

  // Called by the recording outputs.
  void Attach(std::shared_ptr<SoundSource> source);
  void Detach(const SoundSource* source);

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<SoundSource> source_;
  PcmFormat format_;
  int starts_ = 0;
};

// Makes every following sound play into the returned recorder (SetAudioSinkFactory).
std::shared_ptr<SoundRecorder> InstallSoundRecorder();

}  // namespace winmm
