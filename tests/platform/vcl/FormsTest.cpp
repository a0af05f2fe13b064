// Forms and the application object without a toolkit: creation, the message loop with its idle
// event, closing, exceptions, border-style changes and input dispatch with virtual-key codes.
#include <gtest/gtest.h>

#include <thread>

#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"

namespace {

// A form built in code, as the programs build theirs: the constructor binds the events.
class TTestForm : public TForm {
 public:
  explicit TTestForm(TComponent* AOwner) : TForm(AOwner) {
    SetBorderStyle(bsNone);
    OnCreate = [this](TObject*) { ++Creates; };
    OnKeyDown = [this](TObject*, WORD& Key, TShiftState Shift) {
      Keys.push_back(Key);
      LastShift = Shift;
      if (KeyDownAction) KeyDownAction(Key);
    };
    OnKeyPress = [this](TObject*, char& Key) { Chars.push_back(Key); };
    OnMouseMove = [this](TObject*, TShiftState Shift, int X, int Y) {
      Moves.push_back({X, Y});
      LastShift = Shift;
    };
  }
  int Creates = 0;
  std::vector<WORD> Keys;
  std::vector<char> Chars;
  std::vector<POINT> Moves;
  TShiftState LastShift;
  std::function<void(WORD&)> KeyDownAction;
};

class FormsTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetApplicationForTest(); }
  void TearDown() override { ResetApplicationForTest(); }
};

TEST_F(FormsTest, CreateFormRunsOnCreateOnceAndTheFirstFormIsTheMainForm) {
  TTestForm* first = nullptr;
  TTestForm* second = nullptr;
  Application->CreateForm(first);
  Application->CreateForm(second);
  EXPECT_EQ(first->Creates, 1);
  EXPECT_EQ(second->Creates, 1);
  EXPECT_EQ(Application->GetMainForm(), first);
  EXPECT_EQ(first->GetOwner(), Application);
  EXPECT_FALSE(first->GetVisible());  // shown by Run, not by CreateForm
}

TEST_F(FormsTest, AnExceptionFromOnCreateIsShownAndTheFormKept) {
  struct TFailing : TForm {
    explicit TFailing(TComponent* AOwner) : TForm(AOwner) {
      OnCreate = [](TObject*) { throw Exception("Failed to get data for 'Gamma'"); };
    }
  };
  user::ScopedMessageBoxSink boxes;
  Application->SetTitle("Screen saver");
  TFailing* form = nullptr;
  Application->CreateForm(form);
  ASSERT_EQ(boxes.Calls().size(), 1u);
  EXPECT_EQ(boxes.Calls()[0].text, "Failed to get data for 'Gamma'");
  EXPECT_EQ(boxes.Calls()[0].caption, "Screen saver");
  EXPECT_EQ(Application->GetMainForm(), form);
}

TEST_F(FormsTest, RunCallsOnIdleAgainAtOnceWhileNotDoneAndEndsWhenTheMainFormCloses) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  int idles = 0;
  Application->OnIdle = [&](TObject* Sender, bool& Done) {
    EXPECT_EQ(Sender, Application);
    EXPECT_TRUE(IsWindowVisible(form->GetHandle()));  // Run showed the main form
    Done = false;
    if (++idles == 5) form->Close();
  };
  Application->Run();
  EXPECT_EQ(idles, 5);
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(FormsTest, IdleThatIsDoneWaitsForInputFromAnotherThread) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  HWND hwnd = form->GetHandle();
  std::thread poster;
  int idles = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    Done = true;
    if (++idles == 1) poster = std::thread([hwnd] { user::PostInput(hwnd, WM_CLOSE, 0, 0); });
  };
  Application->Run();
  poster.join();
  EXPECT_EQ(idles, 1);  // the wait ended with the close, no idle pass in between
}

TEST_F(FormsTest, AnExceptionFromAHandlerIsShownAndTheLoopGoesOn) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  form->KeyDownAction = [&](WORD& Key) {
    if (Key == 'A') throw Exception("boom");
    if (Key == VK_ESCAPE) form->Close();
  };
  user::ScopedMessageBoxSink boxes;
  user::PostInput(form->GetHandle(), WM_KEYDOWN, 'A', 0);
  user::PostInput(form->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
  Application->Run();
  ASSERT_EQ(boxes.Calls().size(), 1u);
  EXPECT_EQ(boxes.Calls()[0].text, "boom");
  EXPECT_EQ(boxes.Calls()[0].type, MB_OK | MB_ICONSTOP);
  EXPECT_EQ(form->Keys, (std::vector<WORD>{'A', VK_ESCAPE}));
}

