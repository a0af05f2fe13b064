// Drawing into a window of another program named by its X11 id, as the preview does, on an X
// server of the test's own with Qt on it; bad ids are no windows and do not end the program.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include <QApplication>
#include <QWidget>
#include <QWindow>

#include "platform/gdi/Gdi.h"
#include "platform/qt/QtPlatform.h"
#include "platform/user/UserPeer.h"
#include "platform/user/WinUser.h"
#include "tests/support/VirtualDisplay.h"

#include <X11/Xlib.h>  // last: its macros clash with names in the platform headers
#include <X11/Xutil.h>

namespace {

// The preview draws into a window of another program, named by its X11 id. Qt runs on the X
// display, so that its widgets have X11 windows too.
class NativeWindowTest : public ::testing::Test {
 protected:
  // One server for the process, as there is one QApplication, which is never destroyed: the
  // server ends with the process, so Qt never sees its connection break.
  static void SetUpTestSuite() {
    static const auto* server = new launcher::VirtualDisplay("640x480x24");
    serverName = server->Name();
    setenv("DISPLAY", serverName.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
  }
  void SetUp() override {
    ASSERT_FALSE(serverName.empty()) << "Xvfb did not start";
    ASSERT_TRUE(qt::Install()) << qt::InstallFailure();
    user::GetPeer()->StartToolkit();  // the QApplication, for the widget test
    ASSERT_EQ(QGuiApplication::platformName(), "xcb");
    display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    const int screen = DefaultScreen(display);
    window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, 40, 30, 0, 0, 0);
    XSync(display, False);
  }
  void TearDown() override {
    if (!display) return;
    XDestroyWindow(display, window);
    XCloseDisplay(display);
  }
  HWND Handle() const { return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)); }
  static inline std::string serverName;
  Display* display = nullptr;
  Window window = 0;
};

TEST_F(NativeWindowTest, VisibilityFollowsTheMapStateAndDrawingReachesTheWindow) {
  EXPECT_TRUE(IsWindow(Handle()));
  EXPECT_FALSE(IsWindowVisible(Handle()));
  XMapWindow(display, window);
  XSync(display, False);
  EXPECT_TRUE(IsWindowVisible(Handle()));
  HDC dc = GetDC(Handle());
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, HORZRES), 40);
  SetPixel(dc, 5, 6, RGB(255, 128, 0));
  ReleaseDC(Handle(), dc);
  XImage* image = XGetImage(display, window, 5, 6, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0xFF8000u);
  XDestroyImage(image);
}

TEST_F(NativeWindowTest, ThePreviewDrawsIntoAQtWidgetsNativeWindow) {
  QWidget host;
  host.resize(40, 30);
  host.show();
  while (!host.windowHandle() || !host.windowHandle()->isExposed()) QCoreApplication::processEvents();
  XSync(display, False);
  const auto id = static_cast<Window>(host.winId());
  const HWND hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(id));
  ASSERT_TRUE(IsWindowVisible(hwnd));
  HDC dc = GetDC(hwnd);
  ASSERT_NE(dc, nullptr);
  SetPixel(dc, 2, 3, RGB(0, 0, 255));
  ReleaseDC(hwnd, dc);
  XImage* image = XGetImage(display, id, 2, 3, 1, 1, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  EXPECT_EQ(XGetPixel(image, 0, 0) & 0xFFFFFF, 0x0000FFu);
  XDestroyImage(image);
}

TEST_F(NativeWindowTest, AnIdThatNamesNoWindowIsNoWindow) {
  const HWND bogus = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window + 0x1000));
  EXPECT_FALSE(IsWindow(bogus));
  EXPECT_FALSE(IsWindowVisible(bogus));
  EXPECT_EQ(GetDC(bogus), nullptr);
}

}  // namespace
