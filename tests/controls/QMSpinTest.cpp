// The spin edit without a toolkit: its value rules, steps, keys, layout, the diagonal button's
// hit test, repeats and faces, and the up-down control, driven by the messages a peer posts.
#include <gtest/gtest.h>

#include <cmath>

#include "controls/QMSpin.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/vcl/ControlInput.h"

namespace {

class QMSpinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationForTest();
    DecimalSeparator = '.';
    user::SetTimerClock([this] { return Now; });
    Application->CreateForm(Form);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 300, 200);
    Spin = new TQmSpinEdit(Form);
    Spin->SetParent(Form);
    Spin->SetBounds(112, 16, 61, 21);
    Spin->OnChange = [this](TObject*) { Changes.push_back(Spin->GetText()); };
    Spin->OnTopClick = [this](TObject*) { ++TopClicks; };
    Ok = new TButton(Form);
    Ok->SetParent(Form);
    Ok->SetDefault(true);
    Ok->OnClick = [this](TObject*) { Clicks.push_back("ok"); };
    Cancel = new TButton(Form);
    Cancel->SetParent(Form);
    Cancel->SetCancel(true);
    Cancel->OnClick = [this](TObject*) { Clicks.push_back("cancel"); };
    Form->Show();
    Spin->SetFocus();
  }
  void TearDown() override {
    ResetApplicationForTest();
    DecimalSeparator = '.';
  }

  void Limits(Extended min, Extended max) {
    Spin->SetMinValue(min);
    Spin->SetMaxValue(max);
  }
  void Type(const std::string& text) {
    control_input::Post(Spin->GetHandle(), text);
    Application->ProcessMessages();
  }
  void Key(WORD vk) {
    user::PostInput(Spin->GetHandle(), WM_KEYDOWN, vk, 0);
    Application->ProcessMessages();
  }
  // Mouse messages for the spin button, as its host window's widget posts them.
  void Mouse(UINT message, int x, int y, bool held) {
    user::PostInput(Spin->GetButtonHost()->GetHandle(), message, 0, MAKELPARAM(x, y), {.left = held});
    Application->ProcessMessages();
  }
  void AdvanceTo(DWORD t) {
    Now = t;
    Application->ProcessMessages();
  }

  DWORD Now = 10000;
  TForm* Form = nullptr;
  TQmSpinEdit* Spin = nullptr;
  TButton* Ok = nullptr;
  TButton* Cancel = nullptr;
  std::vector<std::string> Changes;
  std::vector<std::string> Clicks;
  int TopClicks = 0;
};

TEST_F(QMSpinTest, SetValueClampsRoundsAndFormatsByValueType) {
  struct Case {
    TValueType type;
    Extended min, max, value;
    const char* shown;
  };
  const Case cases[] = {
      {vtInt, 0, 5, 7, "5"},       {vtInt, 0, 5, -1, "0"},     {vtInt, 0, 0, -12, "-12"},  {vtInt, 0, 0, 2.5, "2"},
      {vtInt, 0, 0, 3.5, "4"},     {vtInt, 0, 0, -2.5, "-2"},  {vtFloat, 0, 0, 1, "1.00"}, {vtFloat, 0, 0, -0.125, "-0.13"},
      {vtFloat, 0, 0, 1234567.891, "1234567.89"},              {vtHex, 0, 0, 255, "FF"},   {vtHex, 0, 0, 0, "0"},
  };
  for (const Case& c : cases) {
    Spin->SetValueType(c.type);
    Limits(c.min, c.max);
    Spin->SetValue(c.value);
    EXPECT_EQ(Spin->GetText(), c.shown) << static_cast<double>(c.value);
  }
  Spin->SetValueType(vtFloat);
  Limits(0, 0);
  Spin->SetDecimal(18);
  Spin->SetValue(1.0L / 3);
  EXPECT_EQ(Spin->GetText(), "0.333333333333333000") << "at most 15 significant digits";
}

