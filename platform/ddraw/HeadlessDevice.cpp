// The headless display device: Present keeps a view of the flipped frame (its pixels stay put
// until the next flip) and copies it into one reused record only when the primary or the
// device goes; the conversion to 0x00RRGGBB with gamma happens when a test or benchmark reads it.
#include "platform/ddraw/HeadlessDevice.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace ddraw {
namespace {

struct View {
  const DisplayDevice* device;
  gdi::PixelBuffer pixels;
};

struct Record {
  std::mutex mutex;
  std::optional<View> view;     // the last frame, while its primary and device are there
  std::vector<std::byte> bits;  // else a copy of it: rows top to bottom, `rowBytes` apart
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

  // The viewed frame, when `device` shows it, becomes the record's own copy.
  void Keep(const DisplayDevice* device) {
    if (!view || view->device != device) return;
    const gdi::PixelBuffer& pixels = view->pixels;
    width = pixels.width;
    height = pixels.height;
    bitsPerPixel = pixels.bitsPerPixel;
    rowBytes = pixels.width * pixels.bitsPerPixel / 8;
    bits.resize(static_cast<std::size_t>(rowBytes) * pixels.height);  // grows only
    for (int y = 0; y < pixels.height; ++y) {
      std::memcpy(bits.data() + static_cast<std::size_t>(y) * rowBytes,
                  pixels.bits + static_cast<std::ptrdiff_t>(y) * pixels.pitch, rowBytes);
    }
    paletteSize = std::min(pixels.palette.size(), palette.size());
    std::copy_n(pixels.palette.begin(), paletteSize, palette.begin());
    view.reset();
  }

  gdi::PixelBuffer Pixels() const {
    if (view) return view->pixels;
    return {const_cast<std::byte*>(bits.data()), width, height, rowBytes, bitsPerPixel,
            std::span(palette.data(), paletteSize)};
  }
};

Record& TheRecord() {
  static auto* record = new Record;  // never destroyed: a device may present during exit
  return *record;
}

class HeadlessDevice final : public DisplayDevice {
 public:
  explicit HeadlessDevice(int monitor) : monitor_(monitor) {}
  ~HeadlessDevice() override { ReleaseFrame(); }

  void SetMode(const DisplayMode& mode) override {
    Record& record = TheRecord();
    std::lock_guard lock(record.mutex);
    record.mode = mode;
    record.monitor = monitor_;
  }

  void Present(const Frame& frame) override {
    Record& record = TheRecord();
    std::lock_guard lock(record.mutex);
    record.view = View{this, frame.pixels};
    record.gamma = frame.gamma;
    ++record.frames;
  }

  void ReleaseFrame() override {
    Record& record = TheRecord();
    std::lock_guard lock(record.mutex);
    record.Keep(this);
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
  const gdi::PixelBuffer pixels = record.Pixels();
  frame.width = pixels.width;
  frame.height = pixels.height;
  frame.pixels.resize(static_cast<std::size_t>(pixels.width) * pixels.height);
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
  record.view.reset();
  record.width = record.height = record.rowBytes = record.bitsPerPixel = 0;
  record.paletteSize = 0;
  record.mode.reset();
  record.monitor = 0;
}

}  // namespace ddraw
