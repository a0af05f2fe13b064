// The controls of the setup dialogs without a toolkit: check boxes and radio buttons with the
// handlers the program's changes run, the combo box and its clipboard keys, the track bar, the
// page control, the memo, labels, group frames, the panel, the colour dialog and the document
// opener.
#include <gtest/gtest.h>

#include "platform/gdi/Fonts.h"
#include "platform/user/ShellApi.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ColorDialog.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "tests/platform/vcl/ControlInput.h"

namespace {

class DialogCtrlsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetApplicationForTest();
    Application->CreateForm(Form);
    Form->SetBorderStyle(bsNone);
    Form->SetBounds(0, 0, 460, 380);
  }
  void TearDown() override { ResetApplicationForTest(); }
  template <class T>
  T* Make(TWinControl* parent, TRect bounds, const char* caption = "") {
    return control_input::MakeControl<T>(Form, parent, bounds, caption);
  }
  void Post(TWinControl* to, UINT message, WPARAM wParam, LPARAM lParam = 0, user::HeldKeys held = {}) {
    user::PostInput(to->GetHandle(), message, wParam, lParam, held);
    Application->ProcessMessages();
  }
  void Click(TWinControl* to) {
    Post(to, WM_LBUTTONDOWN, 0, MAKELPARAM(3, 3), {.left = true});
    Post(to, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  }
  TForm* Form = nullptr;
  std::vector<std::string> Log;
};

TEST_F(DialogCtrlsTest, ACheckBoxRunsOnClickOnEveryChangeOfItsState) {
  auto* box = Make<TCheckBox>(Form, Bounds(16, 16, 97, 17), "Play Sound");
  box->OnClick = [&](TObject*) { Log.push_back(box->GetChecked() ? "on" : "off"); };
  Form->Show();
  box->SetChecked(true);
  box->SetChecked(true);
  box->SetChecked(false);
  Click(box);
  Post(box, WM_KEYDOWN, VK_SPACE);
  Post(box, WM_KEYUP, VK_SPACE);
  EXPECT_EQ(Log, (std::vector<std::string>{"on", "off", "on", "off"}));
  EXPECT_EQ(user::GetWindowState(box->GetHandle())->button.checked, 0);
}

TEST_F(DialogCtrlsTest, RadiosAreGroupedByParentAndRunOnClickOnlyWhenTheyBecomeChecked) {
  auto* tab = Make<TTabSheet>(Form, Bounds(0, 0, 430, 190));
  tab->Show();
  auto* group = Make<TGroupBox>(tab, Bounds(8, 112, 225, 73), "Speed setting");
  auto* slow = Make<TRadioButton>(group, Bounds(16, 16, 113, 17), "Slow");
  auto* normal = Make<TRadioButton>(group, Bounds(16, 32, 113, 17), "Normal");
  auto* mouse = Make<TRadioButton>(tab, Bounds(256, 24, 113, 17), "Keybord and Mouse");
  auto* key = Make<TRadioButton>(tab, Bounds(256, 44, 145, 17), "Keybord only (ESC key)");
  for (TRadioButton* r : {slow, normal, mouse, key}) {
    r->OnClick = [&, r](TObject*) { Log.push_back("click " + r->GetCaption()); };
    r->OnMouseUp = [&, r](TObject*, TMouseButton, TShiftState, int, int) { Log.push_back("up " + r->GetCaption()); };
  }
  Form->Show();
  slow->SetChecked(true);
  mouse->SetChecked(true);
  normal->SetChecked(true);
  normal->SetChecked(true);
  EXPECT_FALSE(slow->GetChecked());
  EXPECT_TRUE(mouse->GetChecked()) << "another parent is another group";
  EXPECT_FALSE(slow->GetTabStop());
  EXPECT_TRUE(normal->GetTabStop());
  Click(key);  // the click first, then the mouse-up handler
  Click(key);  // already checked: only the mouse-up
  key->SetEnabled(false);
  Click(key);
  EXPECT_EQ(Log, (std::vector<std::string>{"click Slow", "click Keybord and Mouse", "click Normal",
                                           "click Keybord only (ESC key)", "up Keybord only (ESC key)",
                                           "up Keybord only (ESC key)"}));
  EXPECT_FALSE(mouse->GetChecked());
  // The arrow keys move the check and the focus along the group.
  Log.clear();
  normal->SetFocus();
  Post(normal, WM_KEYDOWN, VK_UP);
  EXPECT_TRUE(slow->GetChecked());
  EXPECT_EQ(Form->GetActiveControl(), slow);
  EXPECT_EQ(Log, std::vector<std::string>{"click Slow"});
}

