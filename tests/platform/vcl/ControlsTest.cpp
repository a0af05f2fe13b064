// Controls without a toolkit: tab order and focus with their enter and exit events, mouse input
// routed to controls without a window (with capture), alignment and its suspension, what
// children take from their parent (font, colour), and painting into a device context given.
#include <gtest/gtest.h>

#include "platform/vcl/Forms.h"
#include "tests/support/Spot.h"

namespace {

// A windowed control that takes the focus and records its events.
class TFocusable : public TCustomControl {
 public:
  explicit TFocusable(TComponent* AOwner, std::vector<std::string>* log = nullptr, std::string name = {})
      : TCustomControl(AOwner) {
    SetTabStop(true);
    SetBounds(0, 0, 20, 20);
    OnEnter = [log, name](TObject*) {
      if (log) log->push_back("enter " + name);
    };
    OnExit = [log, name](TObject*) {
      if (log) log->push_back("exit " + name);
    };
  }
};

// A control without a window that records its mouse input.
class TPad : public TGraphicControl {
 public:
  explicit TPad(TComponent* AOwner) : TGraphicControl(AOwner) {
    SetControlStyle(csCaptureMouse | csClickEvents);
    OnMouseDown = [this](TObject*, TMouseButton, TShiftState, int X, int Y) { Log.push_back(Format("down %d,%d", X, Y)); };
    OnMouseMove = [this](TObject*, TShiftState, int X, int Y) { Log.push_back(Format("move %d,%d", X, Y)); };
    OnMouseUp = [this](TObject*, TMouseButton, TShiftState, int X, int Y) { Log.push_back(Format("up %d,%d", X, Y)); };
    OnClick = [this](TObject*) { Log.push_back("click"); };
  }
  std::vector<std::string> Log;
};

// A windowed control that paints a red square in its top-left corner.
class TCorner : public TCustomControl {
 public:
  explicit TCorner(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clRed);
    GetCanvas()->FillRect(Rect(0, 0, 2, 2));
  }
};

class ControlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationForTest();
    Application->CreateForm(Form);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 200, 100);
  }
  void TearDown() override { ResetApplicationForTest(); }
  void Post(TWinControl* to, UINT message, WPARAM wParam, LPARAM lParam = 0, user::HeldKeys held = {}) {
    user::PostInput(to->GetHandle(), message, wParam, lParam, held);
    Application->ProcessMessages();
  }
  TForm* Form = nullptr;
};

TEST_F(ControlsTest, TabFollowsTheTabOrderSkippingWhatCannotTakeTheFocus) {
  std::vector<std::string> log;
  auto* a = new TFocusable(Form, &log, "a");
  auto* b = new TFocusable(Form, &log, "b");
  auto* c = new TFocusable(Form, &log, "c");
  auto* hidden = new TFocusable(Form, &log, "hidden");
  auto* noStop = new TFocusable(Form, &log, "noStop");
  for (TWinControl* w : {static_cast<TWinControl*>(a), static_cast<TWinControl*>(b), static_cast<TWinControl*>(c),
                         static_cast<TWinControl*>(hidden), static_cast<TWinControl*>(noStop)})
    w->SetParent(Form);
  hidden->Hide();
  noStop->SetTabStop(false);
  c->SetTabOrder(0);  // c, a, b, hidden, noStop
  EXPECT_EQ(a->GetTabOrder(), 1);
  Form->Show();
  EXPECT_EQ(Form->GetActiveControl(), c) << "a form shows with the first in the tab order focused";
  a->SetFocus();
  EXPECT_EQ(Form->GetActiveControl(), a);
  EXPECT_TRUE(a->Focused());
  Post(a, WM_KEYDOWN, VK_TAB);
  Post(b, WM_KEYDOWN, VK_TAB);  // wraps round past the hidden control and the one without a stop
  EXPECT_EQ(Form->GetActiveControl(), c);
  Post(c, WM_KEYDOWN, VK_TAB, 0, {.shift = true});
  EXPECT_EQ(Form->GetActiveControl(), b);
  EXPECT_EQ(log, (std::vector<std::string>{"enter c", "exit c", "enter a", "exit a", "enter b", "exit b", "enter c",
                                           "exit c", "enter b"}));
  // A tab order set before the control has a parent holds once it has one.
  auto* late = new TFocusable(Form, &log, "late");
  late->SetTabOrder(0);
  late->SetParent(Form);
  EXPECT_EQ(late->GetTabOrder(), 0);
  EXPECT_EQ(GetFocus(), b->GetHandle());
}