TEST_F(QMSpinTest, TextThatDoesNotConvertReadsAsTheMinimumAndReadingNeverChangesIt) {
  struct Case {
    TValueType type;
    const char* text;
    Extended min;
    Extended value;
  };
  const Case cases[] = {
      {vtInt, "  42", 0, 42},    {vtInt, "+7", 0, 7},       {vtInt, "", 3.7L, 3},        {vtInt, "-", 0, 0},
      {vtInt, "12a", -2.5L, -2}, {vtInt, "3000000000", 1, 1}, {vtHex, "ff", 0, 255},     {vtHex, "FF", 0, 255},
      {vtHex, "-A", 1.9L, 1},    {vtFloat, " 2.5e1", 0, 25}, {vtFloat, "1.5.", 0.25L, 0.25L}, {vtFloat, "inf", 1, 1},
  };
  for (const Case& c : cases) {
    Spin->SetValueType(c.type);
    Limits(c.min, c.min + 100);
    Spin->SetText(c.text);
    EXPECT_EQ(Spin->GetValue(), c.value) << c.text;
    EXPECT_EQ(Spin->GetText(), c.text);
  }
  DecimalSeparator = ',';
  Spin->SetValueType(vtFloat);
  Spin->SetText("1,5");
  EXPECT_EQ(Spin->GetValue(), 1.5L);
  Spin->SetText("1.5");
  EXPECT_EQ(Spin->GetValue(), Spin->GetMinValue()) << "only the locale's separator";
  Spin->SetValue(2);
  EXPECT_EQ(Spin->GetText(), "2,00");
}

TEST_F(QMSpinTest, SwitchingTheValueTypeRereadsTheTextAndRoundsTheIncrement) {
  Spin->SetText("10");
  Spin->SetValueType(vtHex);
  EXPECT_EQ(Spin->GetText(), "10");
  EXPECT_EQ(Spin->GetValue(), 16);
  Spin->SetText("1A");
  Limits(2.5L, 9);
  Spin->SetValueType(vtInt);
  EXPECT_EQ(Spin->GetText(), "2") << "does not parse: the truncated minimum";
  Spin->SetValueType(vtFloat);
  Spin->SetIncrement(0.4L);
  Spin->SetValueType(vtInt);
  EXPECT_EQ(Spin->GetIncrement(), 1) << "0.4 rounds to 0, which becomes 1";
  Spin->SetValueType(vtFloat);
  Spin->SetIncrement(2.5L);
  Spin->SetValueType(vtHex);
  EXPECT_EQ(Spin->GetIncrement(), 2);
}

TEST_F(QMSpinTest, EachStepThatMovesTheValueRaisesOnChangeOnceAndNoneAtALimit) {
  Limits(0, 5);
  Spin->SetValue(4);
  Changes.clear();
  Spin->UpClick(Spin);
  EXPECT_EQ(Changes, std::vector<std::string>{"5"});
  EXPECT_TRUE(Spin->GetModified());
  Spin->UpClick(Spin);
  Key(VK_UP);
  EXPECT_EQ(Changes, std::vector<std::string>{"5"});
  EXPECT_EQ(TopClicks, 3) << "OnTopClick also at the limit";
  Key(VK_DOWN);
  EXPECT_EQ(Spin->GetText(), "4");
  Spin->SetReadOnly(true);
  const int beeps = user::BeepCount();
  Spin->UpClick(Spin);
  EXPECT_EQ(Spin->GetText(), "4");
  EXPECT_EQ(user::BeepCount(), beeps + 1);
  EXPECT_EQ(TopClicks, 3);
}

TEST_F(QMSpinTest, TheKeyFilterTakesDigitsSignsAndTheFormatsOwnCharacters) {
  Spin->SetText("");
  const int beeps = user::BeepCount();
  Type("1a2");
  EXPECT_EQ(Spin->GetText(), "12");
  EXPECT_EQ(user::BeepCount(), beeps + 1);
  Spin->SetValueType(vtFloat);
  Spin->SetText("");
  Type("1.5.e3E");
  EXPECT_EQ(Spin->GetText(), "1.5e3");
  EXPECT_EQ(user::BeepCount(), beeps + 3) << "a second separator and a second exponent";
  Spin->SetValueType(vtHex);
  Spin->SetText("");
  Type("fFg");
  EXPECT_EQ(Spin->GetText(), "fF");
}

