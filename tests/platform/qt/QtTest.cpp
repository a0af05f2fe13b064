// The Qt peers on the offscreen platform: input from a window's widget reaching the form's
// events, the form's state shown by the widget, the cursor and the full-screen display device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QScreen>
#include <algorithm>
#include <cstdlib>
#include <random>
#include <thread>

#include "platform/ddraw/DDraw.h"
#include "platform/ddraw/Driver.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/qt/KeyMap.h"
#include "platform/qt/QtPlatform.h"
#include "platform/qt/WindowWidget.h"
#include "platform/vcl/Forms.h"

namespace {

class TInputForm : public TForm {
 public:
  explicit TInputForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    SetCaption("Quillmont");
    OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) {
      Keys.push_back(Key);
      LastShift = Shift;
    };
    OnKeyPress = [this](TObject*, char& Key) { Chars.push_back(Key); };
    OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { Moves.push_back({X, Y}); };
  }
  std::vector<WORD> Keys;
  std::vector<char> Chars;
  std::vector<POINT> Moves;
  TShiftState LastShift;
};

qt::WindowWidget* WidgetOf(HWND hwnd) {
  for (QWidget* w : QApplication::allWidgets())
    if (auto* ww = dynamic_cast<qt::WindowWidget*>(w); ww && ww->Handle() == hwnd) return ww;
  return nullptr;
}

class QtTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  void SetUp() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();  // this also takes out the display device factory: install again
    qt::Uninstall();
    ASSERT_TRUE(qt::Install());
    Application->Initialize();
    Application->CreateForm(form);
    form->Show();
    QCoreApplication::processEvents();
    widget = WidgetOf(form->GetHandle());
    ASSERT_NE(widget, nullptr);
  }
  void TearDown() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();
  }
  TInputForm* form = nullptr;
  qt::WindowWidget* widget = nullptr;
};

TEST_F(QtTest, EscapeFromTheWidgetReachesKeyDownAndKeyPress) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &press);
  Application->ProcessMessages();
  EXPECT_EQ(form->Keys, std::vector<WORD>{VK_ESCAPE});
  EXPECT_EQ(form->Chars, std::vector<char>{27});
}

TEST_F(QtTest, KeysCarryTheirCharacterAndShiftState) {
  QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::ShiftModifier, "A");
  QKeyEvent left(QEvent::KeyPress, Qt::Key_Left, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &a);
  Application->ProcessMessages();
  EXPECT_EQ(form->LastShift, TShiftState{ssShift});
  QCoreApplication::sendEvent(widget, &left);
  Application->ProcessMessages();
  EXPECT_EQ(form->Keys, (std::vector<WORD>{'A', VK_LEFT}));
  EXPECT_EQ(form->Chars, std::vector<char>{'A'});  // an arrow types nothing
  EXPECT_TRUE(form->LastShift.Empty());
}

TEST_F(QtTest, MouseMovesArriveInClientCoordinates) {
  QMouseEvent move(QEvent::MouseMove, QPointF(12, 34), widget->mapToGlobal(QPointF(12, 34)), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &move);
  Application->ProcessMessages();
  ASSERT_EQ(form->Moves.size(), 1u);
  EXPECT_EQ(form->Moves[0].x, 12);
  EXPECT_EQ(form->Moves[0].y, 34);
}