TEST_F(ControlsTest, FocusGivenByTheUserRunsEnterAndExitAndAFreedControlLeavesIt) {
  std::vector<std::string> log;
  auto* a = new TFocusable(Form, &log, "a");
  auto* b = new TFocusable(Form, &log, "b");
  a->SetParent(Form);
  b->SetParent(Form);
  Form->Show();
  Post(a, WM_SETFOCUS, 0);
  Post(b, WM_SETFOCUS, 0);
  // The form's own window coming to the front hands the focus back to its control.
  Post(Form, WM_SETFOCUS, 0);
  EXPECT_EQ(Form->GetActiveControl(), b);
  EXPECT_EQ(log, (std::vector<std::string>{"enter a", "exit a", "enter b"}));
  delete b;
  EXPECT_EQ(Form->GetActiveControl(), nullptr);
}

TEST_F(ControlsTest, MouseInputOverAControlWithoutAWindowIsItsOwnAndCapturedWhileHeld) {
  auto* pad = new TPad(Form);
  pad->SetParent(Form);
  pad->SetBounds(10, 20, 30, 30);
  std::vector<std::string> formLog;
  Form->OnMouseMove = [&](TObject*, TShiftState, int X, int Y) { formLog.push_back(Format("move %d,%d", X, Y)); };
  Form->Show();
  Post(Form, WM_LBUTTONDOWN, 0, MAKELPARAM(15, 25), {.left = true});
  EXPECT_TRUE(pad->GetMouseCapture());
  Post(Form, WM_MOUSEMOVE, 0, MAKELPARAM(100, 90), {.left = true});  // far outside, still the pad's
  Post(Form, WM_LBUTTONUP, 0, MAKELPARAM(100, 90));
  EXPECT_FALSE(pad->GetMouseCapture());
  Post(Form, WM_MOUSEMOVE, 0, MAKELPARAM(100, 90));
  Post(Form, WM_LBUTTONDOWN, 0, MAKELPARAM(12, 22), {.left = true});
  Post(Form, WM_LBUTTONUP, 0, MAKELPARAM(12, 22));
  EXPECT_EQ(pad->Log, (std::vector<std::string>{"down 5,5", "move 90,70", "up 90,70", "down 2,2", "click", "up 2,2"}));
  EXPECT_EQ(formLog, std::vector<std::string>{"move 100,90"});
}

TEST_F(ControlsTest, DisabledControlsGetNoInput) {
  auto* pad = new TPad(Form);
  pad->SetParent(Form);
  pad->SetBounds(0, 0, 30, 30);
  pad->SetEnabled(false);
  int formDowns = 0;
  Form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++formDowns; };
  Form->Show();
  Post(Form, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5), {.left = true});
  EXPECT_TRUE(pad->Log.empty());
  EXPECT_EQ(formDowns, 1);  // the window under the disabled control has it
  Form->SetEnabled(false);
  Post(Form, WM_LBUTTONDOWN, 0, MAKELPARAM(5, 5), {.left = true});
  EXPECT_EQ(formDowns, 1);
}

