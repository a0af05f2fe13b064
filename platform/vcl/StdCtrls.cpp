// The edit field's editing, notifications and cut, copy and paste, and the buttons' clicks.
#include "platform/vcl/StdCtrls.h"

#include <algorithm>

#include "platform/user/UserPeer.h"

namespace {

// Performs on an edit field what a key asks of it beside typing (cut, copy, paste, select
// all), as the field's own message, so a control that handles the message handles the key too.
// Whether the key asked for one.
bool PerformEditRequest(TWinControl& Field, const TMessage& Key) {
  const vcl::EditRequest request =
      vcl::EditRequestOf(Key.Msg, Key.WParam, GetKeyState(VK_SHIFT) < 0, GetKeyState(VK_CONTROL) < 0);
  if (request.message == 0) return false;
  Field.Perform(request.message, request.wParam, request.lParam);
  return true;
}

}  // namespace

// --- TCustomEdit ---

TCustomEdit::TCustomEdit(TComponent* AOwner) : TWinControl(AOwner) {
  SetControlStyle(csClickEvents | csSetCaption);
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 121, 21);
}

void TCustomEdit::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  Changed();
  if (HandleAllocated()) Perform(WM_SIZE, 0, MAKELPARAM(GetClientWidth(), GetClientHeight()));
}

void TCustomEdit::SetReadOnly(bool Value) {
  if (Value == FReadOnly) return;
  FReadOnly = Value;
  Changed();
}

void TCustomEdit::SetSelStart(int Value) {
  FSelection.anchor = FSelection.caret = Value;
  ShowSelection();
}

void TCustomEdit::SetSelLength(int Value) {
  FSelection.anchor = FSelection.Start();
  FSelection.caret = FSelection.anchor + Value;
  ShowSelection();
}

AnsiString TCustomEdit::GetSelText() const { return vcl::SelectedText(GetText(), FSelection); }

void TCustomEdit::SelectAll() {
  FSelection = {0, static_cast<int>(GetText().size())};
  ShowSelection();
}

void TCustomEdit::ShowSelection() {
  FSelection.Clamp(static_cast<int>(GetText().size()));
  Changed();
}

void TCustomEdit::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::Edit;
}

int TCustomEdit::BorderWidth() const {
  if (FBorderStyle == bsNone) return 0;
  return GetCtl3D() ? 2 : 1;
}

UINT TCustomEdit::GetDlgCode() {
  // A multi-line edit takes Enter and Escape itself, as the platform's does.
  return DLGC_WANTARROWS | DLGC_WANTCHARS | (IsMultiLine() ? DLGC_WANTALLKEYS : 0);
}

void TCustomEdit::UpdateWindowState(user::WindowState& State) {
  TWinControl::UpdateWindowState(State);
  State.edit.selStart = FSelection.Start();
  State.edit.selLength = FSelection.Length();
  State.edit.textRect = FEditRect;
  State.edit.alignment = static_cast<int>(GetWindowStyle() & (ES_CENTER | ES_RIGHT));
  State.edit.readOnly = FReadOnly;
}

void TCustomEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
      // Text set by the program: the caret goes to the start, the text counts as unchanged.
      FSelection = {};
      FModified = false;
      TWinControl::WndProc(Message);
      Change();
      return;
    case CM_ENTER:
      // Only a single-line field: a memo entered keeps its caret, so a note keeps its first
      // line in view.
      if (FAutoSelect && !IsMultiLine() && !LeftButtonHeld()) SelectAll();
      TWinControl::WndProc(Message);
      return;
    case CM_CTL3DCHANGED:
      TWinControl::WndProc(Message);
      if (HandleAllocated()) Perform(WM_SIZE, 0, MAKELPARAM(GetClientWidth(), GetClientHeight()));
      return;
    default: TWinControl::WndProc(Message);
  }
}

void TCustomEdit::Edited() {
  FModified = true;
  Changed();
  Change();
}