TEST_F(QtTest, ClosingTheWidgetAsksTheFormWhichEndsTheApplication) {
  widget->close();
  EXPECT_TRUE(widget->isVisible());  // the form decides
  Application->ProcessMessages();
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(QtTest, WidgetShowsCaptionFrameAndVisibility) {
  EXPECT_EQ(widget->windowTitle(), "Quillmont");
  EXPECT_TRUE(widget->windowFlags().testFlag(Qt::FramelessWindowHint));
  QPointer<qt::WindowWidget> old = widget;
  form->SetBorderStyle(bsSizeable);
  EXPECT_TRUE(old.isNull());
  qt::WindowWidget* framed = WidgetOf(form->GetHandle());
  ASSERT_NE(framed, nullptr);
  EXPECT_FALSE(framed->windowFlags().testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(framed->isVisible());
  form->Hide();
  EXPECT_FALSE(framed->isVisible());
}

TEST_F(QtTest, CursorIsHiddenWhileTheCounterIsBelowZero) {
  ShowCursor(FALSE);
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BlankCursor);
  ShowCursor(FALSE);
  ShowCursor(TRUE);
  EXPECT_NE(QGuiApplication::overrideCursor(), nullptr);
  ShowCursor(TRUE);
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(QtTest, InputPostedFromAnotherThreadWakesTheWaitingLoop) {
  std::thread poster;
  int idles = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    Done = true;  // wait in Qt's event loop
    if (++idles == 1) poster = std::thread([h = form->GetHandle()] { user::PostInput(h, WM_CLOSE, 0, 0); });
  };
  Application->Run();
  poster.join();
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(QtTest, MonitorCountIsTheScreenCount) {
  EXPECT_EQ(GetSystemMetrics(SM_CMONITORS), static_cast<int>(QGuiApplication::screens().size()));
}

TEST_F(QtTest, DesktopModeIsTheScreensTheProgramsAreShownOn) {
  const QScreen* screen = QGuiApplication::primaryScreen();
  ASSERT_NE(screen, nullptr);
  const QSize size = screen->size() * screen->devicePixelRatio();
  EXPECT_EQ(gdi::GetDesktopMode().width, size.width());
  EXPECT_EQ(gdi::GetDesktopMode().height, size.height());
  EXPECT_EQ(gdi::GetDesktopMode().bitsPerPixel, screen->depth());
}

// Opens DirectDraw exclusive on the form's window in `mode`, with its primary and back buffer.
struct ExclusiveDisplay {
  LPDIRECTDRAW dd = nullptr;
  LPDIRECTDRAW7 dd7 = nullptr;
  LPDIRECTDRAWSURFACE7 primary = nullptr;
  LPDIRECTDRAWSURFACE7 back = nullptr;

  ExclusiveDisplay(HWND window, DWORD width, DWORD height, DWORD depth = 32) {
    EXPECT_EQ(DirectDrawCreate(nullptr, &dd, nullptr), DD_OK);
    EXPECT_EQ(dd->QueryInterface(IID_IDirectDraw7, reinterpret_cast<LPVOID*>(&dd7)), DD_OK);
    EXPECT_EQ(dd7->SetCooperativeLevel(window, 0x53), DD_OK);
    EXPECT_EQ(dd7->SetDisplayMode(width, height, depth, 0, 0), DD_OK);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    EXPECT_EQ(dd7->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
    EXPECT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
  }
  ~ExclusiveDisplay() {
    back->Release();
    primary->Release();
    dd7->Release();
    dd->Release();
  }
  void Fill(DWORD pixel) {
    DDBLTFX fx{sizeof(DDBLTFX), pixel};
    back->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
  }
  // Random bytes in every pixel of the back buffer, the same ones for the same seed.
  void Scribble(unsigned seed) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof desc;
    ASSERT_EQ(back->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    std::mt19937 random(seed);
    const DWORD rowBytes = desc.dwWidth * desc.ddpfPixelFormat.dwRGBBitCount / 8;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
      auto* row = static_cast<std::uint8_t*>(desc.lpSurface) + static_cast<std::ptrdiff_t>(y) * desc.lPitch;
      for (DWORD x = 0; x < rowBytes; ++x) row[x] = static_cast<std::uint8_t>(random());
    }
    ASSERT_EQ(back->Unlock(nullptr), DD_OK);
  }
  void SetRamp(const DDGAMMARAMP& ramp) {
    LPDIRECTDRAWGAMMACONTROL gamma = nullptr;
    ASSERT_EQ(primary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<LPVOID*>(&gamma)), DD_OK);
    EXPECT_EQ(gamma->SetGammaRamp(0, &ramp), DD_OK);
    gamma->Release();
  }
};

TEST_F(QtTest, ExclusiveWindowShowsTheFrameFullScreenWithAspectAndGamma) {
  const QSize screen = widget->screen()->geometry().size();
  // A mode twice as wide as high on a screen that is not: bars above and below.
  ddraw::SetModes({{screen.width(), screen.width() / 2, 32}});
  {
    ExclusiveDisplay display(form->GetHandle(), static_cast<DWORD>(screen.width()), static_cast<DWORD>(screen.width() / 2));
    LPDIRECTDRAWGAMMACONTROL gamma = nullptr;
    ASSERT_EQ(display.primary->QueryInterface(IID_IDirectDrawGammaControl, reinterpret_cast<LPVOID*>(&gamma)), DD_OK);
    DDGAMMARAMP ramp{};
    for (int i = 0; i < 256; ++i) {
      ramp.red[i] = static_cast<WORD>(i << 8);          // as is
      ramp.green[i] = static_cast<WORD>((i / 2) << 8);  // halved
      ramp.blue[i] = 0;                                 // off
    }
    gamma->SetGammaRamp(0, &ramp);
    display.Fill(0x00FF8040);  // red FF, green 80, blue 40
    display.primary->Flip(nullptr, 0);
    QCoreApplication::processEvents();

    EXPECT_TRUE(widget->isFullScreen());
    EXPECT_EQ(widget->geometry(), widget->screen()->geometry());
    const QImage shown = widget->grab().toImage();
    EXPECT_EQ(shown.pixel(screen.width() / 2, screen.height() / 2) & 0xFFFFFF, 0xFF4000u);
    EXPECT_EQ(shown.pixel(screen.width() / 2, 2) & 0xFFFFFF, 0x000000u);  // the bar
    EXPECT_EQ(shown.pixel(screen.width() / 2, screen.height() - 2) & 0xFFFFFF, 0x000000u);
    gamma->Release();
  }
  // Releasing DirectDraw gives the window its own place back.
  QCoreApplication::processEvents();
  EXPECT_FALSE(widget->isFullScreen());
}

// The window shows, pixel for pixel, what the headless display shows of the same frame: at
// every depth, with the identity ramp, a linear one and one of random entries; in the offscreen
// backing store and drawn into an image with opacity, as an X server's backing store is.
TEST_F(QtTest, TheShownFrameIsTheHeadlessDisplaysAtEveryDepthAndRamp) {
  DDGAMMARAMP identity{}, linear{}, scattered{};
  std::mt19937 random(7);
  for (int i = 0; i < 256; ++i) {
    identity.red[i] = identity.green[i] = identity.blue[i] = static_cast<WORD>(i * 257);
    linear.red[i] = static_cast<WORD>(i * 230);
    linear.green[i] = static_cast<WORD>(i * 256);
    linear.blue[i] = static_cast<WORD>(i * 120);
    scattered.red[i] = static_cast<WORD>(random());
    scattered.green[i] = static_cast<WORD>(random());
    scattered.blue[i] = static_cast<WORD>(random());
  }
  const QSize screen = widget->screen()->geometry().size();
  const auto width = static_cast<DWORD>(screen.width()), height = static_cast<DWORD>(screen.height());
  // The window's frames first, then the headless display's, each drawn from the same seed.
  QImage rendered(screen, QImage::Format_ARGB32_Premultiplied);
  auto show = [&](int depth, const DDGAMMARAMP& ramp, bool headless) {
    ddraw::SetModes({{screen.width(), screen.height(), depth}});
    ExclusiveDisplay display(form->GetHandle(), width, height, static_cast<DWORD>(depth));
    display.SetRamp(ramp);
    display.Scribble(static_cast<unsigned>(depth));
    display.primary->Flip(nullptr, 0);
    QCoreApplication::processEvents();
    if (headless) return std::pair{ddraw::HeadlessLastFrame().pixels, std::vector<std::uint32_t>{}};
    std::vector<std::uint32_t> shown(static_cast<std::size_t>(width) * height), opaque(shown.size());
    const QImage grabbed = widget->screen()->grabWindow(widget->winId()).toImage();
    widget->render(&rendered);
    for (int y = 0; y < screen.height(); ++y) {
      for (int x = 0; x < screen.width(); ++x) {
        const auto at = static_cast<std::size_t>(y) * width + x;
        if (grabbed.valid(x, y)) shown[at] = grabbed.pixel(x, y) & 0xFFFFFF;
        opaque[at] = rendered.pixel(x, y);
      }
    }
    return std::pair{shown, opaque};
  };
  struct Case {
    int depth;
    const DDGAMMARAMP* ramp;
    const char* name;
    std::pair<std::vector<std::uint32_t>, std::vector<std::uint32_t>> window;
  };
  std::vector<Case> cases;
  for (int depth : {8, 16, 24, 32})
    for (auto [ramp, name] : {std::pair{&identity, "identity"}, {&linear, "linear"}, {&scattered, "scattered"}})
      cases.push_back({depth, ramp, name, show(depth, *ramp, false)});
  ddraw::SetDeviceFactory([](HWND, int monitor) { return ddraw::MakeHeadlessDevice(monitor); });
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.depth << " bits, " << c.name << " ramp");
    const std::vector<std::uint32_t> headless = show(c.depth, *c.ramp, true).first;
    const auto& [shown, opaque] = c.window;
    ASSERT_EQ(headless.size(), shown.size());
    const auto differs = std::mismatch(shown.begin(), shown.end(), headless.begin());
    EXPECT_EQ(differs.first, shown.end()) << "shown: first difference at pixel " << differs.first - shown.begin();
    const auto differsOpaque = std::mismatch(opaque.begin(), opaque.end(), headless.begin(),
                                             [](std::uint32_t o, std::uint32_t h) { return o == (h | 0xFF000000); });
    EXPECT_EQ(differsOpaque.first, opaque.end())
        << "with opacity: first difference at pixel " << differsOpaque.first - opaque.begin();
  }
}

