// The audio output that PlaySoundA plays through, and the seam that picks it: the Qt peer in
// the programs, a recorder in tests, silence when nothing is installed.
#pragma once

#include <functional>
#include <memory>

#include "platform/winmm/SoundSource.h"

namespace winmm {

class AudioSink {
 public:
  AudioSink() = default;
  AudioSink(const AudioSink&) = delete;
  AudioSink& operator=(const AudioSink&) = delete;
  // Stops the output: once the destructor returns the source is not read again.
  virtual ~AudioSink() = default;

  // Begins to pull `source` in its format, on the output's own thread, and returns at once.
  // An output that cannot play (no device, a device error) ends the source: the sound is
  // silent and the caller goes on.
  virtual void Start(std::shared_ptr<SoundSource> source) = 0;
};

using AudioSinkFactory = std::function<std::unique_ptr<AudioSink>()>;

// Each sound gets a fresh sink from `factory`; null (the start-up state) plays nothing.
// Any thread; sinks made before keep playing until they are destroyed.
void SetAudioSinkFactory(AudioSinkFactory factory);
std::unique_ptr<AudioSink> MakeAudioSink();

}  // namespace winmm
