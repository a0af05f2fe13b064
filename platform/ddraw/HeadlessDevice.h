// The headless display device (the default): keeps the last presented frame and the count of
// frames, for tests and benchmarks to read; it never waits.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/ddraw/DisplayDevice.h"

namespace ddraw {

std::unique_ptr<DisplayDevice> MakeHeadlessDevice(int monitor);

struct HeadlessFrame {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, gamma applied, row after row
  std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// What the headless display shows, shared by every headless device of the process.
HeadlessFrame HeadlessLastFrame();          // empty before the first frame
long HeadlessFramesPresented();
std::optional<DisplayMode> HeadlessMode();  // the mode set; none while the desktop shows
int HeadlessMonitor();  // the monitor of the device that set it (0: the primary display driver)
void ResetHeadlessDisplay();

}  // namespace ddraw
