// The numeric spin edit: an edit field whose text is an integer, floating-point or hexadecimal
// value kept within limits, with a diagonal two-half spin button (or an up-down control) inside
// its right edge; the button, auto-repeat and the Up and Down keys step the value.
#pragma once

#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

using Extended = long double;

enum TValueType { vtInt, vtFloat, vtHex };
enum TSpinButtonKind { bkStandard, bkDiagonal };
enum TSpinButtonState { sbNotDown, sbTopDown, sbBottomDown };

// A square button split by its bottom-left to top-right diagonal: the upper-left half steps up,
// the lower-right half down. Drawn from three cached faces; a held half repeats after 400 ms,
// then every 100 ms.
class TQmSpinButton : public TGraphicControl {
 public:
  explicit TQmSpinButton(TComponent* AOwner);
  ~TQmSpinButton() override;

  TBitmap* GetUpGlyph() const { return FUpGlyph.get(); }
  // A copy of Bitmap; nil loads the built-in arrow "QMSPINUP" again.
  void SetUpGlyph(TBitmap* Bitmap);
  TBitmap* GetDownGlyph() const { return FDownGlyph.get(); }
  void SetDownGlyph(TBitmap* Bitmap);
  TSpinButtonState GetDown() const { return FDown; }
  void SetDown(TSpinButtonState State);
  TWinControl* GetFocusControl() const { return FFocusControl; }
  void SetFocusControl(TWinControl* Control);
  // The face shown for a state, as last drawn.
  TBitmap* GetFace(TSpinButtonState State) const;

  TNotifyEvent OnTopClick;
  TNotifyEvent OnBottomClick;

 protected:
  void Paint() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void WndProc(TMessage& Message) override;

 private:
  void TopClick();
  void BottomClick();
  void TimerExpired();
  void DrawAllBitmap();
  void DrawBitmap(TBitmap* Bitmap, TSpinButtonState State);
  void GlyphChanged(TObject* Sender);
  // Below the diagonal from the bottom-left to the top-right corner.
  bool InLowerHalf(int X, int Y) const;
  bool Inside(int X, int Y) const;
  // After a click: the pressed look ends once the left button is up.
  void AfterClick();

  TSpinButtonState FDown = sbNotDown;
  std::unique_ptr<TBitmap> FUpGlyph;
  std::unique_ptr<TBitmap> FDownGlyph;
  bool FDragging = false;
  bool FInvalidate = false;
  std::unique_ptr<TBitmap> FTopDownBitmap;
  std::unique_ptr<TBitmap> FBottomDownBitmap;
  TTimer* FRepeatTimer = nullptr;  // owned as a component
  std::unique_ptr<TBitmap> FNotDownBitmap;
  TSpinButtonState FLastDown = sbNotDown;
  TWinControl* FFocusControl = nullptr;
};

// The platform's up-down control turned into one click per press: it always rests at 0.
class TQmUpDown : public TCustomUpDown {
 public:
  explicit TQmUpDown(TComponent* AOwner);
  ~TQmUpDown() override;

 protected:
  void WndProc(TMessage& Message) override;

 private:
  bool FChanging = false;  // re-entry flag of the click
};

// The spin edit. Its value lives only in its text; every read parses it.
class TQmSpinEdit : public TCustomEdit {
 public:
  explicit TQmSpinEdit(TComponent* AOwner);
  ~TQmSpinEdit() override;

  Extended GetValue();
  void SetValue(Extended NewValue);
  // NewValue within [MinValue, MaxValue]; unchanged when the two limits are equal.
  Extended CheckValue(Extended NewValue) const;
  int GetAsInteger();
  void SetAsInteger(int NewValue) { SetValue(NewValue); }

  TAlignment GetAlignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  Extended GetMinValue() const { return FMinValue; }
  void SetMinValue(Extended Value) { FMinValue = Value; }
  Extended GetMaxValue() const { return FMaxValue; }
  void SetMaxValue(Extended Value) { FMaxValue = Value; }
  Extended GetIncrement() const { return FIncrement; }
  void SetIncrement(Extended Value) { FIncrement = Value; }
  BYTE GetDecimal() const { return FDecimal; }
  void SetDecimal(BYTE Value);
  bool GetEditorEnabled() const { return FEditorEnabled; }
  void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
  TValueType GetValueType() const { return FValueType; }
  void SetValueType(TValueType Value);
  bool GetArrowKeys() const { return FArrowKeys; }
  void SetArrowKeys(bool Value);
  TSpinButtonKind GetButtonKind();
  void SetButtonKind(TSpinButtonKind Value);

  // Whether a form's resource would store the value: it differs from the default.
  bool IsIncrementStored() const { return FIncrement != 1; }
  bool IsMaxStored() const { return FMaxValue != 0; }
  bool IsMinStored() const { return FMinValue != 0; }
  bool IsValueStored() { return GetValue() != 0; }

  // One step up or down; also the spin button's and the up-down's handlers.
  virtual void UpClick(TObject* Sender);
  virtual void DownClick(TObject* Sender);
  void UpDownClick(TObject* Sender, TUDBtnType Button);

  int GetButtonWidth() const;
  int GetMinHeight();
  void GetTextHeight(int& SysHeight, int& Height);
  void RecreateButton();
  void ResizeButton();
  void SetEditRect();

  // The buttons, for who needs to reach them: the diagonal button and its host window, or the
  // up-down control; null when the other kind is in use.
  TQmSpinButton* GetSpinButton() const { return FButton; }
  TWinControl* GetButtonHost() const { return FBtnWindow; }
  TQmUpDown* GetUpDown() const { return FUpDown; }

  TNotifyEvent OnTopClick;
  TNotifyEvent OnBottomClick;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  virtual bool IsValidChar(char Key);
  void WndProc(TMessage& Message) override;
  void Change() override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;

 private:
  // One step by Delta; `event` is OnTopClick or OnBottomClick.
  void Step(Extended Delta, const TNotifyEvent& Event);
  void WMSize(TMessage& Message);
  void CMEnter(TMessage& Message);
  void CMExit(TMessage& Message);

  TAlignment FAlignment = taLeftJustify;
  Extended FMinValue = 0;
  Extended FMaxValue = 0;
  Extended FIncrement = 1;
  BYTE FDecimal = 2;
  bool FChanging = false;
  bool FEditorEnabled = true;
  TValueType FValueType = vtInt;
  TQmSpinButton* FButton = nullptr;  // owned as components
  TWinControl* FBtnWindow = nullptr;
  bool FArrowKeys = true;
  TSpinButtonKind FButtonKind = bkDiagonal;
  TQmUpDown* FUpDown = nullptr;
  bool FDestroying = false;
  AnsiString FStepText;  // the text before a step, kept so a step allocates nothing for it
};

// The default width of the up-down control: min(SM_CXVSCROLL, 15).
int DefBtnWidth();

namespace qmspin {

// The value rules on their own, as the edit applies them to its text. A text that does not
// convert gives none. Integers are 32-bit; hexadecimal is digits only, without sign or prefix.
std::optional<long long> ParseInteger(const AnsiString& Text, bool Hex);
// Optional blanks, sign, digits with the decimal separator, optional exponent, nothing after.
std::optional<Extended> ParseFloat(const AnsiString& Text, char Separator);
// Fixed point with exactly Decimals digits after the separator and at most 15 significant ones.
AnsiString FormatFixed(Extended Value, int Decimals, char Separator);
// Rounded to the nearest integer, halves to even, within 64 bits.
long long RoundHalfEven(Extended Value);

}  // namespace qmspin
