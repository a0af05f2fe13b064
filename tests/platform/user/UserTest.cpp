// The window layer without a toolkit: window records and their device contexts, the input
// queue, message boxes, the cursor counter, the running flag and the system metrics.
#include <gtest/gtest.h>

#include <thread>

#include "platform/user/UserPeer.h"
#include "platform/user/WinUser.h"

namespace {

// Records what the layer asks a toolkit to do.
class FakePeer : public user::Peer {
 public:
  void StartToolkit() override { ++starts; }
  void WindowChanged(HWND, const user::WindowState&) override {}
  void WindowDestroyed(HWND hwnd) override { destroyed.push_back(hwnd); }
  void ShowPixels(HWND hwnd, const gdi::PixelBuffer& p) override {
    shownBy = hwnd;
    shown.assign(reinterpret_cast<const std::uint32_t*>(p.bits),
                 reinterpret_cast<const std::uint32_t*>(p.bits) + p.width * p.height);
  }
  int ShowMessageBox(HWND, const std::string&, const std::string&, UINT) override { return IDCANCEL; }
  void SetCursorVisible(bool visible) override { cursorVisible = visible; }
  int ScreenCount() override { return 2; }
  void PumpEvents() override {}
  void WaitEvents() override {}
  void Wake() override {}
  bool NativeWindowExists(user::NativeId id) override { return id == kNative; }
  bool NativeWindowViewable(user::NativeId id) override { return id == kNative; }
  std::optional<SIZE> NativeWindowSize(user::NativeId id) override {
    return id == kNative ? std::optional<SIZE>(SIZE{4, 3}) : std::nullopt;
  }
  void ReadNativePixels(user::NativeId, const gdi::PixelBuffer&) override {}
  void PutNativePixels(user::NativeId id, const gdi::PixelBuffer& p) override {
    putTo = id;
    putWidth = p.width;
  }

  static constexpr user::NativeId kNative = 0x2a00007;
  int starts = 0;
  bool cursorVisible = true;
  HWND shownBy = nullptr;
  std::vector<std::uint32_t> shown;
  std::vector<HWND> destroyed;
  user::NativeId putTo = 0;
  int putWidth = 0;
};

class UserTest : public ::testing::Test {
 protected:
  void SetUp() override { user::ResetForTest(); }
  void TearDown() override {
    user::SetPeer(nullptr);
    user::ResetForTest();
  }
  static HWND MakeWindow(int width, int height, HWND parent = nullptr, bool visible = true) {
    user::WindowState state;
    state.parent = parent;
    state.width = width;
    state.height = height;
    state.visible = visible;
    state.color = RGB(0, 0, 255);
    return user::CreateWindowRecord(state, nullptr);
  }
};

TEST_F(UserTest, CursorCounterStartsAtZeroAndCountsEachCall) {
  FakePeer peer;
  user::SetPeer(&peer);
  EXPECT_EQ(ShowCursor(FALSE), -1);
  EXPECT_FALSE(peer.cursorVisible);
  EXPECT_EQ(ShowCursor(FALSE), -2);
  EXPECT_EQ(ShowCursor(TRUE), -1);
  EXPECT_FALSE(peer.cursorVisible);  // still below 0
  EXPECT_EQ(ShowCursor(TRUE), 0);
  EXPECT_TRUE(peer.cursorVisible);
  EXPECT_EQ(user::CursorCounter(), 0);
}

TEST_F(UserTest, ScreenSaverRunningFlagIsRecordedAndReportsThePreviousValue) {
  BOOL old = 7;
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, &old, 0));
  EXPECT_EQ(old, FALSE);
  EXPECT_TRUE(user::ScreenSaverRunning());
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, FALSE, &old, 0));
  EXPECT_EQ(old, TRUE);
  EXPECT_FALSE(user::ScreenSaverRunning());
  EXPECT_TRUE(SystemParametersInfoA(SPI_SETSCREENSAVERRUNNING, TRUE, nullptr, 0));  // no old-value word
  EXPECT_FALSE(SystemParametersInfoA(12345, 0, nullptr, 0));
}