TEST_F(ControlsTest, AlignedChildrenFollowTheClientAreaWhileAlignmentIsEnabled) {
  auto* box = new TFocusable(Form);
  box->SetParent(Form);
  box->SetBounds(5, 5, 100, 40);
  auto* right = new TPad(Form);
  right->SetBounds(0, 0, 15, 3);
  right->SetParent(box);
  right->SetAlign(alRight);
  EXPECT_EQ(right->GetBoundsRect(), Bounds(85, 0, 15, 40));
  box->SetWidth(60);
  EXPECT_EQ(right->GetBoundsRect(), Bounds(45, 0, 15, 40));
  right->SetAlign(alLeft);
  EXPECT_EQ(right->GetBoundsRect(), Bounds(0, 0, 15, 40));
  // Disabled (nested), alignment waits for the last EnableAlign.
  box->DisableAlign();
  box->DisableAlign();
  right->SetAlign(alRight);
  box->SetWidth(80);
  EXPECT_EQ(right->GetBoundsRect(), Bounds(0, 0, 15, 40));
  box->EnableAlign();
  EXPECT_EQ(right->GetBoundsRect(), Bounds(0, 0, 15, 40)) << "still disabled once";
  box->EnableAlign();
  EXPECT_EQ(right->GetBoundsRect(), Bounds(65, 0, 15, 40));
  box->SetWidth(70);
  EXPECT_EQ(right->GetBoundsRect(), Bounds(55, 0, 15, 40));
}

TEST_F(ControlsTest, PaintMessagesWithADeviceContextPaintIntoItAtItsOrigin) {
  auto* box = new TCorner(Form);
  box->SetParent(Form);
  box->SetBounds(0, 0, 12, 10);
  box->SetColor(clNavy);
  new painting::TSpot(box, Bounds(6, 4, 2, 3), clLime);
  auto* hidden = new painting::TSpot(box, Bounds(9, 0, 2, 2), clYellow);
  hidden->Hide();
  auto* window = new TCorner(Form);
  window->SetParent(box);
  window->SetBounds(0, 6, 4, 4);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(20, 16);
  TCanvas* canvas = target.GetCanvas();
  canvas->GetBrush()->SetColor(clWhite);
  canvas->FillRect(Rect(0, 0, 20, 16));
  HDC dc = canvas->GetHandle();
  SetViewportOrgEx(dc, 3, 2, nullptr);
  EXPECT_EQ(box->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0), 1);
  box->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  SetViewportOrgEx(dc, 0, 0, nullptr);
  struct Expected {
    int x, y;
    TColor color;
  };
  for (const Expected& e : {Expected{3, 2, clRed}, {4, 3, clRed}, {5, 2, clNavy},  // the corner
                            Expected{9, 6, clLime}, {10, 8, clLime}, {11, 6, clNavy}, {9, 9, clNavy},  // the dot, clipped
                            Expected{12, 2, clNavy},  // the hidden dot is not painted
                            Expected{3, 8, clNavy},   // nor is the child window
                            Expected{14, 2, clNavy}, {15, 2, clWhite}, {3, 12, clWhite}, {2, 2, clWhite}})
    EXPECT_EQ(canvas->GetPixels(e.x, e.y), e.color) << e.x << "," << e.y;
}

TEST_F(ControlsTest, ChildrenTakeTheParentsFontAndColourUntilTheyHaveTheirOwn) {
  auto* box = new TFocusable(Form);
  auto* follower = new TPad(Form);
  auto* own = new TPad(Form);
  box->SetParent(Form);
  follower->SetParent(box);
  own->SetParent(box);
  own->GetFont()->SetHeight(-13);
  EXPECT_FALSE(own->GetParentFont());
  TFont font;
  font.SetName("MS Sans Serif");
  font.SetHeight(-11);
  Form->SetFont(&font);
  Form->SetColor(clNavy);
  EXPECT_EQ(follower->GetFont()->GetName(), "MS Sans Serif");
  EXPECT_TRUE(follower->GetParentFont());
  EXPECT_EQ(follower->GetColor(), clNavy);
  EXPECT_EQ(own->GetFont()->GetName(), "Sans");
  own->SetFont(&font);
  Form->GetFont()->SetName("Sans");
  EXPECT_EQ(follower->GetFont()->GetName(), "Sans");
  EXPECT_EQ(own->GetFont()->GetName(), "MS Sans Serif");
  own->SetColor(clMenu);
  Form->SetColor(clBtnFace);
  EXPECT_EQ(follower->GetColor(), clBtnFace);
  EXPECT_EQ(own->GetColor(), clMenu);
}

}  // namespace
