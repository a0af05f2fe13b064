// The table of this program's windows and their device contexts; handles that the table does
// not know are passed to the peer as native windows of the desktop.
#include <algorithm>
#include <map>
#include <memory>
#include <mutex>

#include "platform/user/UserInternal.h"
#include "platform/win32/Kernel32.h"

namespace user {
namespace {

// A window's pixels at its client size, 32 bits. Shared with the device contexts drawing into
// it, so a window destroyed while a context is out leaves the context valid.
struct Pixels {
  std::vector<std::uint32_t> data;
  int width = 0;
  int height = 0;

  gdi::PixelBuffer Buffer() {
    return {reinterpret_cast<std::byte*>(data.data()), width, height, width * 4, 32, {}};
  }
};

struct Record {
  WindowState state;
  MessageHandler handler;
  std::shared_ptr<Pixels> pixels;
  detail::WindowExtra extra;
};

struct OpenDC {
  HWND hwnd;
  std::shared_ptr<Pixels> pixels;
};

struct Table {
  std::mutex lock;
  std::uintptr_t nextId = 1;  // handles are never reused, so a stale one names nothing
  std::map<std::uintptr_t, Record> windows;
  std::map<HDC, OpenDC> dcs;
};

Table& table() {
  static Table t;
  return t;
}

void Fill(Pixels& p, int width, int height, COLORREF color) {
  // Pixels are blue, green, red, unused; COLORREF is red in the low byte.
  const std::uint32_t value = (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
  p.width = std::max(width, 0);
  p.height = std::max(height, 0);
  p.data.assign(static_cast<std::size_t>(p.width) * static_cast<std::size_t>(p.height), value);
}

// The pixels a new window context draws into: the window's own, brought to its client size.
std::shared_ptr<Pixels> PixelsForDC(Record& r) {
  if (!r.pixels) r.pixels = std::make_shared<Pixels>();
  if (r.pixels->width != r.state.width || r.pixels->height != r.state.height) {
    if (r.pixels.use_count() > 1) r.pixels = std::make_shared<Pixels>();  // a context still draws the old size
    Fill(*r.pixels, r.state.width, r.state.height, r.state.color);
  }
  return r.pixels;
}

std::shared_ptr<Pixels> NativePixels(NativeId id) {
  Peer* peer = GetPeer();
  if (!peer) return nullptr;
  const std::optional<SIZE> size = peer->NativeWindowSize(id);
  if (!size || size->cx <= 0 || size->cy <= 0) return nullptr;
  auto p = std::make_shared<Pixels>();
  Fill(*p, size->cx, size->cy, 0);
  peer->ReadNativePixels(id, p->Buffer());
  return p;
}

void CollectFamily(Table& t, std::uintptr_t id, std::vector<HWND>& out) {
  out.push_back(detail::HandleOf(id));
  for (const auto& [child, r] : t.windows)
    if (detail::IdOf(r.state.parent) == id) CollectFamily(t, child, out);
}

}  // namespace

namespace detail {

std::uintptr_t IdOf(HWND hwnd) { return reinterpret_cast<std::uintptr_t>(hwnd); }
HWND HandleOf(std::uintptr_t id) { return reinterpret_cast<HWND>(id); }

MessageHandler HandlerOf(HWND hwnd) {
  Table& t = table();
  std::lock_guard g(t.lock);
  auto it = t.windows.find(IdOf(hwnd));
  return it == t.windows.end() ? MessageHandler{} : it->second.handler;
}

bool IsOwnWindow(HWND hwnd) {
  Table& t = table();
  std::lock_guard g(t.lock);
  return t.windows.count(IdOf(hwnd)) != 0;
}

std::vector<WindowEntry> OwnWindows() {
  Table& t = table();
  std::lock_guard g(t.lock);
  std::vector<WindowEntry> out;
  for (const auto& [id, r] : t.windows) out.push_back({HandleOf(id), r.state, r.extra});
  return out;
}

std::optional<WindowEntry> EntryOf(HWND hwnd) {
  Table& t = table();
  std::lock_guard g(t.lock);
  const auto it = t.windows.find(IdOf(hwnd));
  if (it == t.windows.end()) return std::nullopt;
  return WindowEntry{hwnd, it->second.state, it->second.extra};
}

bool UpdateExtra(HWND hwnd, const std::function<void(WindowExtra&)>& change) {
  Table& t = table();
  std::lock_guard g(t.lock);
  const auto it = t.windows.find(IdOf(hwnd));
  if (it == t.windows.end()) return false;
  change(it->second.extra);
  return true;
}

void ResetWindows() {
  std::vector<HWND> gone;
  {
    Table& t = table();
    std::lock_guard g(t.lock);
    for (const auto& entry : t.windows) gone.push_back(HandleOf(entry.first));
    t.windows.clear();
    for (auto& entry : t.dcs) DeleteDC(entry.first);
    t.dcs.clear();
  }
  if (Peer* peer = GetPeer())
    for (HWND h : gone) peer->WindowDestroyed(h);
}

}  // namespace detail

HWND CreateWindowRecord(const WindowState& state, MessageHandler handler) {
  HWND hwnd;
  {
    Table& t = table();
    std::lock_guard g(t.lock);
    const std::uintptr_t id = t.nextId++;
    detail::WindowExtra extra;
    extra.thread = GetCurrentThreadId();
    t.windows[id] = Record{state, std::move(handler), nullptr, extra};
    hwnd = detail::HandleOf(id);
  }
  if (Peer* peer = GetPeer()) peer->WindowChanged(hwnd, state);
  return hwnd;
}

void UpdateWindow(HWND hwnd, const WindowState& state) {
  {
    Table& t = table();
    std::lock_guard g(t.lock);
    auto it = t.windows.find(detail::IdOf(hwnd));
    if (it == t.windows.end()) return;
    it->second.state = state;
  }
  if (Peer* peer = GetPeer()) peer->WindowChanged(hwnd, state);
}

std::optional<WindowState> GetWindowState(HWND hwnd) {
  Table& t = table();
  std::lock_guard g(t.lock);
  auto it = t.windows.find(detail::IdOf(hwnd));
  if (it == t.windows.end()) return std::nullopt;
  return it->second.state;
}

}  // namespace user

using namespace user;

BOOL IsWindow(HWND hwnd) {
  if (!hwnd) return FALSE;
  if (detail::IsOwnWindow(hwnd)) return TRUE;
  Peer* peer = GetPeer();
  return peer && peer->NativeWindowExists(detail::IdOf(hwnd)) ? TRUE : FALSE;
}

BOOL IsWindowVisible(HWND hwnd) {
  if (!hwnd) return FALSE;
  if (detail::IsOwnWindow(hwnd)) {
    // Visible only when every window up to the top-level one is.
    Table& t = table();
    std::lock_guard g(t.lock);
    for (auto it = t.windows.find(detail::IdOf(hwnd)); it != t.windows.end();
         it = t.windows.find(detail::IdOf(it->second.state.parent))) {
      if (!it->second.state.visible) return FALSE;
      if (!it->second.state.parent) return TRUE;
    }
    return FALSE;
  }
  Peer* peer = GetPeer();
  return peer && peer->NativeWindowViewable(detail::IdOf(hwnd)) ? TRUE : FALSE;
}

BOOL GetClientRect(HWND hwnd, RECT* rect) {
  if (!rect) return FALSE;
  if (std::optional<WindowState> state = GetWindowState(hwnd)) {
    *rect = {0, 0, state->width, state->height};
    return TRUE;
  }
  Peer* peer = GetPeer();
  if (!hwnd || !peer) return FALSE;
  const std::optional<SIZE> size = peer->NativeWindowSize(detail::IdOf(hwnd));
  if (!size) return FALSE;
  *rect = {0, 0, size->cx, size->cy};
  return TRUE;
}

BOOL DestroyWindow(HWND hwnd) {
  std::vector<HWND> gone;
  {
    Table& t = table();
    std::lock_guard g(t.lock);
    if (!t.windows.count(detail::IdOf(hwnd))) return FALSE;
    CollectFamily(t, detail::IdOf(hwnd), gone);
    for (HWND h : gone) t.windows.erase(detail::IdOf(h));
  }
  detail::DropMessages(gone);
  detail::ForgetActive(gone);
  if (Peer* peer = GetPeer())
    for (HWND h : gone) peer->WindowDestroyed(h);
  return TRUE;
}

HDC GetDC(HWND hwnd) {
  Table& t = table();
  if (!hwnd) {
    HDC screen = gdi::CreateScreenDC();
    std::lock_guard g(t.lock);
    t.dcs[screen] = OpenDC{nullptr, nullptr};
    return screen;
  }
  std::shared_ptr<Pixels> pixels;
  {
    std::lock_guard g(t.lock);
    auto it = t.windows.find(detail::IdOf(hwnd));
    if (it != t.windows.end()) pixels = PixelsForDC(it->second);
  }
  if (!pixels) pixels = NativePixels(detail::IdOf(hwnd));
  if (!pixels) return nullptr;
  HDC dc = gdi::CreateDCOverPixels(pixels->Buffer());
  if (!dc) return nullptr;
  std::lock_guard g(t.lock);
  t.dcs[dc] = OpenDC{hwnd, std::move(pixels)};
  return dc;
}

int ReleaseDC(HWND hwnd, HDC hdc) {
  if (!hdc) return 0;
  if (hdc == gdi::ScreenDC()) return 1;
  Table& t = table();
  OpenDC open;
  {
    std::lock_guard g(t.lock);
    auto it = t.dcs.find(hdc);
    if (it == t.dcs.end() || it->second.hwnd != hwnd) return 0;
    open = std::move(it->second);
    t.dcs.erase(it);
  }
  DeleteDC(hdc);
  if (!hwnd) return 1;  // the screen's: nothing to show
  if (Peer* peer = GetPeer()) {
    if (detail::IsOwnWindow(hwnd))
      peer->ShowPixels(hwnd, open.pixels->Buffer());
    else
      peer->PutNativePixels(detail::IdOf(hwnd), open.pixels->Buffer());
  }
  return 1;
}
