// Two screens on the offscreen platform: DirectDraw lists a device per screen, and the display
// device of the second one's GUID shows the window full screen on the second screen.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <vector>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/Driver.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/WindowWidget.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Forms.h"

namespace {

qt::WindowWidget* WidgetOf(HWND hwnd) {
  for (QWidget* w : QApplication::allWidgets())
    if (auto* ww = dynamic_cast<qt::WindowWidget*>(w); ww && ww->Handle() == hwnd) return ww;
  return nullptr;
}

BOOL CollectGuids(GUID* guid, LPSTR, LPSTR, LPVOID context, HMONITOR) {
  static_cast<std::vector<std::optional<GUID>>*>(context)->push_back(guid ? std::optional(*guid) : std::nullopt);
  return TRUE;
}

class ScreensTest : public ::testing::Test {
 protected:
  // Before the application object exists: the offscreen platform with a screen beside the first.
  static void SetUpTestSuite() {
    const auto config = std::filesystem::temp_directory_path() / "quillmont-two-screens.json";
    std::ofstream(config) << R"({"screens": [)"
                          << R"({"name": "left", "x": 0, "y": 0, "width": 1024, "height": 768},)"
                          << R"({"name": "right", "x": 1024, "y": 0, "width": 800, "height": 600}]})";
    setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
  }
  void SetUp() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();
    qt::Uninstall();
    ASSERT_TRUE(qt::Install());
    Application->Initialize();
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    Application->CreateForm(form);
    form->SetBorderStyle(bsNone);
    form->Show();
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();
  }

  // The screen the form's window covers while a DirectDraw object made for `guid` holds it.
  QScreen* ShownOn(GUID* guid) {
    IDirectDraw* dd = nullptr;
    IDirectDraw7* dd7 = nullptr;
    EXPECT_EQ(DirectDrawCreate(guid, &dd, nullptr), DD_OK);
    if (!dd) return nullptr;
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDraw7, reinterpret_cast<LPVOID*>(&dd7)), DD_OK);
    EXPECT_EQ(dd7->SetCooperativeLevel(form->GetHandle(), 0x53), DD_OK);
    EXPECT_EQ(dd7->SetDisplayMode(800, 600, 32, 0, 0), DD_OK);
    QCoreApplication::processEvents();
    qt::WindowWidget* widget = WidgetOf(form->GetHandle());
    QScreen* screen = widget && widget->ShowsDisplay() && widget->geometry() == widget->screen()->geometry()
                          ? widget->screen()
                          : nullptr;
    dd7->Release();
    dd->Release();
    return screen;
  }

  TForm* form = nullptr;
};

TEST_F(ScreensTest, TheSecondMonitorsDeviceShowsOnTheSecondScreen) {
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), 2);
  std::vector<std::optional<GUID>> devices;
  ASSERT_EQ(DirectDrawEnumerateExA(&CollectGuids, &devices, DDENUM_ATTACHEDSECONDARYDEVICES), DD_OK);
  ASSERT_EQ(devices.size(), 3u);  // the primary display driver, then one device per screen
  ASSERT_TRUE(devices[2]);
  EXPECT_EQ(ShownOn(&*devices[2]), QGuiApplication::screens()[1]);
  EXPECT_EQ(ShownOn(&*devices[1]), QGuiApplication::screens()[0]);
}

TEST_F(ScreensTest, ThePrimaryDisplayDriverKeepsTheWindowsScreen) {
  EXPECT_EQ(ShownOn(nullptr), QGuiApplication::screens()[0]);
}

}  // namespace
