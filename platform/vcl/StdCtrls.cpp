// The edit field's editing and notifications, and the buttons' clicks.
#include "platform/vcl/StdCtrls.h"

#include "platform/user/UserPeer.h"

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

AnsiString TCustomEdit::GetSelText() const {
  vcl::EditSelection s = FSelection;
  s.Clamp(static_cast<int>(GetText().size()));
  return GetText().substr(static_cast<std::size_t>(s.Start()), static_cast<std::size_t>(s.Length()));
}

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
      if (FAutoSelect && !LeftButtonHeld()) SelectAll();
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
      const WORD key = static_cast<WORD>(Message.WParam);
      const bool shift = GetKeyState(VK_SHIFT) < 0;
      if (key == VK_DELETE && shift) {
        Perform(WM_CUT, 0, 0);
      } else if (key == VK_INSERT && shift) {
        Perform(WM_PASTE, 0, 0);
      } else if (key == VK_INSERT && GetKeyState(VK_CONTROL) < 0) {
        Perform(WM_COPY, 0, 0);
      } else if (key == VK_DELETE && FReadOnly) {
        return;
      } else if (vcl::EditKeyDown(text, FSelection, key, shift, IsMultiLine())) {
        Edited();
      } else {
        ShowSelection();
      }
      return;
    }
    case WM_CHAR: {
      const char key = static_cast<char>(Message.WParam);
      if (key == 0x03) Perform(WM_COPY, 0, 0);
      if (key == 0x16) Perform(WM_PASTE, 0, 0);
      if (key == 0x18) Perform(WM_CUT, 0, 0);
      if (!FReadOnly && vcl::EditChar(text, FSelection, key, FMaxLength, IsMultiLine())) Edited();
      return;
    }
    case WM_COPY:
      if (FSelection.Length() > 0) user::SetClipboardText(GetSelText());
      return;
    case WM_CUT:
      if (FReadOnly || FSelection.Length() == 0) return;
      user::SetClipboardText(GetSelText());
      if (vcl::ReplaceSelection(text, FSelection, {}, 0)) Edited();
      return;
    case WM_PASTE: {
      if (FReadOnly) return;
      AnsiString pasted = user::GetClipboardText();
      if (!IsMultiLine()) pasted = pasted.substr(0, pasted.find_first_of("\r\n"));
      if (vcl::ReplaceSelection(text, FSelection, pasted, FMaxLength)) Edited();
      return;
    }
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
