// The reading position over a decoded sound: the wrap of a loop inside one read, so the seam
// has no gap, and the end that stops every reader and wakes a waiting player.
#include "platform/winmm/SoundSource.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace winmm {

SoundSource::SoundSource(PcmSound sound, bool loop) : sound_(std::move(sound)), loop_(loop) {
  if (sound_.bytes.empty()) ended_ = true;  // nothing to play, and a loop of it would spin
}

std::size_t SoundSource::Read(std::span<BYTE> out) {
  std::lock_guard lock(mutex_);
  std::size_t copied = 0;
  while (!ended_ && copied < out.size()) {
    const std::size_t count = std::min(out.size() - copied, sound_.bytes.size() - position_);
    std::memcpy(out.data() + copied, sound_.bytes.data() + position_, count);
    copied += count;
    position_ += count;
    if (position_ == sound_.bytes.size()) {
      position_ = 0;
      if (!loop_) {
        ended_ = true;
        endedChanged_.notify_all();
      }
    }
  }
  return copied;
}

void SoundSource::End() {
  std::lock_guard lock(mutex_);
  ended_ = true;
  endedChanged_.notify_all();
}

bool SoundSource::Ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

void SoundSource::WaitEnded() {
  std::unique_lock lock(mutex_);
  endedChanged_.wait(lock, [this] { return ended_; });
}

}  // namespace winmm
