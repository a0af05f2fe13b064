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

// A multi-line edit field whose text is its Lines joined with CR LF.
class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  TStringList* GetLines() const { return FLines.get(); }
  void SetLines(TStringList* Value) { FLines->Assign(Value); }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Change() override;

 private:
  std::unique_ptr<TStringList> FLines;
  bool FSyncing = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// A check box: a click toggles it; any change of its state, by the user or the program, runs
// OnClick.
class TCheckBox : public TButtonControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  bool GetChecked() const { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState GetState() const { return FState; }
  void SetState(TCheckBoxState Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void UpdateWindowState(user::WindowState& State) override;
  void ButtonClicked() override { SetChecked(!GetChecked()); }

 private:
  TCheckBoxState FState = cbUnchecked;
};

// A radio button, grouped with the radio buttons of the same parent: checking it unchecks them
// without their handlers; OnClick runs only when it becomes checked. Only the checked one is a
// tab stop; the arrow keys move the check among the group.
class TRadioButton : public TButtonControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  bool GetChecked() const { return FChecked; }
  void SetChecked(bool Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void UpdateWindowState(user::WindowState& State) override;
  void DefaultHandler(TMessage& Message) override;
  UINT GetDlgCode() override { return DLGC_WANTARROWS; }
  void ButtonClicked() override { SetChecked(true); }

 private:
  bool FChecked = false;
};

// A frame with a caption at its top left, around the controls inside it.
class TCustomGroupBox : public TCustomControl {
 public:
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  void Paint() override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  using TCustomGroupBox::TCustomGroupBox;
};

// A caption drawn on its parent's window, sized to its text while AutoSize is set; disabled it
// shows the text embossed in grey.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  bool GetAutoSize() const { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool GetTransparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  void WndProc(TMessage& Message) override;

 protected:
  void Paint() override;

 private:
  void AdjustBounds();

  bool FAutoSize = true;
  bool FTransparent = false;
};

// An editable combo box (its own text above a list that drops down). The items are the
// control's; the peer reads them when the list opens. Setting ItemIndex runs no handler; the
// user's choice from the list or typing runs OnChange, and text typed that names no item leaves
// ItemIndex at -1. Its text cuts, copies, pastes and selects with the keys an edit field's does.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  TStringList* GetItems() const { return FItems.get(); }
  int GetItemIndex() const { return FItemIndex; }
  void SetItemIndex(int Value);
  bool GetDroppedDown() const { return FDroppedDown; }
  void SetDroppedDown(bool Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void UpdateWindowState(user::WindowState& State) override;
  void WndProc(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  UINT GetDlgCode() override { return DLGC_WANTARROWS | DLGC_WANTCHARS; }
  virtual void Change();

 private:
  class ItemsView;
  // The user chose an item or typed: the text and ItemIndex follow, then OnChange.
  void UserChose(int Index);
  void UserTyped();

  std::unique_ptr<TStringList> FItems;
  std::unique_ptr<ItemsView> FItemsView;
  vcl::EditSelection FSelection;
  int FItemIndex = -1;
  bool FDroppedDown = false;
};
