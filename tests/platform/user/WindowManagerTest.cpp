// The window manager over window records: lookup, owners and popups, the active window per
// thread, show states and system commands, positions with frames.
#include <gtest/gtest.h>

#include <thread>

#include "platform/user/UserPeer.h"
#include "platform/user/WinUser.h"
#include "platform/win32/Kernel32.h"

namespace {

class WindowManager : public ::testing::Test {
 protected:
  void SetUp() override { user::ResetForTest(); }
  void TearDown() override { user::ResetForTest(); }
  static HWND Make(const char* className, const char* caption, HWND parent = nullptr) {
    user::WindowState s;
    s.className = className;
    s.caption = caption;
    s.parent = parent;
    s.visible = true;
    s.frame = user::Frame::Single;
    s.width = 100;
    s.height = 50;
    // The class library leaves system commands to the window manager.
    return user::CreateWindowRecord(s, [](const MSG& m) { return DefWindowProcA(m.hwnd, m.message, m.wParam, m.lParam); });
  }
};

TEST_F(WindowManager, LookupByClassAndCaption) {
  HWND first = Make("TForm1", "Scene");
  HWND second = Make("TForm1", "Setup");
  Make("TPanel", "", first);  // a child window is not a top-level one
  EXPECT_EQ(FindWindowA("tform1", nullptr), first);
  EXPECT_EQ(FindWindowA(nullptr, "Setup"), second);
  EXPECT_EQ(FindWindowA("TForm1", "Setup"), second);
  EXPECT_EQ(FindWindowA("TPanel", nullptr), nullptr);
  char name[4];
  EXPECT_EQ(GetClassNameA(first, name, sizeof name), 3);
  EXPECT_STREQ(name, "TFo");
}

TEST_F(WindowManager, OwnersPopupsAndTheActiveWindow) {
  HWND app = Make("TApplication", "App");
  HWND form = Make("TForm1", "Main");
  HWND child = Make("TButton", "OK", form);
  SetWindowLongA(form, GWL_HWNDPARENT, reinterpret_cast<LONG_PTR>(app));
  EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongA(form, GWL_HWNDPARENT)), app);
  EXPECT_EQ(reinterpret_cast<HWND>(GetWindowLongA(child, GWL_HWNDPARENT)), form);
  EXPECT_EQ(GetLastActivePopup(app), app);
  EXPECT_TRUE(SetForegroundWindow(child));  // its top-level window becomes active
  EXPECT_EQ(GetActiveWindow(), form);
  EXPECT_EQ(GetForegroundWindow(), form);
  EXPECT_EQ(GetLastActivePopup(app), form);
  // Another thread's window is not this thread's active window.
  HWND other = nullptr;
  std::thread([&] { other = Make("TForm2", "Elsewhere"); }).join();
  SetForegroundWindow(other);
  EXPECT_EQ(GetForegroundWindow(), other);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  std::vector<HWND> mine;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM list) {
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(h);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&mine));
  EXPECT_EQ(mine, (std::vector<HWND>{app, form}));
  DestroyWindow(other);
  EXPECT_EQ(GetForegroundWindow(), nullptr);
}

TEST_F(WindowManager, ShowStatesSystemCommandsAndEnabling) {
  HWND w = Make("TForm1", "Main");
  ShowWindow(w, SW_SHOWNOACTIVATE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  ShowWindow(w, SW_MINIMIZE);
  EXPECT_TRUE(IsIconic(w));
  EXPECT_EQ(GetWindowLongA(w, GWL_STYLE) & WS_MINIMIZE, static_cast<LONG_PTR>(WS_MINIMIZE));
  SendMessageA(w, WM_SYSCOMMAND, SC_RESTORE, 0);
  EXPECT_FALSE(IsIconic(w));
  EXPECT_EQ(GetActiveWindow(), w);
  SendMessageA(w, WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  EXPECT_TRUE(IsZoomed(w));
  EXPECT_FALSE(EnableWindow(w, FALSE));
  EXPECT_FALSE(IsWindowEnabled(w));
  EXPECT_TRUE(EnableWindow(w, TRUE));
  ShowWindow(w, SW_HIDE);
  EXPECT_FALSE(IsWindowVisible(w));
  EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowManager, PositionsCountTheFrame) {
  HWND w = Make("TForm1", "Main");
  const SIZE frame = user::FrameSize(user::Frame::Single);
  RECT r{};
  ASSERT_TRUE(GetWindowRect(w, &r));
  EXPECT_EQ(r.right - r.left, 100 + frame.cx);
  SetWindowPos(w, nullptr, 30, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  GetWindowRect(w, &r);
  EXPECT_EQ(r.left, 30);
  EXPECT_EQ(r.top, 40);
  EXPECT_EQ(r.bottom - r.top, 50 + frame.cy);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  SetWindowPos(w, nullptr, 0, 0, 300 + frame.cx, 200 + frame.cy, SWP_NOMOVE | SWP_NOZORDER);
  RECT client{};
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 300);
  EXPECT_EQ(client.bottom, 200);
  HWND child = Make("TPanel", "", w);
  SetWindowPos(child, nullptr, 5, 6, 10, 10, SWP_NOZORDER);
  GetWindowRect(child, &r);
  EXPECT_EQ(r.left, 35);  // on the desktop
  EXPECT_EQ(r.right - r.left, 10);  // a child window has no frame here
  EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE), 0);
  SetWindowLongA(w, GWL_EXSTYLE, WS_EX_CLIENTEDGE);
  EXPECT_EQ(GetWindowLongA(w, GWL_EXSTYLE), static_cast<LONG_PTR>(WS_EX_CLIENTEDGE));
}

}  // namespace
