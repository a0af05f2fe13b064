// The driver's state as the layer's own objects read it: the fault plan's answer for a call,
// the devices, the exclusive owner and the display device factory. Not for the system's code.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ddraw/Driver.h"

namespace ddraw::detail {

// Counts one call of `op`; the planned result when this call is the one a fault names.
std::optional<HRESULT> PlannedResult(Op op);

bool GammaOffered();

struct Device {
  std::optional<GUID> guid;  // none for the primary display driver
  std::string description;
  std::string name;
  HMONITOR monitor = nullptr;
};
// The primary display driver first, then monitors 1, 2, ... in order.
std::vector<Device> Devices();

// One DirectDraw object at a time holds exclusive mode.
bool ClaimExclusive(const void* owner);
void ReleaseExclusive(const void* owner);

std::unique_ptr<DisplayDevice> MakeDevice(HWND window, int monitor);

// Puts "ddraw.dll" with its export "DirectDrawEnumerateExA" in the built-in module table.
void RegisterModule();

}  // namespace ddraw::detail
