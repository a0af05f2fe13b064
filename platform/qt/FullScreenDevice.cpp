// Keeps a view of each presented frame, repaints the window's widget at once and then sleeps
// until the next refresh of the widget's screen. Painted 1:1 into the window's backing store,
// the frame is converted straight into the store; anywhere else (scaled, into a grab) it is
// converted into one reused image first, which also keeps it once the primary goes.
#include "platform/qt/FullScreenDevice.h"

#include <QGuiApplication>
#include <QPaintEngine>
#include <QPainter>
#include <QScreen>
#include <thread>

#include "platform/qt/QtPeer.h"

namespace qt {
namespace {

// The image under `painter` when the frame can go straight into it at `target`: a raster
// image of 32-bit pixels, with no transform or scaling in between. Formats with opacity get
// opaque pixels, as drawing the converted image would give them.
QImage* DirectTarget(QPainter& painter, const QRect& target, std::uint32_t& alpha) {
  QPaintEngine* engine = painter.paintEngine();
  if (!engine || engine->type() != QPaintEngine::Raster || painter.deviceTransform().type() != QTransform::TxNone)
    return nullptr;
  QPaintDevice* device = engine->paintDevice();
  if (!device || device->devType() != QInternal::Image) return nullptr;
  auto* image = static_cast<QImage*>(device);
  if (image->devicePixelRatio() != 1.0 || !image->rect().contains(target)) return nullptr;
  switch (image->format()) {
    case QImage::Format_RGB32: alpha = 0; return image;
    case QImage::Format_ARGB32:
    case QImage::Format_ARGB32_Premultiplied: alpha = 0xFF000000; return image;
    default: return nullptr;
  }
}

void Convert(const gdi::PixelBuffer& pixels, const ddraw::Levels& levels, QImage& image, QPoint at, std::uint32_t alpha) {
  auto* first = reinterpret_cast<std::uint32_t*>(image.scanLine(at.y())) + at.x();
  ddraw::ConvertPixels(pixels, levels, first, image.bytesPerLine() / 4, alpha);
}

}  // namespace

FullScreenDevice::FullScreenDevice(HWND window, int monitor, QtPeer& peer)
    : window_(window), monitor_(monitor), peer_(peer) {}

FullScreenDevice::~FullScreenDevice() { RestoreDesktop(); }

void FullScreenDevice::SetMode(const ddraw::DisplayMode& mode) {
  size_ = QSize(mode.width, mode.height);
  shown_.reset();
  imageCurrent_ = false;  // black until the first frame
  if (WindowWidget* w = peer_.WidgetOf(window_)) {
    // Before the window goes full screen, which covers the screen it is on.
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (monitor_ > 0 && monitor_ <= screens.size()) w->setScreen(screens[monitor_ - 1]);
    w->SetDisplayFrame(this);
  }
}

void FullScreenDevice::Present(const ddraw::Frame& frame) {
  if (frame.pixels.width == size_.width() && frame.pixels.height == size_.height()) {
    shown_ = Shown{frame.pixels, ddraw::LevelsOf(frame.gamma)};
    imageCurrent_ = false;
    if (WindowWidget* w = peer_.WidgetOf(window_)) {
      w->SetDisplayFrame(this);  // a window made after SetMode shows the display too
      if (w->isVisible()) w->repaint();
    }
  }
  WaitForRefresh();
}

void FullScreenDevice::ReleaseFrame() {
  if (shown_) ConvertIntoImage();
  shown_.reset();
}

void FullScreenDevice::Paint(QPainter& painter, const QRect& target) {
  std::uint32_t alpha = 0;
  if (shown_ && target.size() == size_) {
    if (QImage* store = DirectTarget(painter, target, alpha))
      return Convert(shown_->pixels, shown_->levels, *store, target.topLeft(), alpha);
  }
  if (shown_) ConvertIntoImage();
  if (!imageCurrent_) {
    painter.fillRect(target, Qt::black);
  } else if (target.size() == size_) {
    painter.drawImage(target.topLeft(), image_);  // a plain copy, no scaling
  } else {
    painter.drawImage(target, image_);  // nearest pixel: no smooth transform is set
  }
}

void FullScreenDevice::ConvertIntoImage() {
  if (imageCurrent_) return;
  if (image_.size() != size_) image_ = QImage(size_, QImage::Format_RGB32);
  Convert(shown_->pixels, shown_->levels, image_, QPoint(0, 0), 0);
  imageCurrent_ = true;
}

void FullScreenDevice::WaitForRefresh() {
  double hz = 60.0;
  if (WindowWidget* w = peer_.WidgetOf(window_))
    if (QScreen* s = w->screen(); s && s->refreshRate() >= 1.0) hz = s->refreshRate();
  const auto period = std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(1.0 / hz));
  const auto now = std::chrono::steady_clock::now();
  // The first frame sets the refreshes' phase and goes out at once; refreshes missed while a
  // frame was drawn are skipped, not caught up.
  if (nextRefresh_ == std::chrono::steady_clock::time_point{}) {
    nextRefresh_ = now;
    return;
  }
  nextRefresh_ = nextRefresh_ + period < now ? now + period : nextRefresh_ + period;
  std::this_thread::sleep_until(nextRefresh_);
}

void FullScreenDevice::RestoreDesktop() {
  shown_.reset();
  if (WindowWidget* w = peer_.WidgetOf(window_)) w->SetDisplayFrame(nullptr);
}

}  // namespace qt
