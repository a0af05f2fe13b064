// Xlib access to foreign windows. Each request runs inside an error trap: a private handler
// catches the error the server reports for a bad id, and the previous handler comes back after.
#include "platform/qt/NativeWindows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <thread>
#include <utility>

namespace qt {
namespace {

bool xFailed = false;  // main thread only, like every call here

// The probe's connection, kept until the native windows take it over. An X server resets when
// its last client leaves, and a connection made during the reset (Qt's own, a moment after a
// probe that closed again) is refused.
Display* heldProbe = nullptr;

int RecordError(Display*, XErrorEvent*) {
  xFailed = true;
  return 0;
}

// Runs `request` with X errors caught; false when the server reported one.
template <class Request>
bool Trapped(Display* display, Request&& request) {
  XSync(display, False);
  xFailed = false;
  auto previous = XSetErrorHandler(RecordError);
  const bool ok = request();
  XSync(display, False);
  XSetErrorHandler(previous);
  return ok && !xFailed;
}

// One channel of a TrueColor visual: where its bits sit in a pixel value.
struct Channel {
  unsigned long mask;
  int shift;
  int bits;
  explicit Channel(unsigned long m)
      : mask(m), shift(m ? std::countr_zero(m) : 0), bits(m ? std::popcount(m) : 0) {}
  unsigned Get(unsigned long pixel) const {
    const unsigned long top = (1ul << bits) - 1;
    return bits ? static_cast<unsigned>(((pixel & mask) >> shift) * 255 / top) : 0;
  }
  unsigned long Put(unsigned v8) const {
    const unsigned long top = (1ul << bits) - 1;
    return bits ? (((v8 * top + 127) / 255) << shift) & mask : 0;
  }
};

std::uint32_t* Row(const gdi::PixelBuffer& p, int y) {
  return reinterpret_cast<std::uint32_t*>(p.bits + static_cast<std::ptrdiff_t>(y) * p.pitch);
}

}  // namespace

struct NativeWindows::Connection {
  explicit Connection(Display* d) : display(d) {}
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  Display* display;
  ~Connection() { XCloseDisplay(display); }
  bool Attributes(user::NativeId id, XWindowAttributes& attrs) {
    return Trapped(display, [&] { return XGetWindowAttributes(display, static_cast<Window>(id), &attrs) != 0; });
  }
};

bool NativeWindows::DisplayAnswers() {
  // A server that another client's leaving has just made reset refuses for a moment.
  for (int attempt = 0; !heldProbe && attempt < 10; ++attempt) {
    if (attempt > 0) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    heldProbe = XOpenDisplay(nullptr);
  }
  return heldProbe != nullptr;
}

NativeWindows::ScreenPixels NativeWindows::ScreenPixelFormat() {
  if (!heldProbe) return {};
  const int screen = DefaultScreen(heldProbe);
  const int depth = DefaultDepth(heldProbe, screen);
  // A depth of 24 bits is stored in 32, one of 15 in 16.
  ScreenPixels pixels{depth, DefaultVisual(heldProbe, screen)->c_class == TrueColor};
  int count = 0;
  if (XPixmapFormatValues* formats = XListPixmapFormats(heldProbe, &count)) {
    for (int i = 0; i < count; ++i)
      if (formats[i].depth == depth) pixels.bitsPerPixel = formats[i].bits_per_pixel;
    XFree(formats);
  }
  return pixels;
}

NativeWindows::NativeWindows() = default;
NativeWindows::~NativeWindows() = default;

NativeWindows::Connection* NativeWindows::Open() {
  if (!tried_) {
    tried_ = true;
    Display* d = std::exchange(heldProbe, nullptr);
    if (!d) d = XOpenDisplay(nullptr);
    if (d) connection_ = std::make_unique<Connection>(d);
  }
  return connection_.get();
}

bool NativeWindows::Exists(user::NativeId id) {
  XWindowAttributes attrs;
  Connection* c = Open();
  return c && id != 0 && c->Attributes(id, attrs);
}

bool NativeWindows::Viewable(user::NativeId id) {
  XWindowAttributes attrs;
  Connection* c = Open();
  return c && id != 0 && c->Attributes(id, attrs) && attrs.map_state == IsViewable;
}

std::optional<SIZE> NativeWindows::Size(user::NativeId id) {
  XWindowAttributes attrs;
  Connection* c = Open();
  if (!c || id == 0 || !c->Attributes(id, attrs)) return std::nullopt;
  return SIZE{attrs.width, attrs.height};
}

void NativeWindows::Read(user::NativeId id, const gdi::PixelBuffer& pixels) {
  Connection* c = Open();
  XWindowAttributes attrs;
  if (!c || !c->Attributes(id, attrs) || attrs.map_state != IsViewable || attrs.visual->c_class != TrueColor) return;
  XImage* image = nullptr;
  Trapped(c->display, [&] {
    image = XGetImage(c->display, static_cast<Window>(id), 0, 0, static_cast<unsigned>(pixels.width),
                      static_cast<unsigned>(pixels.height), AllPlanes, ZPixmap);
    return image != nullptr;
  });
  if (!image) return;
  const Channel r(attrs.visual->red_mask), g(attrs.visual->green_mask), b(attrs.visual->blue_mask);
  for (int y = 0; y < pixels.height && y < image->height; ++y) {
    std::uint32_t* row = Row(pixels, y);
    for (int x = 0; x < pixels.width && x < image->width; ++x) {
      const unsigned long v = XGetPixel(image, x, y);
      row[x] = (r.Get(v) << 16) | (g.Get(v) << 8) | b.Get(v);
    }
  }
  XDestroyImage(image);
}

void NativeWindows::Put(user::NativeId id, const gdi::PixelBuffer& pixels) {
  Connection* c = Open();
  XWindowAttributes attrs;
  if (!c || !c->Attributes(id, attrs) || attrs.visual->c_class != TrueColor) return;
  const int w = std::min(pixels.width, attrs.width);
  const int h = std::min(pixels.height, attrs.height);
  if (w <= 0 || h <= 0) return;
  XImage* image = XCreateImage(c->display, attrs.visual, static_cast<unsigned>(attrs.depth), ZPixmap, 0, nullptr,
                               static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
  if (!image) return;
  // XDestroyImage frees the data with free(), so it comes from malloc.
  image->data = static_cast<char*>(std::malloc(static_cast<std::size_t>(image->bytes_per_line) * h));
  if (!image->data) {
    XDestroyImage(image);
    return;
  }
  const Channel r(attrs.visual->red_mask), g(attrs.visual->green_mask), b(attrs.visual->blue_mask);
  for (int y = 0; y < h; ++y) {
    const std::uint32_t* row = Row(pixels, y);
    for (int x = 0; x < w; ++x) {
      const std::uint32_t p = row[x];
      XPutPixel(image, x, y, r.Put((p >> 16) & 0xFF) | g.Put((p >> 8) & 0xFF) | b.Put(p & 0xFF));
    }
  }
  Trapped(c->display, [&] {
    GC gc = XCreateGC(c->display, static_cast<Window>(id), 0, nullptr);
    XPutImage(c->display, static_cast<Window>(id), gc, image, 0, 0, 0, 0, static_cast<unsigned>(w),
              static_cast<unsigned>(h));
    XFreeGC(c->display, gc);
    return true;
  });
  XDestroyImage(image);
}

}  // namespace qt
