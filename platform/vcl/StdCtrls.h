// The class library's standard controls: the edit field and the push button, with the rules
// the class library keeps (what runs OnChange and OnClick, which keys reach the dialog); a Qt
// widget of the matching kind shows each one.
#pragma once

#include "platform/vcl/Controls.h"
#include "platform/vcl/EditText.h"

// A single-line edit field (multi-line when its window style says so). The text and the
// selection are the control's; the window only shows them. Enter in a single-line field goes
// to the dialog and never inserts a line break.
class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);

  bool GetAutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  TBorderStyle GetBorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // 0: no limit. Text set by the program is not cut.
  int GetMaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value; }
  // Set when the user changes the text; text set by the program clears it.
  bool GetModified() const { return FModified; }
  void SetModified(bool Value) { FModified = Value; }
  bool GetReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value);
  int GetSelStart() const { return FSelection.Start(); }
  void SetSelStart(int Value);
  int GetSelLength() const { return FSelection.Length(); }
  void SetSelLength(int Value);
  AnsiString GetSelText() const;
  void SelectAll();
  // The formatting rectangle (EM_SETRECTNP) in client coordinates; empty: the whole client area.
  const RECT& GetEditRect() const { return FEditRect; }

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  // The edit window's own behaviour: typing and moving the caret, the clipboard requests, the
  // selection the user makes with the mouse, the formatting rectangle.
  void DefaultHandler(TMessage& Message) override;
  void UpdateWindowState(user::WindowState& State) override;
  UINT GetDlgCode() override;
  int BorderWidth() const override;
  // The text changed, by the user or the program: raises OnChange.
  virtual void Change();
  bool IsMultiLine() const { return (GetWindowStyle() & ES_MULTILINE) != 0; }
  // The left button went down on this control and is still held.
  bool LeftButtonHeld() const { return (GetControlState() & csLButtonDown) || GetKeyState(VK_LBUTTON) < 0; }

 private:
  // The user edited the text.
  void Edited();
  void ShowSelection();

  vcl::EditSelection FSelection;
  RECT FEditRect{0, 0, 0, 0};
  TBorderStyle FBorderStyle = bsSingle;
  int FMaxLength = 0;
  bool FAutoSelect = true;
  bool FModified = false;
  bool FReadOnly = false;
};

class TEdit : public TCustomEdit {
 public:
  using TCustomEdit::TCustomEdit;
};

// What push buttons, check boxes and radio buttons share: a press of the left button released
// over the control, or Space released on it, is one click of the button.
class TButtonControl : public TWinControl {
 public:
  explicit TButtonControl(TComponent* AOwner);

 protected:
  void DefaultHandler(TMessage& Message) override;
  // The button was clicked by the user.
  virtual void ButtonClicked() = 0;

 private:
  bool FPressed = false;
  bool FSpaceDown = false;
};

// A push button. Enter in the dialog clicks the focused button or else the default one;
// Escape clicks the cancel button.
class TButton : public TButtonControl {
 public:
  explicit TButton(TComponent* AOwner);
  bool GetDefault() const { return FDefault; }
  void SetDefault(bool Value);
  bool GetCancel() const { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }
  // Runs OnClick, as a click of the user does.
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void WndProc(TMessage& Message) override;
  void UpdateWindowState(user::WindowState& State) override;
  void ButtonClicked() override { Click(); }

 private:
  bool FDefault = false;
  bool FCancel = false;
};
