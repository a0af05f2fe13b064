// The headless display device: Present copies the frame into one record that it reuses; the
// conversion to 0x00RRGGBB with gamma happens only when a test or benchmark reads the frame.
#include "platform/ddraw/HeadlessDevice.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace ddraw {
namespace {

struct Record {
  std::mutex mutex;
  std::vector<std::byte> bits;  // rows top to bottom, `rowBytes` apart
  int width = 0;
  int height = 0;
  int rowBytes = 0;
  int bitsPerPixel = 0;
  std::array<RGBQUAD, 256> palette{};
  std::size_t paletteSize = 0;
  DDGAMMARAMP gamma{};
  long frames = 0;
  std::optional<DisplayMode> mode;
  int monitor = 0;
};

Record& TheRecord() {
  static auto* record = new Record;  // never destroyed: a device may present during exit
  return *record;
}

class HeadlessDevice final : public DisplayDevice {
 public:
  explicit HeadlessDevice(int monitor) : monitor_(monitor) {}

  void SetMode(const DisplayMode& mode) override {
    Record& record = TheRecord();
    std::lock_guard lock(record.mutex);
    record.mode = mode;
    record.monitor = monitor_;
  }

  void Present(const Frame& frame) override {
    const gdi::PixelBuffer& pixels = frame.pixels;
    Record& record = TheRecord();
    std::lock_guard lock(record.mutex);
    record.width = pixels.width;
    record.height = pixels.height;
    record.bitsPerPixel = pixels.bitsPerPixel;
    record.rowBytes = pixels.width * pixels.bitsPerPixel / 8;
    record.bits.resize(static_cast<std::size_t>(record.rowBytes) * pixels.height);  // grows only
    for (int y = 0; y < pixels.height; ++y) {
      std::memcpy(record.bits.data() + static_cast<std::size_t>(y) * record.rowBytes,
                  pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch, record.rowBytes);
    }
    record.paletteSize = std::min(pixels.palette.size(), record.palette.size());
    std::copy_n(pixels.palette.begin(), record.paletteSize, record.palette.begin());
    record.gamma = frame.gamma;
    ++record.frames;
  }

  void RestoreDesktop() override {
    Record& record = TheRecord();
    std::lock_guard lock(record.mutex);
    record.mode.reset();
  }

 private:
  const int monitor_;
};

}  // namespace

std::unique_ptr<DisplayDevice> MakeHeadlessDevice(int monitor) { return std::make_unique<HeadlessDevice>(monitor); }

HeadlessFrame HeadlessLastFrame() {
  Record& record = TheRecord();
  std::lock_guard lock(record.mutex);
  HeadlessFrame frame;
  if (record.frames == 0) return frame;
  frame.width = record.width;
  frame.height = record.height;
  frame.pixels.resize(static_cast<std::size_t>(record.width) * record.height);
  const gdi::PixelBuffer pixels{record.bits.data(), record.width, record.height, record.rowBytes,
                                record.bitsPerPixel, std::span(record.palette.data(), record.paletteSize)};
  ConvertFrame(Frame{pixels, record.gamma}, frame.pixels);
  return frame;
}

long HeadlessFramesPresented() {
  Record& record = TheRecord();
  std::lock_guard lock(record.mutex);
  return record.frames;
}

std::optional<DisplayMode> HeadlessMode() {
  Record& record = TheRecord();
  std::lock_guard lock(record.mutex);
  return record.mode;
}

int HeadlessMonitor() {
  Record& record = TheRecord();
  std::lock_guard lock(record.mutex);
  return record.monitor;
}

void ResetHeadlessDisplay() {
  Record& record = TheRecord();
  std::lock_guard lock(record.mutex);
  record.frames = 0;
  record.width = record.height = record.rowBytes = record.bitsPerPixel = 0;
  record.paletteSize = 0;
  record.mode.reset();
  record.monitor = 0;
}

}  // namespace ddraw