void TCustomEdit::DefaultHandler(TMessage& Message) {
  AnsiString& text = TextBuffer();
  switch (Message.Msg) {
    case WM_KEYDOWN: {
      if (PerformEditRequest(*this, Message)) return;
      const WORD key = static_cast<WORD>(Message.WParam);
      if (key == VK_DELETE && FReadOnly) return;
      if (vcl::EditKeyDown(text, FSelection, key, GetKeyState(VK_SHIFT) < 0, IsMultiLine()))
        Edited();
      else
        ShowSelection();
      return;
    }
    case WM_CHAR:
      if (PerformEditRequest(*this, Message)) return;
      if (!FReadOnly && vcl::EditChar(text, FSelection, static_cast<char>(Message.WParam), FMaxLength, IsMultiLine()))
        Edited();
      return;
    case WM_COPY: vcl::CopySelection(text, FSelection); return;
    case WM_CUT:
      if (!FReadOnly && vcl::CutSelection(text, FSelection)) Edited();
      return;
    case WM_PASTE:
      if (!FReadOnly && vcl::PasteClipboard(text, FSelection, FMaxLength, IsMultiLine())) Edited();
      return;
    case EM_SETSEL:
      FSelection = {static_cast<int>(Message.WParam), static_cast<int>(Message.LParam)};
      ShowSelection();
      return;
    case EM_SETRECTNP:
      if (Message.LParam) FEditRect = *reinterpret_cast<const RECT*>(Message.LParam);
      Changed();
      return;
    default: TWinControl::DefaultHandler(Message);
  }
}

void TCustomEdit::Change() {
  if (OnChange) OnChange(this);
}

// --- TButtonControl ---

TButtonControl::TButtonControl(TComponent* AOwner) : TWinControl(AOwner) { SetTabStop(true); }

void TButtonControl::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: FPressed = true; break;
    case WM_LBUTTONUP: {
      const int x = GET_X_LPARAM(Message.LParam), y = GET_Y_LPARAM(Message.LParam);
      const bool click = FPressed && x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight();
      FPressed = false;
      if (click) ButtonClicked();
      return;
    }
    case WM_KEYDOWN:
      if (Message.WParam == VK_SPACE) FSpaceDown = true;
      return;
    case WM_KEYUP:
      if (Message.WParam == VK_SPACE && FSpaceDown) {
        FSpaceDown = false;
        ButtonClicked();
      }
      return;
    default: break;
  }
  TWinControl::DefaultHandler(Message);
}

// --- TButton ---

TButton::TButton(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 75, 25); }

void TButton::SetDefault(bool Value) {
  if (Value == FDefault) return;
  FDefault = Value;
  Changed();
}

void TButton::Click() { TButtonControl::Click(); }

void TButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::Button;
}

void TButton::UpdateWindowState(user::WindowState& State) {
  TButtonControl::UpdateWindowState(State);
  State.button.isDefault = FDefault;
}

void TButton::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY) {
    const auto key = static_cast<WORD>(Message.WParam);
    // Enter belongs to the focused button, or to the default one while no other button has it.
    TWinControl* form = this;
    while (form->GetParent()) form = form->GetParent();
    TWinControl* focused = form->GetFocusedControl();
    const bool active = focused == this || (FDefault && !dynamic_cast<TButton*>(focused));
    if (((key == VK_RETURN && active) || (key == VK_ESCAPE && FCancel)) && CanFocus()) {
      Click();
      Message.Result = 1;
    }
    return;
  }
  TButtonControl::WndProc(Message);
}

// --- TMemo ---

TMemo::TMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 89);
  // The lines are the text: a change of one rewrites the other.
  FLines->OnChange = [this](TObject*) {
    if (FSyncing) return;
    FSyncing = true;
    try {
      SetText(FLines->GetText());
    } catch (...) {
      FSyncing = false;
      throw;
    }
    FSyncing = false;
  };
}

TMemo::~TMemo() { FLines->OnChange = nullptr; }

void TMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE;
  Params.WindowClass = user::WindowClass::Memo;
}

void TMemo::Change() {
  if (!FSyncing) {
    FSyncing = true;
    FLines->SetText(GetText());
    FSyncing = false;
  }
  TCustomEdit::Change();
}

// --- TCheckBox ---

TCheckBox::TCheckBox(TComponent* AOwner) : TButtonControl(AOwner) { SetBounds(0, 0, 97, 17); }

void TCheckBox::SetState(TCheckBoxState Value) {
  if (Value == FState) return;
  FState = Value;
  Changed();
  Click();
}

void TCheckBox::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::CheckBox;
}

void TCheckBox::UpdateWindowState(user::WindowState& State) {
  TButtonControl::UpdateWindowState(State);
  State.button.checked = FState == cbChecked ? 1 : 0;
}

// --- TRadioButton ---

