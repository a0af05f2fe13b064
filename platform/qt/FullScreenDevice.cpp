// Converts each frame into one reused image, repaints the window's widget at once and then
// sleeps until the next refresh of the widget's screen.
#include "platform/qt/FullScreenDevice.h"

#include <QGuiApplication>
#include <QScreen>
#include <span>
#include <thread>

#include "platform/qt/QtPeer.h"
#include "platform/qt/WindowWidget.h"

namespace qt {

FullScreenDevice::FullScreenDevice(HWND window, int monitor, QtPeer& peer)
    : window_(window), monitor_(monitor), peer_(peer) {}

FullScreenDevice::~FullScreenDevice() { RestoreDesktop(); }

void FullScreenDevice::SetMode(const ddraw::DisplayMode& mode) {
  if (image_.width() != mode.width || image_.height() != mode.height)
    image_ = QImage(mode.width, mode.height, QImage::Format_RGB32);
  image_.fill(Qt::black);
  if (WindowWidget* w = peer_.WidgetOf(window_)) {
    // Before the window goes full screen, which covers the screen it is on.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (monitor_ > 0 && monitor_ <= screens.size()) w->setScreen(screens[monitor_ - 1]);
    w->SetDisplayFrame(&image_);
  }
}

void FullScreenDevice::Present(const ddraw::Frame& frame) {
  if (frame.pixels.width == image_.width() && frame.pixels.height == image_.height() && !image_.isNull()) {
    // Rows of a 32-bit image follow each other without padding.
    auto* bits = reinterpret_cast<std::uint32_t*>(image_.bits());
    ddraw::ConvertFrame(frame, std::span<std::uint32_t>(bits, static_cast<std::size_t>(image_.width()) * image_.height()));
    if (WindowWidget* w = peer_.WidgetOf(window_)) {
      w->SetDisplayFrame(&image_);  // a window made after SetMode shows the display too
      if (w->isVisible()) w->repaint();
    }
  }
  WaitForRefresh();
}

void FullScreenDevice::WaitForRefresh() {
  double hz = 60.0;
  if (WindowWidget* w = peer_.WidgetOf(window_))
    if (QScreen* s = w->screen(); s && s->refreshRate() >= 1.0) hz = s->refreshRate();
  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(1.0 / hz));
  const auto now = std::chrono::steady_clock::now();
  // Refreshes missed while the frame was drawn are skipped, not caught up.
  nextRefresh_ = nextRefresh_ + period < now ? now + period : nextRefresh_ + period;
  std::this_thread::sleep_until(nextRefresh_);
}

void FullScreenDevice::RestoreDesktop() {
  if (WindowWidget* w = peer_.WidgetOf(window_)) w->SetDisplayFrame(nullptr);
}

}  // namespace qt