TEST_F(UserTest, MessageBoxSinkRecordsEveryBoxAndAnswersOk) {
  FakePeer peer;  // a sink wins over the toolkit
  user::SetPeer(&peer);
  user::ScopedMessageBoxSink sink;
  HWND owner = MakeWindow(10, 10);
  EXPECT_EQ(MessageBoxA(owner, "Error SetDisplayMode", "ERROR", MB_OK), IDOK);
  EXPECT_EQ(MessageBoxA(nullptr, nullptr, nullptr, MB_YESNO | MB_ICONQUESTION), IDOK);
  ASSERT_EQ(sink.Calls().size(), 2u);
  EXPECT_EQ(sink.Calls()[0].owner, owner);
  EXPECT_EQ(sink.Calls()[0].text, "Error SetDisplayMode");
  EXPECT_EQ(sink.Calls()[0].caption, "ERROR");
  EXPECT_EQ(sink.Calls()[0].type, MB_OK);
  EXPECT_EQ(sink.Calls()[1].text, "");
  EXPECT_EQ(sink.Calls()[1].caption, "Error");
}

TEST_F(UserTest, MessageBoxWithoutSinkGoesToThePeer) {
  FakePeer peer;
  user::SetPeer(&peer);
  EXPECT_EQ(MessageBoxA(nullptr, "t", "c", MB_OKCANCEL), IDCANCEL);
}

TEST_F(UserTest, MonitorCountComesFromOverrideThenPeerThenOne) {
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 1);
  FakePeer peer;
  user::SetPeer(&peer);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  user::SetMonitorCount(3);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 3);
  user::SetMonitorCount(std::nullopt);
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
}

TEST_F(UserTest, ScreenMetricsFollowTheDesktopMode) {
  const gdi::DesktopMode saved = gdi::GetDesktopMode();
  gdi::SetDesktopMode({1280, 1024, 32});
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  EXPECT_GT(GetSystemMetrics(SM_CXVSCROLL), 0);
  gdi::SetDesktopMode(saved);
}

TEST_F(UserTest, ScreenDeviceContextHasTheDesktopCaps) {
  const gdi::DesktopMode saved = gdi::GetDesktopMode();
  gdi::SetDesktopMode({800, 600, 16});
  HDC dc = GetDC(nullptr);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 800);
  EXPECT_EQ(GetDeviceCaps(dc, VERTRES), 600);
  EXPECT_EQ(GetDeviceCaps(dc, BITSPIXEL), 16);
  EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
  gdi::SetDesktopMode(saved);
}

TEST_F(UserTest, WindowDeviceContextDrawsIntoTheWindowsPixels) {
  FakePeer peer;
  user::SetPeer(&peer);
  HWND hwnd = MakeWindow(4, 2);
  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetPixel(dc, 0, 0), RGB(0, 0, 255));  // starts in the window's colour
  SetPixel(dc, 3, 1, RGB(255, 0, 0));
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
  EXPECT_EQ(peer.shownBy, hwnd);
  ASSERT_EQ(peer.shown.size(), 8u);
  EXPECT_EQ(peer.shown[7], 0x00FF0000u);  // blue, green, red, unused: red is 0x00FF0000
  EXPECT_EQ(peer.shown[0], 0x000000FFu);

  // The drawing stays: the next context starts from it.
  dc = GetDC(hwnd);
  EXPECT_EQ(GetPixel(dc, 3, 1), RGB(255, 0, 0));
  ReleaseDC(hwnd, dc);
}

TEST_F(UserTest, ReleaseDCNeedsTheWindowItCameFrom) {
  HWND a = MakeWindow(2, 2);
  HWND b = MakeWindow(2, 2);
  HDC dc = GetDC(a);
  EXPECT_EQ(ReleaseDC(b, dc), 0);
  EXPECT_EQ(ReleaseDC(a, dc), 1);
  EXPECT_EQ(ReleaseDC(a, dc), 0);  // already released
}

TEST_F(UserTest, ContextOutlivesItsDestroyedWindow) {
  HWND hwnd = MakeWindow(2, 2);
  HDC dc = GetDC(hwnd);
  EXPECT_TRUE(DestroyWindow(hwnd));
  SetPixel(dc, 1, 1, RGB(1, 2, 3));  // still draws into valid memory
  EXPECT_EQ(ReleaseDC(hwnd, dc), 1);
}

TEST_F(UserTest, VisibilityFollowsTheParents) {
  HWND top = MakeWindow(10, 10, nullptr, false);
  HWND child = MakeWindow(5, 5, top, true);
  EXPECT_TRUE(IsWindow(top));
  EXPECT_FALSE(IsWindowVisible(child));
  EXPECT_FALSE(ShowWindow(top, SW_SHOW));  // was hidden
  EXPECT_TRUE(IsWindowVisible(child));
  EXPECT_TRUE(ShowWindow(top, SW_HIDE));
  EXPECT_FALSE(IsWindowVisible(top));
  RECT rc{};
  EXPECT_TRUE(GetClientRect(child, &rc));
  EXPECT_EQ(rc.right, 5);
  EXPECT_EQ(rc.bottom, 5);
}