TRadioButton::TRadioButton(TComponent* AOwner) : TButtonControl(AOwner) {
  SetBounds(0, 0, 113, 17);
  SetTabStop(false);
}

void TRadioButton::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  SetTabStop(Value);
  Changed();
  if (!Value) return;
  if (TWinControl* parent = GetParent())
    for (int i = 0; i < parent->GetControlCount(); ++i)
      if (auto* sibling = dynamic_cast<TRadioButton*>(parent->GetControl(i)); sibling && sibling != this && sibling->FChecked) {
        sibling->FChecked = false;
        sibling->SetTabStop(false);
        sibling->Changed();
      }
  Click();
}

void TRadioButton::CreateParams(TCreateParams& Params) {
  TButtonControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::RadioButton;
}

void TRadioButton::UpdateWindowState(user::WindowState& State) {
  TButtonControl::UpdateWindowState(State);
  State.button.checked = FChecked ? 1 : 0;
}

void TRadioButton::DefaultHandler(TMessage& Message) {
  const auto key = static_cast<WORD>(Message.WParam);
  if (Message.Msg != WM_KEYDOWN || key < VK_LEFT || key > VK_DOWN || !GetParent()) {
    TButtonControl::DefaultHandler(Message);
    return;
  }
  // The next radio of the group in its parent's order, round the end, that can take the focus.
  const bool forward = key == VK_RIGHT || key == VK_DOWN;
  TWinControl* parent = GetParent();
  const int n = parent->GetControlCount();
  int self = 0;
  while (parent->GetControl(self) != this) ++self;
  for (int step = 1; step < n; ++step) {
    const int i = (self + (forward ? step : n - step)) % n;
    if (auto* next = dynamic_cast<TRadioButton*>(parent->GetControl(i)); next && next->CanFocus()) {
      next->SetFocus();
      next->SetChecked(true);
      return;
    }
  }
}

// --- TCustomGroupBox ---

TCustomGroupBox::TCustomGroupBox(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 105); }

// An etched frame (shadow, then highlight one pixel lower right) from half the caption's
// height down, the caption over it with the box's background behind.
void TCustomGroupBox::Paint() {
  TCanvas* c = GetCanvas();
  const AnsiString& caption = GetCaption();
  const int textHeight = c->TextHeight("0");
  const int top = textHeight / 2 - 1;
  const int w = GetWidth(), h = GetHeight();
  c->GetBrush()->SetStyle(bsClear);
  c->GetPen()->SetColor(clBtnShadow);
  c->Rectangle(0, top, w - 1, h - 1);
  c->GetPen()->SetColor(clBtnHighlight);
  c->Rectangle(1, top + 1, w, h);
  if (caption.empty()) return;
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(GetColor());
  c->FillRect(Rect(8, 0, 8 + c->TextWidth(caption) + 2, textHeight));
  c->GetBrush()->SetStyle(bsClear);
  c->TextOut(9, 0, caption);
}

// --- TLabel ---

TLabel::TLabel(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetControlStyle(GetControlStyle() | csClickEvents);
  SetBounds(0, 0, 65, 17);
}

void TLabel::SetAutoSize(bool Value) {
  FAutoSize = Value;
  AdjustBounds();
}

void TLabel::SetTransparent(bool Value) {
  FTransparent = Value;
  Invalidate();
}

void TLabel::WndProc(TMessage& Message) {
  TGraphicControl::WndProc(Message);
  if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_FONTCHANGED) AdjustBounds();
}

void TLabel::AdjustBounds() {
  if (!FAutoSize) return;
  // Measured on the screen's device context, as the label has none of its own outside a paint.
  TCanvas canvas;
  HDC dc = GetDC(nullptr);
  canvas.SetHandle(dc);
  canvas.SetFont(GetFont());
  const AnsiString& caption = GetCaption();
  const TSize size = canvas.TextExtent(caption.empty() ? AnsiString(" ") : caption);
  canvas.SetHandle(nullptr);
  ReleaseDC(nullptr, dc);
  SetBounds(GetLeft(), GetTop(), caption.empty() ? GetWidth() : size.cx, size.cy);
}

