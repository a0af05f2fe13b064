// The scriptable DirectDraw driver: the modes it lists, gamma capability, the devices it
// enumerates, a fault plan and lost surfaces. Tests script it; ResetDriver restores the defaults.
#pragma once

#include <functional>
#include <vector>

#include "platform/ddraw/DisplayDevice.h"

namespace ddraw {

// Operations the fault plan can make fail.
enum class Op {
  DirectDrawCreate,
  DirectDrawEnumerateExA,
  QueryInterface,
  GetCaps,
  EnumDisplayModes,
  SetCooperativeLevel,
  SetDisplayMode,
  CreateSurface,
  RestoreAllSurfaces,
  GetAttachedSurface,
  Flip,
  Blt,
  BltFast,
  SetColorKey,
  Lock,
  GetDC,
  IsLost,
  Restore,
  GetGammaRamp,
  SetGammaRamp,
};

// The modes listed and accepted. By default: 640x480, 800x600, 1024x768, 1152x864 and
// 1280x1024, whatever the desktop's size (the display device scales every mode to the screen),
// then the desktop's own size (gdi::GetDesktopMode) when it is not among them, each at 16, 24
// and 32 bits (and at the desktop's own depth). SetModes replaces the list.
void SetModes(std::vector<DisplayMode> modes);
std::vector<DisplayMode> ListedModes();

// Whether GetCaps reports DDCAPS2_PRIMARYGAMMA and the primary offers a gamma control (default on).
void SetGammaCapability(bool offered);

// DirectDrawEnumerateExA reports the primary display driver, then (with
// DDENUM_ATTACHEDSECONDARYDEVICES) one device per monitor with a GUID of its own. The count is
// the one set here, else the monitor source's (the screens of the display devices' toolkit),
// else 1.
void SetMonitorCount(int monitors);
void SetMonitorSource(std::function<int()> monitors);

// The `nth` call (1 = the next one) of `op` from now returns `result` and does nothing else.
// Several faults may be planned, also for the same operation.
void FailCall(Op op, int nth, HRESULT result);

// Every live surface becomes lost, as after a mode switch away from the program.
void LoseAllSurfaces();

// Back to the defaults: modes from the desktop, gamma on, one monitor, no faults, the
// headless device, the headless display's record cleared, "ddraw.dll" in the module table.
// Live objects are left alone.
void ResetDriver();

}  // namespace ddraw
