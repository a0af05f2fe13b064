// The recording output that tests install: it keeps the sound it was given, and the test
// reads from it in the device's place.
#include "platform/winmm/SoundRecorder.h"

#include <utility>

#include "platform/winmm/AudioSink.h"

namespace winmm {
namespace {

class RecordingSink final : public AudioSink {
 public:
  explicit RecordingSink(std::shared_ptr<SoundRecorder> recorder) : recorder_(std::move(recorder)) {}
  ~RecordingSink() override {
    if (source_) recorder_->Detach(source_);
  }

  void Start(std::shared_ptr<SoundSource> source) override {
    source_ = source.get();
    recorder_->Attach(std::move(source));
  }

 private:
  const std::shared_ptr<SoundRecorder> recorder_;
  const SoundSource* source_ = nullptr;
};

}  // namespace

int SoundRecorder::Starts() const {
  std::lock_guard lock(mutex_);
  return starts_;
}

bool SoundRecorder::Playing() const {
  std::lock_guard lock(mutex_);
  return source_ && !source_->Ended();
}

PcmFormat SoundRecorder::Format() const {
  std::lock_guard lock(mutex_);
  return format_;
}

std::vector<BYTE> SoundRecorder::Pull(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  std::vector<BYTE> out(bytes);
  out.resize(source_ ? source_->Read(out) : 0);
  return out;
}

void SoundRecorder::Attach(std::shared_ptr<SoundSource> source) {
  std::lock_guard lock(mutex_);
  format_ = source->Format();
  source_ = std::move(source);
  ++starts_;
}

void SoundRecorder::Detach(const SoundSource* source) {
  std::lock_guard lock(mutex_);
  if (source_.get() == source) source_.reset();
}

std::shared_ptr<SoundRecorder> InstallSoundRecorder() {
  auto recorder = std::make_shared<SoundRecorder>();
  SetAudioSinkFactory([recorder] { return std::make_unique<RecordingSink>(recorder); });
  return recorder;
}

}  // namespace winmm