TEST_F(QMSpinTest, WithTheEditorDisabledOnlyTheStepsChangeTheText) {
  Spin->SetEditorEnabled(false);
  Spin->SetText("3");
  Spin->SetSelStart(1);
  Type("4\b");
  Clipboard()->SetAsText("9");
  user::PostInput(Spin->GetHandle(), WM_PASTE, 0, 0);
  Spin->SelectAll();
  user::PostInput(Spin->GetHandle(), WM_CUT, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(Spin->GetText(), "3");
  Key(VK_UP);
  EXPECT_EQ(Spin->GetText(), "4");
  Mouse(WM_LBUTTONDOWN, 4, 4, true);
  Mouse(WM_LBUTTONUP, 4, 4, false);
  EXPECT_EQ(Spin->GetText(), "5");
}

TEST_F(QMSpinTest, EnterPressesTheDefaultButtonWithoutALineBreakEscapeTheCancelButtonAndTabMovesOn) {
  Spin->SetText("2");
  Spin->SetSelStart(1);
  Type("\r");
  EXPECT_EQ(Clicks, std::vector<std::string>{"ok"});
  EXPECT_EQ(Spin->GetText(), "2");
  Type("\x1b");
  EXPECT_EQ(Clicks, (std::vector<std::string>{"ok", "cancel"}));
  Key(VK_TAB);
  EXPECT_EQ(Form->GetActiveControl(), Ok) << "Tab leaves the edit, which takes Enter itself";
  // Without a form there is no one to take them; Enter is still no line break.
  auto* alone = new TQmSpinEdit(nullptr);
  std::unique_ptr<TQmSpinEdit> owned(alone);
  alone->SetText("7");
  control_input::Post(alone->GetHandle(), "\r");
  Application->ProcessMessages();
  EXPECT_EQ(alone->GetText(), "7");
  EXPECT_EQ(Clicks.size(), 2u);
}

TEST_F(QMSpinTest, LeavingTheEditRewritesOnlyAValueOutsideTheLimits) {
  Limits(0, 5);
  Spin->SetText("");
  Ok->SetFocus();
  EXPECT_EQ(Spin->GetText(), "") << "the fallback 0 lies within the limits";
  Limits(3.7L, 10);
  Spin->SetFocus();
  EXPECT_EQ(Spin->GetValue(), 3);
  Ok->SetFocus();
  EXPECT_EQ(Spin->GetText(), "4");
  Spin->SetFocus();
  Spin->SetText("12");
  Ok->SetFocus();
  EXPECT_EQ(Spin->GetText(), "10");
}

TEST_F(QMSpinTest, TheDiagonalButtonSitsInsideTheRightEdgeAndTheTextStopsBeforeIt) {
  Spin->SetHeight(20);
  TWinControl* host = Spin->GetButtonHost();
  EXPECT_EQ(host->GetBoundsRect(), Bounds(61 - 21, -1, 17, 17));
  EXPECT_EQ(Spin->GetSpinButton()->GetBoundsRect(), Bounds(0, 0, 17, 17));
  const RECT& text = Spin->GetEditRect();
  EXPECT_EQ(text.right, Spin->GetClientWidth() - 17 - 2);
  EXPECT_LE(text.right, host->GetLeft());
  // Without the 3-D single border the button fills the height.
  Spin->SetBorderStyle(bsNone);
  EXPECT_EQ(host->GetBoundsRect(), Bounds(61 - 20, 0, 20, 20));
  // Right to left: the button moves to the left edge and the text after it.
  Spin->SetBorderStyle(bsSingle);
  Spin->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(host->GetBoundsRect(), Rect(-1, -1, 16, 16));
  EXPECT_EQ(Spin->GetEditRect().left, 17 + 1);
}

TEST_F(QMSpinTest, TheEditIsNeverLowerThanItsFontNeeds) {
  const int minimum = Spin->GetMinHeight();
  int sys = 0, height = 0;
  Spin->GetTextHeight(sys, height);
  EXPECT_GT(height, 8);
  EXPECT_EQ(minimum, height + 4 * GetSystemMetrics(SM_CYBORDER) + 1);
  Spin->SetHeight(5);
  EXPECT_EQ(Spin->GetHeight(), minimum);
}

TEST_F(QMSpinTest, TheDiagonalSplitsTheButtonAndOnTheDiagonalIsUp) {
  Spin->SetHeight(23);  // a host and button of 20 x 20
  ASSERT_EQ(Spin->GetSpinButton()->GetWidth(), 20);
  struct Case {
    int x, y;
    const char* text;
  };
  for (const Case c : {Case{15, 15, "-1"}, Case{4, 4, "0"}, Case{10, 10, "1"}}) {
    Mouse(WM_LBUTTONDOWN, c.x, c.y, true);
    Mouse(WM_LBUTTONUP, c.x, c.y, false);
    EXPECT_EQ(Spin->GetText(), c.text) << c.x << "," << c.y;
  }
}

TEST_F(QMSpinTest, AHeldHalfRepeatsAfter400MsThenEvery100AndPausesOffItsHalf) {
  Spin->SetHeight(23);
  const DWORD t0 = Now;
  Mouse(WM_LBUTTONDOWN, 4, 4, true);
  EXPECT_EQ(Spin->GetText(), "1");
  EXPECT_EQ(Spin->GetSpinButton()->GetDown(), sbTopDown);
  AdvanceTo(t0 + 399);
  EXPECT_EQ(Spin->GetText(), "1");
  AdvanceTo(t0 + 400);
  EXPECT_EQ(Spin->GetText(), "2");
  AdvanceTo(t0 + 500);
  EXPECT_EQ(Spin->GetText(), "3");
  AdvanceTo(t0 + 600);
  EXPECT_EQ(Spin->GetText(), "4");
  Mouse(WM_MOUSEMOVE, 15, 15, true);  // onto the lower half: released look, no repeats
  EXPECT_EQ(Spin->GetSpinButton()->GetDown(), sbNotDown);
  AdvanceTo(t0 + 900);
  EXPECT_EQ(Spin->GetText(), "4");
  Mouse(WM_MOUSEMOVE, 4, 5, true);  // back on the half first pressed
  EXPECT_EQ(Spin->GetSpinButton()->GetDown(), sbTopDown);
  AdvanceTo(t0 + 1000);
  EXPECT_EQ(Spin->GetText(), "5");
  Mouse(WM_LBUTTONUP, 4, 5, false);
  EXPECT_EQ(Spin->GetSpinButton()->GetDown(), sbNotDown);
  AdvanceTo(t0 + 1500);
  EXPECT_EQ(Spin->GetText(), "5");
  // A second press soon after still waits a full 400 ms for its first repeat.
  Mouse(WM_LBUTTONDOWN, 15, 15, true);
  EXPECT_EQ(Spin->GetText(), "4");
  AdvanceTo(t0 + 1899);
  EXPECT_EQ(Spin->GetText(), "4");
  AdvanceTo(t0 + 1900);
  EXPECT_EQ(Spin->GetText(), "3");
}

TEST_F(QMSpinTest, AHandlerThatRaisesDuringRepeatsStopsThem) {
  Spin->SetHeight(23);
  int calls = 0;
  Spin->OnTopClick = [&](TObject*) {
    if (++calls == 2) throw Exception("boom");
  };
  user::ScopedMessageBoxSink boxes;
  Mouse(WM_LBUTTONDOWN, 4, 4, true);
  Now += 400;
  EXPECT_THROW(Application->ProcessMessages(), Exception);
  AdvanceTo(Now + 1000);
  EXPECT_EQ(calls, 2);
}

// The face of a state, read back pixel by pixel.
TColor FacePixel(TQmSpinButton* button, TSpinButtonState state, int x, int y) {
  return button->GetFace(state)->GetCanvas()->GetPixels(x, y);
}

TEST_F(QMSpinTest, TheFacesPutTheArrowsWhereTheButtonIsPressed) {
  TQmSpinButton button(nullptr);  // 20 x 20
  struct Case {
    TSpinButtonState state;
    int upX, upY;  // the up arrow's top-left corner: its tip row starts two to the right
  };
  for (const Case c : {Case{sbNotDown, 3, 3}, Case{sbBottomDown, 3, 3}, Case{sbTopDown, 4, 4}}) {
    // Row 3 of the arrow is full: its first pixel marks the corner's column.
    EXPECT_EQ(FacePixel(&button, c.state, c.upX, c.upY + 2), clBlack) << c.state;
    EXPECT_EQ(FacePixel(&button, c.state, c.upX + 2, c.upY), clBlack) << c.state;
    EXPECT_EQ(FacePixel(&button, c.state, c.upX + 1, c.upY), ColorToRGB(clBtnFace)) << c.state;
    EXPECT_EQ(FacePixel(&button, c.state, c.upX - 1, c.upY + 2), ColorToRGB(clBtnFace)) << c.state;
    // The down arrow does not move: its full row is the fourth, from (11, 14).
    EXPECT_EQ(FacePixel(&button, c.state, 11, 14), clBlack) << c.state;
    EXPECT_EQ(FacePixel(&button, c.state, 13, 11), clBlack) << c.state;
    EXPECT_EQ(FacePixel(&button, c.state, 12, 11), ColorToRGB(clBtnFace)) << c.state;
  }
  // The frame and the diagonal are the window frame's colour.
  EXPECT_EQ(FacePixel(&button, sbNotDown, 0, 10), ColorToRGB(clWindowFrame));
  EXPECT_EQ(FacePixel(&button, sbNotDown, 10, 9), ColorToRGB(clWindowFrame));
}

TEST_F(QMSpinTest, ANilGlyphBringsBackTheBuiltInArrow) {
  TQmSpinButton button(nullptr);
  TBitmap square;
  square.SetPixelFormat(pf24bit);
  square.SetSize(4, 4);
  square.GetCanvas()->GetBrush()->SetColor(clRed);
  square.GetCanvas()->FillRect(Rect(0, 0, 4, 4));
  square.GetCanvas()->SetPixels(0, 3, clWhite);  // the transparent colour
  button.SetUpGlyph(&square);
  EXPECT_EQ(button.GetUpGlyph()->GetWidth(), 4);
  button.SetUpGlyph(nullptr);
  EXPECT_EQ(button.GetUpGlyph()->GetWidth(), 6);
  EXPECT_EQ(button.GetUpGlyph()->GetHeight(), 6);
  EXPECT_EQ(button.GetUpGlyph()->GetPixelFormat(), pf1bit);
  EXPECT_EQ(button.GetUpGlyph()->GetCanvas()->GetPixels(0, 2), clBlack);
  EXPECT_EQ(button.GetUpGlyph()->GetCanvas()->GetPixels(0, 0), clWhite);
}

TEST_F(QMSpinTest, FreeingTheFocusControlClearsIt) {
  auto* button = new TQmSpinButton(Form);
  button->SetParent(Form);
  auto* other = new TEdit(Form);
  other->SetParent(Form);
  button->SetFocusControl(other);
  delete other;
  EXPECT_EQ(button->GetFocusControl(), nullptr);
  auto* outside = new TEdit(nullptr);
  button->SetFocusControl(outside);
  delete outside;
  EXPECT_EQ(button->GetFocusControl(), nullptr);
}

TEST_F(QMSpinTest, TheUpDownStepsOncePerClickWhateverItsPositionAndKeepsItsWidth) {
  Spin->SetButtonKind(bkStandard);
  ASSERT_EQ(Spin->GetSpinButton(), nullptr);
  TQmUpDown* updown = Spin->GetUpDown();
  ASSERT_NE(updown, nullptr);
  EXPECT_EQ(updown->GetWidth(), DefBtnWidth());
  EXPECT_EQ(updown->GetLeft(), Spin->GetClientWidth() - DefBtnWidth());
  EXPECT_EQ(Spin->GetEditRect().right, Spin->GetClientWidth() - DefBtnWidth() - 2);
  Ok->SetFocus();
  for (int i = 0; i < 3; ++i) {
    user::PostInput(updown->GetHandle(), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 2), {.left = true});
    user::PostInput(updown->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 2));
  }
  Application->ProcessMessages();
  EXPECT_EQ(Spin->GetText(), "3");
  EXPECT_EQ(updown->GetPosition(), 0);
  EXPECT_EQ(Form->GetActiveControl(), Spin) << "a click focuses the edit";
  user::PostInput(updown->GetHandle(), WM_LBUTTONDOWN, 0, MAKELPARAM(5, 15), {.left = true});
  Application->ProcessMessages();
  EXPECT_EQ(Spin->GetText(), "2");
  updown->SetWidth(40);
  EXPECT_EQ(updown->GetWidth(), DefBtnWidth());
  Spin->SetButtonKind(bkDiagonal);
  EXPECT_EQ(Spin->GetUpDown(), nullptr);
  EXPECT_NE(Spin->GetSpinButton(), nullptr);
}