TEST_F(FormsTest, ProcessMessagesHandlesWhatIsQueuedAndReturns) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  user::PostInput(form->GetHandle(), WM_CHAR, 'x', 0);
  user::PostInput(form->GetHandle(), WM_CHAR, 'y', 0);
  Application->ProcessMessages();
  EXPECT_EQ(form->Chars, (std::vector<char>{'x', 'y'}));
  Application->ProcessMessages();  // nothing queued: returns at once
  EXPECT_FALSE(Application->GetTerminated());
}

TEST_F(FormsTest, KeyCharAndMouseReachTheFormsEvents) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  HWND hwnd = form->GetHandle();
  user::PostInput(hwnd, WM_KEYDOWN, VK_LEFT, 0, {.shift = true});
  Application->ProcessMessages();
  EXPECT_EQ(form->Keys, std::vector<WORD>{0x25});
  EXPECT_EQ(form->LastShift, TShiftState{ssShift});
  user::PostInput(hwnd, WM_CHAR, 27, 0);
  user::PostInput(hwnd, WM_MOUSEMOVE, 0, MAKELPARAM(640, 480), {.control = true, .left = true});
  Application->ProcessMessages();
  EXPECT_EQ(form->Chars, std::vector<char>{27});
  ASSERT_EQ(form->Moves.size(), 1u);
  EXPECT_EQ(form->Moves[0].x, 640);
  EXPECT_EQ(form->Moves[0].y, 480);
  EXPECT_EQ(form->LastShift, (TShiftState{ssCtrl, ssLeft}));
}

TEST_F(FormsTest, ChangingTheBorderStyleRecreatesTheWindowAndDropsItsQueuedInput) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  const HWND before = form->GetHandle();
  // One key press gives a key-down and a character; the first handler changes the border.
  form->KeyDownAction = [&](WORD&) { form->SetBorderStyle(bsSizeable); };
  user::PostInput(before, WM_KEYDOWN, 'Q', 0);
  user::PostInput(before, WM_CHAR, 'q', 0);
  Application->ProcessMessages();
  EXPECT_EQ(form->Keys.size(), 1u);
  EXPECT_TRUE(form->Chars.empty());
  EXPECT_NE(form->GetHandle(), before);
  EXPECT_FALSE(IsWindow(before));
  EXPECT_EQ(user::GetWindowState(form->GetHandle())->frame, user::Frame::Sizeable);
}

TEST_F(FormsTest, SettingTheSameBorderStyleKeepsTheWindow) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  const HWND before = form->GetHandle();
  form->SetBorderStyle(bsNone);
  EXPECT_EQ(form->GetHandle(), before);
}

TEST_F(FormsTest, CloseAsksOnCloseQueryAndOnClose) {
  TTestForm* main = nullptr;
  TTestForm* other = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(other);
  bool allow = false;
  main->OnCloseQuery = [&](TObject*, bool& CanClose) { CanClose = allow; };
  main->Close();
  EXPECT_FALSE(Application->GetTerminated());
  allow = true;
  main->OnClose = [](TObject*, TCloseAction& Action) { Action = caNone; };
  main->Close();
  EXPECT_FALSE(Application->GetTerminated());

  other->Show();
  other->Close();  // not the main form: hidden
  EXPECT_FALSE(other->GetVisible());
  EXPECT_FALSE(Application->GetTerminated());

  main->OnClose = nullptr;
  main->Close();
  EXPECT_TRUE(Application->GetTerminated());
}

TEST_F(FormsTest, ReleasedFormIsDestroyedAfterTheMessageWithOnDestroy) {
  TTestForm* main = nullptr;
  TTestForm* other = nullptr;
  Application->CreateForm(main);
  Application->CreateForm(other);
  bool destroyed = false;
  other->OnDestroy = [&](TObject*) { destroyed = true; };
  other->OnClose = [](TObject*, TCloseAction& Action) { Action = caFree; };
  user::PostInput(other->GetHandle(), WM_CLOSE, 0, 0);
  Application->ProcessMessages();
  EXPECT_TRUE(destroyed);
  EXPECT_EQ(Application->GetComponentCount(), 1);
}

TEST_F(FormsTest, ShowingRunsOnShowAndCentresOnTheScreen) {
  const gdi::DesktopMode saved = gdi::GetDesktopMode();
  gdi::SetDesktopMode({1024, 768, 32});
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  int shows = 0;
  form->OnShow = [&](TObject*) { ++shows; };
  form->SetPosition(poScreenCenter);
  form->SetBounds(0, 0, 400, 300);
  form->Show();
  form->Show();
  EXPECT_EQ(shows, 1);
  EXPECT_EQ(form->GetLeft(), 312);
  EXPECT_EQ(form->GetTop(), 234);
  EXPECT_TRUE(IsWindowVisible(form->GetHandle()));
  EXPECT_EQ(Screen->GetWidth(), 1024);
  gdi::SetDesktopMode(saved);
}

