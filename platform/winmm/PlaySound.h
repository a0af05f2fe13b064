// PlaySoundA: plays one of the program's WAVE resources (PCM or MPEG Layer-3) once or in a
// loop on the installed audio output (AudioSink.h), and stops it again.
#pragma once

#include "platform/win32/Win32Types.h"

constexpr DWORD SND_SYNC = 0x0000;
constexpr DWORD SND_ASYNC = 0x0001;
constexpr DWORD SND_NODEFAULT = 0x0002;
constexpr DWORD SND_LOOP = 0x0008;
constexpr DWORD SND_NOSTOP = 0x0010;
constexpr DWORD SND_PURGE = 0x0040;
constexpr DWORD SND_RESOURCE = 0x00040004;

// A null `pszSound` stops what plays and returns TRUE. Otherwise `pszSound` names a resource
// of type "WAVE" in `hmod` (null or the program's own instance); SND_RESOURCE must be given,
// as no sound is played from a file or an alias. The sound replaces the one playing, and the
// call returns TRUE once it has started: with SND_ASYNC at once, without it when the output
// has taken the whole sound (SND_LOOP needs SND_ASYNC). FALSE: the resource is missing or
// damaged, or SND_NOSTOP was given while a sound plays; the sound playing then goes on.
// SND_PURGE with a name stops that sound if it is the one playing. No default sound is ever
// played, so SND_NODEFAULT changes nothing. Without an audio device the sound is silent and
// the call still returns TRUE.
BOOL PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound);
