// The installed audio-output factory, and the silent output used without one.
#include "platform/winmm/AudioSink.h"

#include <mutex>
#include <utility>

namespace winmm {
namespace {

class SilentSink final : public AudioSink {
 public:
  void Start(std::shared_ptr<SoundSource> source) override { source->End(); }
};

struct FactorySlot {
  std::mutex mutex;
  AudioSinkFactory factory;
};

FactorySlot& TheSlot() {
  static FactorySlot slot;
  return slot;
}

}  // namespace

void SetAudioSinkFactory(AudioSinkFactory factory) {
  FactorySlot& slot = TheSlot();
  std::lock_guard lock(slot.mutex);
  slot.factory = std::move(factory);
}

std::unique_ptr<AudioSink> MakeAudioSink() {
  AudioSinkFactory factory;
  {
    FactorySlot& slot = TheSlot();
    std::lock_guard lock(slot.mutex);
    factory = slot.factory;
  }
  std::unique_ptr<AudioSink> sink = factory ? factory() : nullptr;
  if (!sink) sink = std::make_unique<SilentSink>();
  return sink;
}

}  // namespace winmm