TEST_F(QMSpinTest, WithoutTheNewerControlsTheKindIsAlwaysDiagonal) {
  NewStyleControls = false;
  Spin->SetButtonKind(bkStandard);
  const TSpinButtonKind kind = Spin->GetButtonKind();
  const bool diagonal = Spin->GetSpinButton() != nullptr && Spin->GetUpDown() == nullptr;
  Spin->SetHeight(20);
  const TRect host = Spin->GetButtonHost()->GetBoundsRect();
  NewStyleControls = true;
  EXPECT_EQ(kind, bkDiagonal);
  EXPECT_TRUE(diagonal);
  EXPECT_EQ(host, Bounds(61 - 20, 0, 20, 20)) << "the plain layout without the newer 3-D border";
}

TEST_F(QMSpinTest, EnteringByKeyboardSelectsTheTextAndByMouseDoesNot) {
  Spin->SetText("42");
  Ok->SetFocus();
  Spin->SetFocus();
  EXPECT_EQ(Spin->GetSelLength(), 2);
  Ok->SetFocus();
  Spin->SetSelStart(0);
  user::PostInput(Spin->GetHandle(), WM_SETFOCUS, 0, 0, {.left = true});  // a click into the text
  Application->ProcessMessages();
  EXPECT_EQ(Spin->GetSelLength(), 0);
}

