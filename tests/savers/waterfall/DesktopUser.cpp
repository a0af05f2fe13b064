// The desktop user through Xlib and the X test extension.
#include "tests/savers/waterfall/DesktopUser.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <cctype>
#include <chrono>
#include <optional>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// The top-level window with this title, once it is shown.
std::optional<Window> FindShown(Display* x, const std::string& title) {
  Window root = DefaultRootWindow(x), parent = 0, *children = nullptr;
  unsigned count = 0;
  if (!XQueryTree(x, root, &root, &parent, &children, &count)) return std::nullopt;
  std::optional<Window> found;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    XWindowAttributes attributes;
    if (XFetchName(x, children[i], &name) && name && title == name &&
        XGetWindowAttributes(x, children[i], &attributes) && attributes.map_state == IsViewable)
      found = children[i];
    if (name) XFree(name);
  }
  if (children) XFree(children);
  return found;
}

// The window goes when the dialog closes; a look at it then finds nothing instead of ending the test.
int IgnoreError(Display*, XErrorEvent*) { return 0; }

}  // namespace

struct DesktopUser::State {
  Display* x = nullptr;
  Window window = 0;
  int left = 0;
  int top = 0;

  // What the window shows now.
  std::vector<char> Picture() const {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(x, window, &attributes)) return {};
    XImage* image = XGetImage(x, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (!image) return {};
    std::vector<char> bytes(image->data, image->data + static_cast<std::size_t>(image->bytes_per_line) * image->height);
    XDestroyImage(image);
    return bytes;
  }

  // Each event has had its effect on the program before the next: a slow program (a sanitizer
  // build on a busy machine) may start on it late, so wait for the window to change and then
  // to hold still; an event that changes nothing is given two seconds.
  void Settle(const std::vector<char>& before) const {
    XSync(x, False);
    const auto until = std::chrono::steady_clock::now() + 2s;
    std::vector<char> now = Picture();
    while (now == before && std::chrono::steady_clock::now() < until) {
      std::this_thread::sleep_for(50ms);
      now = Picture();
    }
    for (int still = 0; still < 2;) {
      std::this_thread::sleep_for(100ms);
      std::vector<char> next = Picture();
      still = next == now ? still + 1 : 0;
      now = std::move(next);
    }
  }
};

DesktopUser::DesktopUser(const std::string& display) : state_(std::make_unique<State>()) {
  state_->x = XOpenDisplay(display.c_str());
  XSetErrorHandler(IgnoreError);
}

DesktopUser::~DesktopUser() {
  if (state_->x) XCloseDisplay(state_->x);
}

bool DesktopUser::WaitForWindow(const std::string& title) {
  if (!state_->x) return false;
  for (const auto until = std::chrono::steady_clock::now() + 60s; std::chrono::steady_clock::now() < until;
       std::this_thread::sleep_for(50ms)) {
    if (const auto window = FindShown(state_->x, title)) {
      state_->window = *window;
      Window child = 0;
      XTranslateCoordinates(state_->x, *window, DefaultRootWindow(state_->x), 0, 0, &state_->left, &state_->top,
                            &child);
      std::this_thread::sleep_for(500ms);  // its first paint
      return true;
    }
  }
  return false;
}

void DesktopUser::Click(int x, int y) {
  const std::vector<char> before = state_->Picture();
  XTestFakeMotionEvent(state_->x, -1, state_->left + x, state_->top + y, 0);
  XTestFakeButtonEvent(state_->x, 1, True, 0);
  XTestFakeButtonEvent(state_->x, 1, False, 0);
  state_->Settle(before);
}

void DesktopUser::Key(const std::string& key, bool shift, bool control) {
  Display* x = state_->x;
  const KeyCode code = XKeysymToKeycode(x, XStringToKeysym(key.c_str()));
  std::vector<KeyCode> held;
  if (shift) held.push_back(XKeysymToKeycode(x, XK_Shift_L));
  if (control) held.push_back(XKeysymToKeycode(x, XK_Control_L));
  const std::vector<char> before = state_->Picture();
  for (const KeyCode modifier : held) XTestFakeKeyEvent(x, modifier, True, 0);
  XTestFakeKeyEvent(x, code, True, 0);
  XTestFakeKeyEvent(x, code, False, 0);
  for (const KeyCode modifier : held) XTestFakeKeyEvent(x, modifier, False, 0);
  state_->Settle(before);
}

void DesktopUser::Type(const std::string& text) {
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    Key(c == ' ' ? "space" : std::string(1, static_cast<char>(std::tolower(u))), std::isupper(u) != 0);
  }
}

void DesktopUser::Retype(int x, int y, const std::string& text) {
  Click(x, y);
  Key("End");
  Key("Home", true);
  Type(text);
}

DesktopUser::Area DesktopUser::Place() const {
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(state_->x, state_->window, &attributes)) return {};
  return {state_->left, state_->top, attributes.width, attributes.height};
}

std::vector<std::uint32_t> DesktopUser::Pixels() const {
  const Area area = Place();
  return Pixels(0, 0, area.width, area.height);
}

std::vector<std::uint32_t> DesktopUser::Pixels(int x, int y, int width, int height) const {
  std::vector<std::uint32_t> pixels;
  XImage* image = XGetImage(state_->x, state_->window, x, y, static_cast<unsigned>(width),
                            static_cast<unsigned>(height), AllPlanes, ZPixmap);
  if (!image) return pixels;
  for (int row = 0; row < height; ++row)
    for (int column = 0; column < width; ++column)
      pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, column, row) & 0xFFFFFF));
  XDestroyImage(image);
  return pixels;
}