TEST_F(DialogCtrlsTest, TheComboKeepsItsItemsSettingTheIndexRunsNoHandlerAndTheUserChoiceDoes) {
  auto* combo = Make<TComboBox>(Form, Bounds(8, 32, 209, 21));
  combo->OnChange = [&](TObject*) { Log.push_back(Format("%d %s", combo->GetItemIndex(), combo->GetText().c_str())); };
  combo->GetItems()->Clear();
  for (int i = 0; i < 3937; ++i) combo->GetItems()->Add(Format("CITY %04d", i));
  combo->GetItems()->SetStrings(7, "AACHEN GE");
  Form->Show();
  combo->SetItemIndex(12);
  EXPECT_EQ(combo->GetText(), "CITY 0012");
  EXPECT_TRUE(Log.empty());
  const user::WindowState state = *user::GetWindowState(combo->GetHandle());
  ASSERT_NE(state.list.items, nullptr);
  EXPECT_EQ(state.list.items->Count(), 3937);
  EXPECT_EQ(state.list.items->Item(3936), "CITY 3936");
  EXPECT_EQ(state.list.itemIndex, 12);
  Post(combo, CB_SETCURSEL, 3936);  // chosen from the list
  Post(combo, WM_KEYDOWN, VK_UP);
  combo->SetFocus();  // entering selects the text, so typing replaces it
  control_input::Post(combo->GetHandle(), "aachen ge");
  Application->ProcessMessages();
  control_input::Post(combo->GetHandle(), "x");
  Application->ProcessMessages();
  ASSERT_GE(Log.size(), 4u);
  EXPECT_EQ(Log[0], "3936 CITY 3936");
  EXPECT_EQ(Log[1], "3935 CITY 3935");
  EXPECT_EQ(Log[Log.size() - 2], "7 aachen ge") << "a typed name selects its item";
  EXPECT_EQ(Log.back(), "-1 aachen gex") << "text that names no item selects none";
  combo->SetItemIndex(5000);
  EXPECT_EQ(combo->GetItemIndex(), -1);
}

// What one key press posts: the key with the keys held, then the character it types, if any.
struct KeyPress {
  const char* name;
  WORD key;
  char typed;
  user::HeldKeys held;
};
constexpr KeyPress kEnd{"End", VK_END, 0, {}}, kCtrlA{"Ctrl+A", 'A', '\x01', {.control = true}},
    kCtrlC{"Ctrl+C", 'C', '\x03', {.control = true}}, kCtrlX{"Ctrl+X", 'X', '\x18', {.control = true}},
    kCtrlV{"Ctrl+V", 'V', '\x16', {.control = true}}, kShiftInsert{"Shift+Insert", VK_INSERT, 0, {.shift = true}},
    kShiftHome{"Shift+Home", VK_HOME, 0, {.shift = true}}, kCtrlInsert{"Ctrl+Insert", VK_INSERT, 0, {.control = true}},
    kShiftDelete{"Shift+Delete", VK_DELETE, 0, {.shift = true}};

