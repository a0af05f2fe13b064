// The programs' audio output: Qt Multimedia's audio sink pulls each sound on a thread of its
// own, with its own event loop, so the main thread's frame loop never has to feed it.
#pragma once

namespace qt {

// Makes PlaySoundA play on Qt's default audio output (winmm::SetAudioSinkFactory). Call it
// only where Qt can run (as Install decides): Qt delivers no event to any thread before the
// application object exists, so a sound started on the main thread before then makes it,
// and one started on another thread then stays silent. Without an audio device, or when the
// device fails, every sound is silent and the program goes on.
void InstallAudio();

}  // namespace qt
