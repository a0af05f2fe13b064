// The end of a fountain run: the mouse rules without a latch, the keys, the password check, the
// sound, the teardown at most once, and the display's errors.
#include "platform/winmm/AudioSink.h"
#include "platform/winmm/SoundRecorder.h"
#include "tests/savers/fountain/FountainFixture.h"

namespace fountain_test {
namespace {

using saver_test::FakePasswordProvider;

class EndTest : public FountainTest {
 protected:
  void TearDown() override {
    winmm::SetAudioSinkFactory(nullptr);
    FountainTest::TearDown();
  }
  static TForm1* Scene(bool TermMouse) {
    return SceneWith([&](TSaverSettings& s) { s.TermMouse = TermMouse; });
  }
  static bool Ended(TForm1* Form) { return Application->GetTerminated() && !Form->DDmain1->GetEnabled(); }
};

struct Move {
  int X, Y;
};
struct MouseCase {
  const char* Name;
  bool TermMouse;
  std::vector<Move> Moves;
  bool Ends;
};

TEST_F(EndTest, MouseRules) {
  const MouseCase cases[] = {
      {"the first event only records", true, {{400, 300}}, false},
      {"exactly 5 pixels", true, {{400, 300}, {405, 295}}, false},
      {"6 pixels across", true, {{400, 300}, {406, 300}}, true},
      {"6 pixels down", true, {{400, 300}, {400, 306}}, true},
      {"from x 0 only y counts", true, {{0, 300}, {300, 303}}, false},
      {"from x 0 a y move ends", true, {{0, 300}, {300, 310}}, true},
      {"keyboard only", false, {{400, 300}, {600, 500}}, false},
  };
  for (const MouseCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TForm1* form = Scene(c.TermMouse);
    for (const Move& m : c.Moves) form->FormMouseMove(form, {}, m.X, m.Y);
    EXPECT_EQ(Ended(form), c.Ends);
    EXPECT_EQ(form->LastMouseX, c.Moves.back().X);
    ResetApplicationForTest();
  }
}

// No latch: a refused password resumes the run, and the next move asks again at once.
TEST_F(EndTest, RefusedPasswordResumesAndTheMouseAsksAgain) {
  const FakePasswordProvider provider;
  FakePasswordProvider::Answer = FALSE;
  TForm1* form = Scene(true);
  form->FormMouseMove(form, {}, 100, 100);
  form->FormMouseMove(form, {}, 200, 100);
  EXPECT_EQ(FakePasswordProvider::Asked, 1);
  EXPECT_FALSE(Ended(form));
  EXPECT_TRUE(form->DDtimer1->GetEnabled());  // started again
  EXPECT_EQ(user::CursorCounter(), -1);
  EXPECT_FALSE(form->EndGuard);
  form->FormMouseMove(form, {}, 300, 100);
  EXPECT_EQ(FakePasswordProvider::Asked, 2);
  FakePasswordProvider::Answer = TRUE;
  form->FormMouseMove(form, {}, 400, 100);
  EXPECT_EQ(FakePasswordProvider::Asked, 3);
  EXPECT_TRUE(Ended(form));
}

TEST_F(EndTest, KeysEndTheRunOrMoveTheClock) {
  TForm1* form = Scene(true);
  WORD key = 'A';
  form->FormKeyDown(form, key, {});
  EXPECT_TRUE(Ended(form));
  ResetApplicationForTest();

  form = Scene(false);
  key = VK_LEFT;
  form->FormKeyDown(form, key, {});
  char plain = 'a';
  form->FormKeyPress(form, plain);
  EXPECT_FALSE(Ended(form));
  int stored = 0;
  Key()->Read("clockX", &stored);
  EXPECT_EQ(stored, 933);
  EXPECT_EQ(form->DXClock1->GetXcenter(), 933);
  char escape = 27;
  form->FormKeyPress(form, escape);
  EXPECT_TRUE(Ended(form));
}

// A key asks for the end twice (key down, then its character); a late display error after the
// end shows nothing.
TEST_F(EndTest, TheTeardownRunsOnce) {
  TForm1* form = Scene(true);
  WORD key = VK_SPACE;
  form->FormKeyDown(form, key, {});
  char space = ' ';
  form->FormKeyPress(form, space);
  EXPECT_TRUE(Ended(form));
  EXPECT_EQ(user::CursorCounter(), 0);
  EXPECT_FALSE(user::ScreenSaverRunning());
  form->DDmain1->SetErrorResult("Error late");
  form->DDmain1Error(form->DDmain1);
  EXPECT_TRUE(Shown().empty());
}

TEST_F(EndTest, SoundPlaysWhileTheRunLastsAndOnlyWhenChosen) {
  for (const bool play : {true, false}) {
    SCOPED_TRACE(play);
    const auto sound = winmm::InstallSoundRecorder();
    TForm1* form = SceneWith([&](TSaverSettings& s) { s.flag_PlaySound = play; });
    EXPECT_EQ(sound->Starts(), play ? 1 : 0);
    EXPECT_EQ(sound->Playing(), play);
    if (play) EXPECT_EQ(sound->Format().channels, 2);
    WORD key = 'A';
    form->FormKeyDown(form, key, {});
    EXPECT_TRUE(Ended(form));
    EXPECT_FALSE(sound->Playing());
    ResetApplicationForTest();
  }
}

// A display error in the middle of a frame tears the scene down once, with its text; the sprites'
// surfaces go before the display.
TEST_F(EndTest, DisplayErrorInAFrameTearsDownOnceWithItsText) {
  TForm1* form = Scene(true);
  ddraw::FailCall(ddraw::Op::IsLost, 1, DDERR_GENERIC);
  bool done = true;
  form->RenderFrame(form, done);
  ASSERT_EQ(Shown().size(), 1u);
  EXPECT_EQ(Shown()[0].text, "Unrecognized ERROR ClearBackSurface");
  EXPECT_EQ(Shown()[0].caption, "ERROR");
  EXPECT_TRUE(Ended(form));
  EXPECT_EQ(form->DDani1water->GetSurface(0), nullptr);
  form->RenderFrame(form, done);  // nothing more is drawn or reported
  EXPECT_TRUE(done);
  form->DDmain1->FlipSurfaces();  // "Error FpDD==NULL" reaches the handler again
  form->RequestEnd();
  EXPECT_EQ(Shown().size(), 1u);
}

}  // namespace
}  // namespace fountain_test