// The same keys on an edit field and on the combo: after each, both hold the same text and
// selection, the clipboard what the edit's keys put there, and the combo's index follows.
TEST_F(DialogCtrlsTest, TheCombosTextCutsCopiesPastesAndSelectsWithTheEditsKeys) {
  auto* edit = Make<TEdit>(Form, Bounds(8, 8, 209, 21));
  auto* combo = Make<TComboBox>(Form, Bounds(8, 32, 209, 21));
  for (const char* city : {"AACHEN GE", "BERGEN NO", "LONDON GB"}) combo->GetItems()->Add(city);
  combo->OnChange = [&](TObject*) { Log.push_back(Format("%d %s", combo->GetItemIndex(), combo->GetText().c_str())); };
  Form->Show();
  edit->SetText("BERGEN NO");
  combo->SetItemIndex(1);
  struct Step {
    KeyPress key;
    const char* placed;  // on the clipboard first, as another program places it
    const char* text;
    const char* clipboard;
    int itemIndex;
  };
  const Step steps[] = {
      {kEnd, nullptr, "BERGEN NO", "elsewhere", 1},
      {kCtrlC, nullptr, "BERGEN NO", "elsewhere", 1},  // nothing selected: the clipboard stays
      {kCtrlA, nullptr, "BERGEN NO", "elsewhere", 1},
      {kCtrlC, nullptr, "BERGEN NO", "BERGEN NO", 1},
      {kCtrlX, "elsewhere", "", "BERGEN NO", -1},
      {kCtrlV, nullptr, "BERGEN NO", "BERGEN NO", 1},
      {kCtrlA, "LONDON GB\r\nPARIS FR", "BERGEN NO", "LONDON GB\r\nPARIS FR", 1},
      {kShiftInsert, nullptr, "LONDON GB", "LONDON GB\r\nPARIS FR", 2},  // the first line only
      {kShiftHome, nullptr, "LONDON GB", "LONDON GB\r\nPARIS FR", 2},
      {kCtrlInsert, nullptr, "LONDON GB", "LONDON GB", 2},
      {kShiftDelete, "elsewhere", "", "LONDON GB", -1},
  };
  const char* before = "elsewhere";
  for (const Step& step : steps) {
    SCOPED_TRACE(step.key.name);
    if (step.placed) before = step.placed;
    for (TWinControl* field : {static_cast<TWinControl*>(edit), static_cast<TWinControl*>(combo)}) {
      Clipboard()->SetAsText(before);
      Post(field, WM_KEYDOWN, step.key.key, 0, step.key.held);
      if (step.key.typed) Post(field, WM_CHAR, static_cast<unsigned char>(step.key.typed), 0, step.key.held);
      EXPECT_EQ(field->GetText(), step.text) << field->ClassName();
      EXPECT_EQ(Clipboard()->GetAsText(), step.clipboard) << field->ClassName();
    }
    before = step.clipboard;
    const user::EditState shown = user::GetWindowState(combo->GetHandle())->edit;
    EXPECT_EQ(shown.selStart, edit->GetSelStart());
    EXPECT_EQ(shown.selLength, edit->GetSelLength());
    EXPECT_EQ(combo->GetItemIndex(), step.itemIndex);
  }
  EXPECT_EQ(combo->GetText(), "");
  EXPECT_EQ(Log, (std::vector<std::string>{"-1 ", "1 BERGEN NO", "2 LONDON GB", "-1 "}));
}

TEST_F(DialogCtrlsTest, TheTrackBarRunsOnChangeWhenItsPositionMoves) {
  auto* bar = Make<TTrackBar>(Form, Bounds(8, 16, 249, 25));
  bar->SetMax(256);
  bar->SetFrequency(5);
  bar->SetThumbLength(15);
  bar->OnChange = [&](TObject*) { Log.push_back(std::to_string(bar->GetPosition())); };
  bar->SetPosition(256);
  bar->SetPosition(256);
  bar->SetPosition(300);
  Form->Show();
  Post(bar, TBM_SETPOS, 100);  // dragged by the user
  bar->SetFocus();
  Post(bar, WM_KEYDOWN, VK_RIGHT);
  Post(bar, WM_KEYDOWN, VK_HOME);
  EXPECT_EQ(Log, (std::vector<std::string>{"256", "100", "101", "0"}));
  const user::RangeState range = user::GetWindowState(bar->GetHandle())->range;
  EXPECT_EQ(range.max, 256);
  EXPECT_EQ(range.frequency, 5);
  EXPECT_TRUE(range.ticksBelow);
}

TEST_F(DialogCtrlsTest, ThePageControlShowsOneSheetAndTheUserPicksAnother) {
  auto* pages = Make<TPageControl>(Form, Bounds(8, 128, 441, 217));
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"Settings", "Display", "Time of Day", "Clock"}) {
    auto* sheet = new TTabSheet(Form);
    sheet->SetPageControl(pages);
    sheet->SetCaption(caption);
    sheets.push_back(sheet);
  }
  auto* check = Make<TCheckBox>(sheets[1], Bounds(8, 8, 97, 17), "Show clock");
  Form->Show();
  EXPECT_EQ(pages->GetActivePage(), sheets[0]);
  EXPECT_TRUE(sheets[0]->GetVisible());
  EXPECT_FALSE(sheets[1]->GetVisible());
  EXPECT_FALSE(check->CanFocus()) << "a control on a hidden sheet takes no focus";
  EXPECT_EQ(sheets[0]->GetBoundsRect(), Bounds(4, 24, 433, 189));
  const user::TabsState tabs = user::GetWindowState(pages->GetHandle())->tabs;
  EXPECT_EQ(tabs.tabs, (std::vector<std::string>{"Settings", "Display", "Time of Day", "Clock"}));
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  Post(pages, TCM_SETCURSEL, 1);
  EXPECT_EQ(pages->GetActivePageIndex(), 1);
  EXPECT_TRUE(check->CanFocus());
  check->SetFocus();
  Post(check, WM_KEYDOWN, VK_TAB, 0, {.control = true});
  EXPECT_EQ(pages->GetActivePageIndex(), 2);
  EXPECT_EQ(changes, 2);
}