TEST(QtKeyMapTest, QtKeysMapToVirtualKeys) {
  struct Case {
    int key;
    Qt::KeyboardModifiers modifiers;
    WORD vk;
  };
  const Case cases[] = {
      {Qt::Key_Escape, Qt::NoModifier, VK_ESCAPE}, {Qt::Key_Left, Qt::NoModifier, VK_LEFT},
      {Qt::Key_Down, Qt::NoModifier, VK_DOWN},     {Qt::Key_Q, Qt::NoModifier, 'Q'},
      {Qt::Key_7, Qt::NoModifier, '7'},            {Qt::Key_7, Qt::KeypadModifier, VK_NUMPAD0 + 7},
      {Qt::Key_Plus, Qt::NoModifier, VK_OEM_PLUS}, {Qt::Key_Plus, Qt::KeypadModifier, VK_ADD},
      {Qt::Key_F5, Qt::NoModifier, VK_F1 + 4},     {Qt::Key_Shift, Qt::ShiftModifier, VK_SHIFT},
      {Qt::Key_MediaPlay, Qt::NoModifier, VK_UNMAPPED},
  };
  for (const Case& c : cases) EXPECT_EQ(qt::VirtualKeyOf(c.key, c.modifiers), c.vk) << std::hex << c.key;
  EXPECT_EQ(qt::CharacterOf(Qt::Key_Plus, "+"), '+');
  EXPECT_EQ(qt::CharacterOf(Qt::Key_Return, ""), 13);
  EXPECT_EQ(qt::CharacterOf(Qt::Key_Delete, "\x7f"), 0);
  EXPECT_EQ(qt::CharacterOf(Qt::Key_Left, ""), 0);
}

}  // namespace
