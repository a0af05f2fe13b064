// PlaySoundA and the one sound that plays at a time: loading the resource, handing it to a
// fresh audio output, replacing and stopping it.
#include "platform/winmm/PlaySound.h"

#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/win32/Resources.h"
#include "platform/winmm/AudioSink.h"
#include "platform/winmm/Mp3Decode.h"
#include "platform/winmm/WaveFile.h"

namespace {

using winmm::PcmSound;
using winmm::SoundSource;

std::optional<PcmSound> Decode(const winmm::WaveImage& image) {
  if (image.header.formatTag == WAVE_FORMAT_MPEGLAYER3) {
    winmm::Mp3Span span;
    if (image.sampleLength) span = {image.header.codecDelay, *image.sampleLength};
    return winmm::DecodeMp3(image.data, span);
  }
  PcmSound sound;
  const winmm::WaveHeader& h = image.header;
  sound.format = {static_cast<int>(h.samplesPerSec), h.channels, h.bitsPerSample};
  const std::size_t whole = image.data.size() - image.data.size() % sound.format.FrameBytes();
  sound.bytes.assign(image.data.begin(), image.data.begin() + static_cast<std::ptrdiff_t>(whole));
  if (sound.bytes.empty()) return std::nullopt;
  return sound;
}

std::optional<PcmSound> LoadWave(HMODULE module, HRSRC resource) {
  const void* bytes = LockResource(LoadResource(module, resource));
  if (!bytes) return std::nullopt;
  const auto image = winmm::ParseWave({static_cast<const BYTE*>(bytes), SizeofResource(module, resource)});
  if (!image) return std::nullopt;
  return Decode(*image);
}

// The sound that plays, with the output that pulls it.
class Player {
 public:
  // Replaces the sound unless `keep` and one plays; returns the new source, or null.
  std::shared_ptr<SoundSource> Play(HRSRC resource, PcmSound sound, bool loop, bool keep) {
    auto source = std::make_shared<SoundSource>(std::move(sound), loop);
    std::lock_guard lock(mutex_);
    if (keep && source_ && !source_->Ended()) return nullptr;
    StopLocked();
    sink_ = winmm::MakeAudioSink();
    source_ = source;
    resource_ = resource;
    sink_->Start(source);
    return source;
  }

  // Stops the sound if it came from `resource`, or any sound for null.
  void Stop(HRSRC resource = nullptr) {
    std::lock_guard lock(mutex_);
    if (!resource || resource == resource_) StopLocked();
  }

 private:
  void StopLocked() {
    if (source_) source_->End();  // also wakes a synchronous caller
    sink_.reset();
    source_.reset();
    resource_ = nullptr;
  }

  std::mutex mutex_;
  std::unique_ptr<winmm::AudioSink> sink_;
  std::shared_ptr<SoundSource> source_;
  HRSRC resource_ = nullptr;
};

Player& ThePlayer() {
  static Player player;
  return player;
}

bool Has(DWORD flags, DWORD flag) { return (flags & flag) == flag; }

}  // namespace

BOOL PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound) {
  Player& player = ThePlayer();
  if (!pszSound) {
    player.Stop();
    return TRUE;
  }
  if (!Has(fdwSound, SND_RESOURCE)) return FALSE;
  const HRSRC resource = FindResourceA(hmod, pszSound, "WAVE");
  if (!resource) return FALSE;
  if (Has(fdwSound, SND_PURGE)) {
    player.Stop(resource);
    return TRUE;
  }
  const bool async = Has(fdwSound, SND_ASYNC);
  const bool loop = Has(fdwSound, SND_LOOP);
  if (loop && !async) return FALSE;

  std::optional<PcmSound> sound = LoadWave(hmod, resource);
  if (!sound) return FALSE;
  const std::shared_ptr<SoundSource> source =
      player.Play(resource, std::move(*sound), loop, Has(fdwSound, SND_NOSTOP));
  if (!source) return FALSE;
  if (!async) source->WaitEnded();
  return TRUE;
}