TEST_F(DialogCtrlsTest, AMemoShowsItsLinesAndAReadOnlyOneTakesNoTyping) {
  auto* memo = Make<TMemo>(Form, Bounds(8, 32, 209, 29));
  memo->SetBorderStyle(bsNone);
  memo->SetColor(clMenu);
  memo->GetLines()->Add("If you don't hear the sound, download and ");
  memo->GetLines()->Add("install Windows Media Player");
  memo->GetLines()->Add("");
  EXPECT_EQ(memo->GetText(), "If you don't hear the sound, download and \r\ninstall Windows Media Player\r\n");
  memo->SetReadOnly(true);
  Form->Show();
  memo->SetFocus();
  control_input::Post(memo->GetHandle(), "abc\r");
  Application->ProcessMessages();
  EXPECT_EQ(memo->GetLines()->GetCount(), 3);
  EXPECT_EQ(memo->GetClientWidth(), 209);
  // An editable memo takes Enter as a new line, and its lines follow.
  memo->SetReadOnly(false);
  memo->SetSelStart(0);
  control_input::Post(memo->GetHandle(), "x\r");
  Application->ProcessMessages();
  EXPECT_EQ(memo->GetLines()->GetCount(), 4);
  EXPECT_EQ(memo->GetLines()->GetStrings(0), "x");
}

TEST_F(DialogCtrlsTest, ALabelFitsItsTextRunsOnClickAndShowsItsCursorOverTheWindow) {
  auto* link = Make<TLabel>(Form, Bounds(176, 56, 112, 13), "www.example.org");
  link->GetFont()->SetColor(clNavy);
  link->GetFont()->SetStyle({fsUnderline});
  link->SetCursor(crHandPoint);
  int clicks = 0;
  link->OnClick = [&](TObject*) { ++clicks; };
  TCanvas measure;
  measure.SetHandle(GetDC(nullptr));
  measure.SetFont(link->GetFont());
  EXPECT_EQ(link->GetWidth(), measure.TextWidth("www.example.org"));
  measure.SetHandle(nullptr);
  Form->Show();
  Post(Form, WM_MOUSEMOVE, 0, MAKELPARAM(180, 60));
  EXPECT_EQ(user::GetWindowState(Form->GetHandle())->cursor, crHandPoint);
  Post(Form, WM_LBUTTONDOWN, 0, MAKELPARAM(180, 60), {.left = true});
  Post(Form, WM_LBUTTONUP, 0, MAKELPARAM(180, 60));
  Post(Form, WM_MOUSEMOVE, 0, MAKELPARAM(10, 300));
  EXPECT_EQ(user::GetWindowState(Form->GetHandle())->cursor, crDefault);
  EXPECT_EQ(clicks, 1);
  // Painted in its font's colour on the window; disabled, embossed in grey.
  Form->Repaint();
  HDC dc = GetDC(Form->GetHandle());
  const auto inked = [&](COLORREF colour) {
    for (int y = 56; y < 56 + link->GetHeight(); ++y)
      for (int x = 176; x < 176 + link->GetWidth(); ++x)
        if (GetPixel(dc, x, y) == colour) return true;
    return false;
  };
  EXPECT_TRUE(inked(static_cast<COLORREF>(clNavy)));
  // The underline: one row of the label in its colour from the text's first column to its last.
  const auto underlined = [&] {
    for (int y = 56; y < 56 + link->GetHeight(); ++y) {
      int x = 176;
      while (x < 176 + link->GetWidth() && GetPixel(dc, x, y) == static_cast<COLORREF>(clNavy)) ++x;
      if (x == 176 + link->GetWidth()) return true;
    }
    return false;
  };
  EXPECT_TRUE(underlined());
  link->SetEnabled(false);
  Form->Repaint();
  EXPECT_FALSE(inked(static_cast<COLORREF>(clNavy)));
  EXPECT_TRUE(inked(static_cast<COLORREF>(ColorToRGB(clBtnShadow))));
  EXPECT_TRUE(inked(static_cast<COLORREF>(ColorToRGB(clBtnHighlight))));
  ReleaseDC(Form->GetHandle(), dc);
}