TEST_F(FormsTest, ClientSizeLeavesOutTheFrame) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  form->SetClientWidth(457);
  form->SetClientHeight(381);
  EXPECT_EQ(form->GetWidth(), 457);  // no border
  form->SetBorderStyle(bsDialog);
  form->SetClientWidth(457);
  form->SetClientHeight(381);
  EXPECT_GT(form->GetHeight(), 381);
  EXPECT_EQ(form->GetClientWidth(), 457);
  EXPECT_EQ(user::GetWindowState(form->GetHandle())->height, 381);
}

TEST_F(FormsTest, KeyPreviewGivesTheFormTheKeysOfItsControlsFirst) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  auto* panel = new TPanel(form);
  panel->SetParent(form);
  std::vector<WORD> panelKeys;
  panel->OnKeyDown = [&](TObject*, WORD& Key, TShiftState) { panelKeys.push_back(Key); };
  form->KeyDownAction = [](WORD& Key) {
    if (Key == 'X') Key = 0;  // swallowed
  };
  user::PostInput(panel->GetHandle(), WM_KEYDOWN, 'A', 0);
  Application->ProcessMessages();
  EXPECT_TRUE(form->Keys.empty());  // no preview yet
  form->SetKeyPreview(true);
  user::PostInput(panel->GetHandle(), WM_KEYDOWN, 'B', 0);
  user::PostInput(panel->GetHandle(), WM_KEYDOWN, 'X', 0);
  Application->ProcessMessages();
  EXPECT_EQ(form->Keys, (std::vector<WORD>{'B', 'X'}));
  EXPECT_EQ(panelKeys, (std::vector<WORD>{'A', 'B'}));
}

TEST_F(FormsTest, TerminateBeforeRunEndsRunAtOnce) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  int idles = 0;
  Application->OnIdle = [&](TObject*, bool&) { ++idles; };
  Application->Terminate();
  Application->Run();
  EXPECT_EQ(idles, 0);
}

// A control that paints one colour and counts its paints.
class TSwatch : public TCustomControl {
 public:
  explicit TSwatch(TComponent* AOwner) : TCustomControl(AOwner) {}
  int Paints = 0;

 protected:
  void Paint() override {
    ++Paints;
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect(Rect(0, 0, 2, 2));
  }
};

TEST_F(FormsTest, InvalidatePaintsOnceAtTheNextPassIntoTheWindowsPixels) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  auto* swatch = new TSwatch(form);
  swatch->SetBounds(0, 0, 4, 4);
  swatch->SetParent(form);
  form->Show();
  Application->ProcessMessages();
  const int before = swatch->Paints;
  swatch->Invalidate();
  swatch->Invalidate();
  EXPECT_EQ(swatch->Paints, before);
  Application->ProcessMessages();
  EXPECT_EQ(swatch->Paints, before + 1);
  HDC dc = GetDC(swatch->GetHandle());
  EXPECT_EQ(GetPixel(dc, 1, 1), static_cast<COLORREF>(clRed));
  EXPECT_EQ(GetPixel(dc, 3, 3), static_cast<COLORREF>(ColorToRGB(clBtnFace)));
  ReleaseDC(swatch->GetHandle(), dc);
}

TEST_F(FormsTest, ImageDrawsItsPictureOnTheParentsWindow) {
  TTestForm* form = nullptr;
  Application->CreateForm(form);
  form->SetColor(clBlack);
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(3, 2, 2, 2);
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(2, 2);
  bitmap.GetCanvas()->SetPixels(1, 1, clLime);
  image->GetPicture()->SetGraphic(&bitmap);
  form->Show();
  form->Repaint();
  HDC dc = GetDC(form->GetHandle());
  EXPECT_EQ(GetPixel(dc, 4, 3), static_cast<COLORREF>(clLime));
  EXPECT_EQ(GetPixel(dc, 0, 0), static_cast<COLORREF>(clBlack));
  ReleaseDC(form->GetHandle(), dc);
}

TEST(TShiftStateTest, SetOperations) {
  TShiftState s{ssShift};
  s << ssAlt;
  EXPECT_TRUE(s.Contains(ssShift));
  EXPECT_TRUE(s.Contains(ssAlt));
  s >> ssShift;
  EXPECT_FALSE(s.Contains(ssShift));
  EXPECT_EQ(s, TShiftState{ssAlt});
  EXPECT_TRUE(TShiftState{}.Empty());
}

}  // namespace
