// The end of a run: every key and mouse rule in both terminate modes, the clock and gamma keys
// with their registry writes, the password check, the teardown and the display's errors.
#include <limits>
#include <tuple>

#include "tests/savers/waterfall/SceneFixture.h"
#include "tests/support/FileSizeCap.h"

namespace waterfall_test {
namespace {

using saver_test::FakePasswordProvider;

class EndTest : public SceneTest {
 protected:
  TForm1* Scene(bool TermMouse) {
    return SceneWith([&](TWaterfallSettings& s) { s.TermMouse = TermMouse; });
  }

  static void Key(TForm1* Form, WORD Code) { Form->FormKeyDown(Form, Code, {}); }
  static void Char(TForm1* Form, char Code) { Form->FormKeyPress(Form, Code); }

  static int Stored(const char* Name) {
    TSetReg store(nullptr);
    store.SetCompanyName("Quillmont");
    store.SetProductName("Rillmoor");
    int value = -1;
    store.Read(Name, &value);
    return value;
  }
  static void Poke(const char* Name, int Value) {
    TSetReg store(nullptr);
    store.SetCompanyName("Quillmont");
    store.SetProductName("Rillmoor");
    store.Write(Name, Value);
  }

  static bool Ended(TForm1* Form) { return Application->GetTerminated() && !Form->DDmain1->GetEnabled(); }
};

TEST_F(EndTest, AnyKeyOrCharacterEndsInKeyAndMouseMode) {
  for (WORD code : {WORD{'A'}, VK_LEFT, VK_SHIFT, VK_ESCAPE}) {
    SCOPED_TRACE(code);
    TForm1* form = Scene(true);
    Key(form, code);
    EXPECT_TRUE(Ended(form));
    ResetApplicationForTest();
  }
  TForm1* form = Scene(true);
  Char(form, 'x');
  EXPECT_TRUE(Ended(form));
}

TEST_F(EndTest, TheEndTearsTheRunDown) {
  TForm1* form = Scene(true);
  Key(form, 'A');
  EXPECT_FALSE(form->DDtimer1->GetEnabled());
  EXPECT_EQ(form->DDbmp1ground->GetSurface(), nullptr);
  EXPECT_EQ(form->DDani1Eagles->GetSurface(0), nullptr);
  EXPECT_EQ(form->Eagles[0], nullptr);
  EXPECT_EQ(form->Butterflies[0], nullptr);
  EXPECT_EQ(ddraw::HeadlessMode(), std::nullopt);  // the desktop's mode is back
  EXPECT_FALSE(user::ScreenSaverRunning());
  EXPECT_EQ(user::CursorCounter(), 0);
  EXPECT_EQ(form->GetBorderStyle(), bsSizeable);
  EXPECT_FALSE(form->GetVisible());
  EXPECT_TRUE(Shown().empty());
  form->DDtimer1Timer(form->DDtimer1);  // a tick that was on its way steps no freed flyer
}

TEST_F(EndTest, LaterEndRequestsDoNothing) {
  TForm1* form = Scene(true);
  Key(form, 'A');
  Char(form, 'a');  // the character event of the same key press
  form->RequestEnd();
  form->DDmain1Error(form->DDmain1);
  EXPECT_EQ(user::CursorCounter(), 0);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(EndTest, TheQueuedCharacterOfTheEndingKeyIsDropped) {
  TForm1* form = Scene(true);
  HWND window = form->GetHandle();
  user::PostInput(window, WM_KEYDOWN, 'A', 0);
  user::PostInput(window, WM_CHAR, 'a', 0);
  Application->ProcessMessages();
  EXPECT_TRUE(Ended(form));
  EXPECT_NE(form->GetHandle(), window);
}

TEST_F(EndTest, MouseMovementOfMoreThanFivePixelsEnds) {
  struct Move {
    POINT From, To;
    bool Ends;
  };
  for (const Move& m : {Move{{100, 100}, {105, 100}, false}, Move{{100, 100}, {106, 100}, true},
                        Move{{100, 100}, {100, 94}, true}, Move{{100, 100}, {95, 105}, false},
                        Move{{0, 100}, {50, 100}, false}, Move{{100, 0}, {100, 50}, false}}) {
    SCOPED_TRACE(testing::Message() << m.From.x << "," << m.From.y << " -> " << m.To.x << "," << m.To.y);
    TForm1* form = Scene(true);
    form->FormMouseMove(form, {}, m.From.x, m.From.y);
    EXPECT_FALSE(Application->GetTerminated());  // the first event only records
    form->FormMouseMove(form, {}, m.To.x, m.To.y);
    EXPECT_EQ(Ended(form), m.Ends);
    ResetApplicationForTest();
  }
}

TEST_F(EndTest, KeyOnlyModeEndsOnEscapeAlone) {
  TForm1* form = Scene(false);
  Key(form, 'A');
  Key(form, VK_ESCAPE);
  Char(form, 'a');
  form->FormMouseMove(form, {}, 100, 100);
  form->FormMouseMove(form, {}, 300, 300);
  EXPECT_FALSE(Application->GetTerminated());
  Char(form, 27);
  EXPECT_TRUE(Ended(form));
}

struct ArrowCase {
  WORD Key;
  int ClockX, ClockY;  // before the key
  int ExpectX, ExpectY;
};

TEST_F(EndTest, ArrowKeysMoveTheClockWithinItsMarginsAndStoreIt) {
  // 1024 x 768, radius 70: the centre stays within 90 .. 934 and 90 .. 678.
  for (const ArrowCase& c : {ArrowCase{VK_LEFT, 91, 300, 90, 300}, ArrowCase{VK_LEFT, 90, 300, 90, 300},
                             ArrowCase{VK_RIGHT, 933, 300, 934, 300}, ArrowCase{VK_RIGHT, 934, 300, 934, 300},
                             ArrowCase{VK_UP, 500, 91, 500, 90}, ArrowCase{VK_UP, 500, 90, 500, 90},
                             ArrowCase{VK_DOWN, 500, 677, 500, 678}, ArrowCase{VK_DOWN, 500, 678, 500, 678}}) {
    SCOPED_TRACE(testing::Message() << c.Key << " at " << c.ClockX << "," << c.ClockY);
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.TermMouse = false; s.clockX = c.ClockX; s.clockY = c.ClockY; });
    Poke("clockX", -5);
    Poke("clockY", -5);
    Key(form, c.Key);
    const bool horizontal = c.Key == VK_LEFT || c.Key == VK_RIGHT;
    EXPECT_EQ(form->DXClock1->GetXcenter(), c.ExpectX);
    EXPECT_EQ(form->DXClock1->GetYcenter(), c.ExpectY);
    EXPECT_EQ(Stored("clockX"), horizontal ? c.ExpectX : -5);  // written also at the limit
    EXPECT_EQ(Stored("clockY"), horizontal ? -5 : c.ExpectY);
    EXPECT_FALSE(Application->GetTerminated());
    ResetApplicationForTest();
  }
}

// Stored settings are not bounded; the sanitizer build stops at any signed overflow.
TEST_F(EndTest, ArrowKeysAndFramesWithExtremeClockSettingsNeverOverflow) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  for (const auto& [x, y, radius] : {std::tuple{kMax, kMax, kMax}, {kMin, kMin, kMin}, {kMax, kMin, 70}, {500, 300, kMax}}) {
    SCOPED_TRACE(testing::Message() << x << "," << y << " radius " << radius);
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.TermMouse = false; s.clockX = x; s.clockY = y; s.clockRad = radius; });
    for (WORD key : {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN}) Key(form, key);
    bool done;
    form->RenderFrame(form, done);
    EXPECT_EQ(Stored("clockX"), form->clockX);
    EXPECT_EQ(Stored("clockY"), form->clockY);
    EXPECT_TRUE(Shown().empty());
    ResetApplicationForTest();
  }
}