TEST_F(DialogCtrlsTest, AGroupFrameIsEtchedWithItsCaptionOverIt) {
  auto* group = Make<TGroupBox>(Form, Bounds(8, 8, 225, 65), "Sound");
  auto* frame = Make<TRadioGroup>(Form, Bounds(240, 8, 185, 65), "");
  Form->Show();
  group->Repaint();
  frame->Repaint();
  HDC dc = GetDC(group->GetHandle());
  EXPECT_EQ(GetPixel(dc, 0, 40), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(GetPixel(dc, 1, 40), static_cast<COLORREF>(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(GetPixel(dc, 223, 40), static_cast<COLORREF>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(GetPixel(dc, 112, 30), static_cast<COLORREF>(ColorToRGB(clBtnFace)));
  bool caption = false;
  for (int x = 9; x < 40; ++x) caption = caption || GetPixel(dc, x, 6) == 0;
  EXPECT_TRUE(caption);
  ReleaseDC(group->GetHandle(), dc);
}

TEST_F(DialogCtrlsTest, APanelSwatchShowsItsColourAndRunsOnClick) {
  auto* swatch = Make<TPanel>(Form, Bounds(40, 24, 33, 25));
  swatch->SetColor(clGray);
  swatch->SetCursor(crHandPoint);
  int clicks = 0;
  swatch->OnClick = [&](TObject*) { ++clicks; };
  Form->Show();
  swatch->Repaint();
  Click(swatch);
  EXPECT_EQ(clicks, 1);
  HDC dc = GetDC(swatch->GetHandle());
  EXPECT_EQ(GetPixel(dc, 16, 12), static_cast<COLORREF>(clGray));
  ReleaseDC(swatch->GetHandle(), dc);
  EXPECT_EQ(user::GetWindowState(swatch->GetHandle())->cursor, crHandPoint);
}

TEST_F(DialogCtrlsTest, TheColourDialogOpensOnItsOwnLastColour) {
  TColorDialog dialog(Form);
  {
    user::ScopedColorDialogAnswer answer(RGB(0, 128, 255));
    EXPECT_TRUE(dialog.Execute());
    EXPECT_EQ(dialog.GetColor(), static_cast<TColor>(RGB(0, 128, 255)));
    EXPECT_EQ(answer.OpenedOn(), std::vector<COLORREF>{0});
  }
  user::ScopedColorDialogAnswer cancelled(std::nullopt);
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(dialog.GetColor(), static_cast<TColor>(RGB(0, 128, 255)));
  EXPECT_EQ(cancelled.OpenedOn(), std::vector<COLORREF>{RGB(0, 128, 255)});
}

TEST_F(DialogCtrlsTest, TheDocumentOpenerTakesOpenAndFailsWithoutADesktop) {
  {
    user::ScopedShellExecuteSink sink;
    const auto result = reinterpret_cast<std::uintptr_t>(
        ShellExecuteA(Form->GetHandle(), "open", "mailto:someone@example.org", "", "", SW_SHOW));
    EXPECT_GT(result, 32u);
    ASSERT_EQ(sink.Calls().size(), 1u);
    EXPECT_EQ(sink.Calls()[0].file, "mailto:someone@example.org");
    EXPECT_EQ(sink.Calls()[0].show, SW_SHOW);
  }
  const auto result =
      reinterpret_cast<std::uintptr_t>(ShellExecuteA(nullptr, "open", "http://www.example.org", "", "", SW_SHOW));
  EXPECT_EQ(result, static_cast<std::uintptr_t>(SE_ERR_NOASSOC));
}

TEST(DialogFontTest, TheDialogsFontIsAnInstalledFaceOfTheSameMetrics) {
  EXPECT_EQ(gdi::InstalledFamily("MS Sans Serif"), "Liberation Sans");
  EXPECT_EQ(gdi::InstalledFamily("ms sans serif"), "Liberation Sans");
}

}  // namespace