TEST_F(UserTest, DestroyingAWindowDestroysItsChildrenAndTheirQueuedInput) {
  FakePeer peer;
  user::SetPeer(&peer);
  HWND top = MakeWindow(10, 10);
  HWND child = MakeWindow(5, 5, top);
  HWND other = MakeWindow(5, 5);
  PostMessageA(child, WM_CHAR, 'a', 0);
  PostMessageA(other, WM_CHAR, 'b', 0);
  PostMessageA(top, WM_CHAR, 'c', 0);
  EXPECT_TRUE(DestroyWindow(top));
  EXPECT_FALSE(IsWindow(child));
  EXPECT_EQ(peer.destroyed.size(), 2u);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.hwnd, other);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(UserTest, HandlesAreNotReused) {
  HWND first = MakeWindow(1, 1);
  DestroyWindow(first);
  HWND second = MakeWindow(1, 1);
  EXPECT_NE(first, second);
  EXPECT_FALSE(IsWindow(first));
}

TEST_F(UserTest, UnknownHandlesAreNativeWindowsOnlyThroughThePeer) {
  HWND native = reinterpret_cast<HWND>(FakePeer::kNative);
  EXPECT_FALSE(IsWindow(native));
  EXPECT_FALSE(IsWindowVisible(native));
  EXPECT_EQ(GetDC(native), nullptr);
  FakePeer peer;
  user::SetPeer(&peer);
  EXPECT_TRUE(IsWindow(native));
  EXPECT_TRUE(IsWindowVisible(native));
  EXPECT_FALSE(IsWindow(reinterpret_cast<HWND>(FakePeer::kNative + 1)));
  HDC dc = GetDC(native);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 4);
  EXPECT_EQ(ReleaseDC(native, dc), 1);
  EXPECT_EQ(peer.putTo, FakePeer::kNative);
  EXPECT_EQ(peer.putWidth, 4);
}

TEST_F(UserTest, QueueKeepsOrderAndDispatchesToTheWindowHandler) {
  std::vector<UINT> seen;
  user::WindowState state;
  HWND hwnd = user::CreateWindowRecord(state, [&](const MSG& m) -> LRESULT {
    seen.push_back(m.message);
    return 42;
  });
  user::PostInput(hwnd, WM_KEYDOWN, VK_ESCAPE, 0, {.shift = true});
  user::PostInput(hwnd, WM_CHAR, 27, 0);
  user::PostInput(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(-3, 700), {.control = true, .left = true});
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(msg.message, WM_KEYDOWN);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetKeyState(VK_SHIFT) & 0x8000, 0x8000);
  EXPECT_EQ(DispatchMessageA(&msg), 42);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(GetKeyState(VK_SHIFT), 0);
  DispatchMessageA(&msg);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.wParam, MK_LBUTTON | MK_CONTROL);
  EXPECT_EQ(GET_X_LPARAM(msg.lParam), -3);
  EXPECT_EQ(GET_Y_LPARAM(msg.lParam), 700);
  DispatchMessageA(&msg);
  EXPECT_EQ(seen, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_MOUSEMOVE}));
}

TEST_F(UserTest, QuitComesAfterTheOtherMessages) {
  HWND hwnd = MakeWindow(1, 1);
  PostQuitMessage(3);
  PostMessageA(hwnd, WM_CHAR, 'x', 0);
  MSG msg{};
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_CHAR);
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 3u);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, PostingToAWindowThatIsNotOneOfOursFails) {
  EXPECT_FALSE(PostMessageA(reinterpret_cast<HWND>(0x777777), WM_CHAR, 'x', 0));
}

TEST_F(UserTest, WaitMessageReturnsWhenAnotherThreadPosts) {
  HWND hwnd = MakeWindow(1, 1);
  std::thread poster([hwnd] { PostMessageA(hwnd, WM_CHAR, 'x', 0); });
  EXPECT_TRUE(WaitMessage());
  poster.join();
  MSG msg{};
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(UserTest, WaitMessageStartsTheToolkitFirst) {
  FakePeer peer;
  user::SetPeer(&peer);
  WaitMessage();
  EXPECT_EQ(peer.starts, 1);
}

}  // namespace