TEST_F(EndTest, PlusAndMinusStepTheGammaAndAlwaysStoreIt) {
  for (auto [level, key, expect] : {std::tuple{100, '+', 101}, {100, '-', 99}, {256, '+', 256}, {0, '-', 0}}) {
    SCOPED_TRACE(testing::Message() << level << key);
    TForm1* form = SceneWith([&](TWaterfallSettings& s) { s.TermMouse = false; s.Gamma = level; });
    Poke("Gamma", 7);
    Char(form, key);
    EXPECT_EQ(form->DDgamma1->GetRGB(), expect);
    EXPECT_FALSE(form->DDgamma1->GetEnabled());
    EXPECT_EQ(Stored("Gamma"), expect);
    ResetApplicationForTest();
  }
}

// A full disk: the keys still move the clock and step the gamma, and the first value that
// cannot be stored is said once on standard error; no box covers the scene.
TEST_F(EndTest, KeysThatCannotStoreTheirSettingSaySoOnce) {
  TForm1* form = SceneWith([](TWaterfallSettings& s) {
    s.TermMouse = false;
    s.Gamma = 100;
  });
  testing::internal::CaptureStderr();  // into a file, which the cap leaves room for
  {
    const FileSizeCap full(512);
    for (int i = 0; i < 3; ++i) Char(form, '+');
    Key(form, VK_LEFT);
    Key(form, VK_DOWN);
  }
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, std::string(program_invocation_short_name) + ": cannot store 'Gamma' in the settings file " +
                      (Config / "quillmont" / "registry.txt").string() + "\n");
  EXPECT_EQ(form->DDgamma1->GetRGB(), 103);
  EXPECT_EQ(form->DXClock1->GetXcenter(), 933);
  EXPECT_EQ(Stored("Gamma"), 100);
  EXPECT_TRUE(Shown().empty());
  EXPECT_FALSE(Application->GetTerminated());
}