TEST_F(QMSpinTest, PropertiesStartAtTheirDefaultsAndAreStoredOnlyWhenTheyDiffer) {
  TQmSpinEdit fresh(nullptr);
  EXPECT_EQ(fresh.GetText(), "0");
  EXPECT_EQ(fresh.GetIncrement(), 1);
  EXPECT_EQ(fresh.GetDecimal(), 2);
  EXPECT_EQ(fresh.GetValueType(), vtInt);
  EXPECT_EQ(fresh.GetAlignment(), taLeftJustify);
  EXPECT_TRUE(fresh.GetArrowKeys());
  EXPECT_TRUE(fresh.GetEditorEnabled());
  EXPECT_EQ(fresh.GetButtonKind(), bkDiagonal);
  EXPECT_FALSE(fresh.GetControlStyle() & csSetCaption);
  EXPECT_FALSE(fresh.IsIncrementStored() || fresh.IsMaxStored() || fresh.IsMinStored() || fresh.IsValueStored());
  // Limits first, then the value, as the published order sets them: a stored 9 becomes 5.
  fresh.SetMaxValue(5);
  fresh.SetValue(9);
  EXPECT_EQ(fresh.GetAsInteger(), 5);
  EXPECT_TRUE(fresh.IsMaxStored() && fresh.IsValueStored());
}

}  // namespace