void TLabel::Paint() {
  TCanvas* c = GetCanvas();
  if (!FTransparent) {
    c->GetBrush()->SetColor(GetColor());
    c->FillRect(GetClientRect());
  }
  c->GetBrush()->SetStyle(bsClear);
  const AnsiString& caption = GetCaption();
  if (GetEnabled()) {
    c->TextOut(0, 0, caption);
    return;
  }
  c->GetFont()->SetColor(clBtnHighlight);
  c->TextOut(1, 1, caption);
  c->GetFont()->SetColor(clBtnShadow);
  c->TextOut(0, 0, caption);
}

// --- TComboBox ---

// The items as the peer lists them.
class TComboBox::ItemsView : public user::ItemList {
 public:
  explicit ItemsView(const TStringList& items) : FItems(items) {}
  int Count() const override { return FItems.GetCount(); }
  std::string_view Item(int Index) const override { return FItems.GetStrings(Index); }

 private:
  const TStringList& FItems;
};

TComboBox::TComboBox(TComponent* AOwner)
    : TWinControl(AOwner), FItems(std::make_unique<TStringList>()), FItemsView(std::make_unique<ItemsView>(*FItems)) {
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 145, 21);
  // An index that no longer names an item is dropped.
  FItems->OnChange = [this](TObject*) {
    if (FItemIndex >= FItems->GetCount()) FItemIndex = -1;
  };
}

TComboBox::~TComboBox() { FItems->OnChange = nullptr; }

void TComboBox::SetItemIndex(int Value) {
  if (Value < -1 || Value >= FItems->GetCount()) Value = -1;
  FItemIndex = Value;
  TextBuffer() = Value >= 0 ? FItems->GetStrings(Value) : AnsiString();
  FSelection = {0, static_cast<int>(GetText().size())};
  Changed();
}

void TComboBox::SetDroppedDown(bool Value) {
  FDroppedDown = Value;
  Changed();
}

void TComboBox::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::ComboBox;
}

void TComboBox::UpdateWindowState(user::WindowState& State) {
  TWinControl::UpdateWindowState(State);
  State.list.items = FItemsView.get();
  State.list.itemIndex = FItemIndex;
  State.list.droppedDown = FDroppedDown;
  State.edit.selStart = FSelection.Start();
  State.edit.selLength = FSelection.Length();
}

void TComboBox::UserChose(int Index) {
  SetItemIndex(Index);
  FDroppedDown = false;
  Changed();
  Change();
}

void TComboBox::UserTyped() {
  FItemIndex = FItems->IndexOf(GetText());
  Changed();
  Change();
}

void TComboBox::WndProc(TMessage& Message) {
  if (Message.Msg == CM_ENTER) {
    FSelection = {0, static_cast<int>(GetText().size())};
    Changed();
  }
  TWinControl::WndProc(Message);
}

void TComboBox::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case CB_SETCURSEL: UserChose(static_cast<int>(Message.WParam)); return;
    case EM_SETSEL:
      FSelection = {static_cast<int>(Message.WParam), static_cast<int>(Message.LParam)};
      FSelection.Clamp(static_cast<int>(GetText().size()));
      Changed();
      return;
    case WM_KEYDOWN: {
      if (PerformEditRequest(*this, Message)) return;
      const auto key = static_cast<WORD>(Message.WParam);
      const bool alt = GetKeyState(VK_MENU) < 0;
      if (key == VK_F4 || (alt && (key == VK_DOWN || key == VK_UP))) {
        SetDroppedDown(!FDroppedDown);
      } else if ((key == VK_UP || key == VK_DOWN) && FItems->GetCount() > 0) {
        const int next = std::clamp(FItemIndex + (key == VK_DOWN ? 1 : -1), 0, FItems->GetCount() - 1);
        if (next != FItemIndex) UserChose(next);
      } else if (vcl::EditKeyDown(TextBuffer(), FSelection, key, GetKeyState(VK_SHIFT) < 0, false)) {
        UserTyped();
      } else {
        Changed();
      }
      return;
    }
    case WM_CHAR:
      if (PerformEditRequest(*this, Message)) return;
      if (vcl::EditChar(TextBuffer(), FSelection, static_cast<char>(Message.WParam), 0, false)) UserTyped();
      return;
    case WM_COPY: vcl::CopySelection(GetText(), FSelection); return;
    case WM_CUT:
      if (vcl::CutSelection(TextBuffer(), FSelection)) UserTyped();
      return;
    case WM_PASTE:
      if (vcl::PasteClipboard(TextBuffer(), FSelection, 0, false)) UserTyped();
      return;
    default: TWinControl::DefaultHandler(Message);
  }
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}