TEST_F(EndTest, GammaKeysDoNothingWithoutGamma) {
  ddraw::SetGammaCapability(false);
  TForm1* form = Scene(false);
  Poke("Gamma", 7);
  Char(form, '+');
  EXPECT_EQ(Stored("Gamma"), 7);
}

TEST_F(EndTest, RefusedPasswordResumesAndTheEndCanBeAskedAgain) {
  const FakePasswordProvider provider;
  FakePasswordProvider::Answer = FALSE;
  TForm1* form = Scene(true);
  form->FormMouseMove(form, {}, 100, 100);
  form->FormMouseMove(form, {}, 200, 100);
  EXPECT_EQ(FakePasswordProvider::Asked, 1);
  EXPECT_FALSE(Application->GetTerminated());
  EXPECT_TRUE(form->DDmain1->GetEnabled());
  EXPECT_TRUE(form->DDtimer1->GetEnabled());  // the stopped timer was started again
  EXPECT_EQ(user::CursorCounter(), -1);
  EXPECT_FALSE(form->MouseLatch);
  EXPECT_FALSE(form->EndGuard);
  EXPECT_EQ(form->DDmain1->GetTestString3(), "KU-KU!!");  // keeps it for the rest of the run

  FakePasswordProvider::Answer = TRUE;
  Key(form, 'A');
  EXPECT_EQ(FakePasswordProvider::Asked, 2);
  EXPECT_TRUE(Ended(form));
}

TEST_F(EndTest, NoPasswordIsAskedOnTheNtFamily) {
  const FakePasswordProvider provider;
  OSVERSIONINFOA version{};
  version.dwPlatformId = VER_PLATFORM_WIN32_NT;
  win32::SetVersionInfo(version);
  TForm1* form = Scene(true);
  Key(form, 'A');
  EXPECT_EQ(FakePasswordProvider::Asked, 0);
  EXPECT_TRUE(Ended(form));
}

TEST_F(EndTest, WithoutAPasswordProviderTheRunEnds) {
  const FakePasswordProvider provider;
  win32::UnregisterModule("PASSWORD.CPL");
  TForm1* form = Scene(true);
  Key(form, 'A');
  EXPECT_TRUE(Ended(form));
}

TEST_F(EndTest, AnEvenNumberOfFlipsGetsOneMoreBeforeThePassword) {
  for (int frames : {0, 1}) {
    SCOPED_TRACE(frames);
    TForm1* form = Scene(true);
    bool done;
    for (int i = 0; i < frames; ++i) form->RenderFrame(form, done);
    const long before = ddraw::HeadlessFramesPresented();
    Key(form, 'A');
    EXPECT_EQ(ddraw::HeadlessFramesPresented() - before, frames == 0 ? 1 : 0);
    ResetApplicationForTest();
    ddraw::ResetHeadlessDisplay();
  }
}

TEST_F(EndTest, DisplayErrorInAFrameTearsDownOnceWithItsText) {
  TForm1* form = Scene(true);
  ddraw::FailCall(ddraw::Op::IsLost, 1, DDERR_GENERIC);
  bool done = true;
  form->RenderFrame(form, done);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Unrecognized ERROR ClearBackSurface");
  EXPECT_EQ(Shown()[0].caption, "ERROR");
  EXPECT_TRUE(Ended(form));
  EXPECT_EQ(form->Eagles[0], nullptr);
  form->RenderFrame(form, done);  // nothing more is drawn or reported
  EXPECT_TRUE(done);
  form->DDmain1->FlipSurfaces();  // "Error FpDD==NULL" reaches the handler again
  form->RequestEnd();
  EXPECT_EQ(Shown().size(), 1u);
  EXPECT_TRUE(user::ScreenSaverRunning());  // the error handler leaves the flag as it was
}

}  // namespace
}  // namespace waterfall_test
