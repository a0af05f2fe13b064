// Message boxes, the cursor counter, the screensaver-running flag and the system metrics, with
// the peer that shows them and the switches tests set.
#include <atomic>
#include <cstdio>

#include "platform/user/UserInternal.h"

namespace user {
namespace {

std::atomic<Peer*> peer{nullptr};
std::atomic<int> cursorCounter{0};
std::atomic<bool> screenSaverRunning{false};
std::atomic<int> monitorOverride{0};  // 0: none
std::atomic<int> minimizeAnimation{1};
ScopedMessageBoxSink* sink = nullptr;  // main thread only

// Metrics that depend on no device.
constexpr int kScrollBar = 16, kCaption = 19, kBorder = 1, kIcon = 32, kCursor = 32;

}  // namespace

void SetPeer(Peer* p) { peer.store(p); }
Peer* GetPeer() { return peer.load(); }

ScopedMessageBoxSink::ScopedMessageBoxSink() : previous_(sink) { sink = this; }
ScopedMessageBoxSink::~ScopedMessageBoxSink() { sink = previous_; }

bool ScreenSaverRunning() { return screenSaverRunning.load(std::memory_order_relaxed); }
int CursorCounter() { return cursorCounter.load(std::memory_order_relaxed); }
void SetMonitorCount(std::optional<int> count) { monitorOverride.store(count.value_or(0)); }

namespace detail {
void ResetSystem() {
  cursorCounter.store(0);
  screenSaverRunning.store(false);
  monitorOverride.store(0);
  minimizeAnimation.store(1);
  if (Peer* p = GetPeer()) p->SetCursorVisible(true);
}
}  // namespace detail

void ResetForTest() {
  detail::ResetActive();
  detail::ResetWindows();
  detail::ResetQueue();
  detail::ResetSystem();
  ResetClipboardForTest();
}

}  // namespace user

using namespace user;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  // A missing caption reads "Error", as on the platform.
  const std::string body = text ? text : "";
  const std::string title = caption ? caption : "Error";
  if (sink) {
    sink->Record({owner, body, title, type});
    return IDOK;
  }
  if (Peer* p = GetPeer()) return p->ShowMessageBox(owner, body, title, type);
  // Headless and unrecorded: the text must still reach someone.
  std::fprintf(stderr, "%s: %s\n", title.c_str(), body.c_str());
  return IDOK;
}

int ShowCursor(BOOL show) {
  const int now = show ? cursorCounter.fetch_add(1) + 1 : cursorCounter.fetch_sub(1) - 1;
  if (Peer* p = GetPeer()) p->SetCursorVisible(now >= 0);
  return now;
}

BOOL SystemParametersInfoA(UINT action, UINT uiParam, LPVOID pvParam, UINT) {
  switch (action) {
    case SPI_SETSCREENSAVERRUNNING: {
      const bool previous = screenSaverRunning.exchange(uiParam != 0);
      if (pvParam) *static_cast<BOOL*>(pvParam) = previous ? TRUE : FALSE;
      return TRUE;
    }
    case SPI_GETWORKAREA: {
      if (!pvParam) return FALSE;
      const gdi::DesktopMode desktop = gdi::GetDesktopMode();
      *static_cast<RECT*>(pvParam) = {0, 0, desktop.width, desktop.height};
      return TRUE;
    }
    case SPI_GETANIMATION:
    case SPI_SETANIMATION: {
      auto* info = static_cast<ANIMATIONINFO*>(pvParam);
      if (!info || info->cbSize != sizeof(ANIMATIONINFO)) return FALSE;
      if (action == SPI_GETANIMATION)
        info->iMinAnimate = minimizeAnimation.load();
      else
        minimizeAnimation.store(info->iMinAnimate);
      return TRUE;
    }
    default: return FALSE;
  }
}

LONG GetDialogBaseUnits() {
  static const LONG units = [] {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ previous = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    static constexpr char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    SIZE size{};
    GetTextExtentPoint32A(dc, kLetters, 52, &size);
    SelectObject(dc, previous);
    DeleteDC(dc);
    const LONG width = (size.cx / 26 + 1) / 2;  // the average, rounded
    return static_cast<LONG>(static_cast<DWORD>(width & 0xFFFF) | (static_cast<DWORD>(size.cy & 0xFFFF) << 16));
  }();
  return units;
}

int GetSystemMetrics(int index) {
  switch (index) {
    case SM_CXSCREEN: return gdi::GetDesktopMode().width;
    case SM_CYSCREEN: return gdi::GetDesktopMode().height;
    case SM_CXVSCROLL:
    case SM_CYHSCROLL: return kScrollBar;
    case SM_CYCAPTION: return kCaption;
    case SM_CXBORDER:
    case SM_CYBORDER: return kBorder;
    case SM_CXICON:
    case SM_CYICON: return kIcon;
    case SM_CXCURSOR:
    case SM_CYCURSOR: return kCursor;
    case SM_CMONITORS: {
      if (const int n = monitorOverride.load(); n > 0) return n;
      Peer* p = GetPeer();
      return p ? p->ScreenCount() : 1;
    }
    default: return 0;
  }
}
