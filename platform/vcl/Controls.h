// The class library's controls: the visual component base, controls with a window of their own,
// painted controls with a canvas, and the input event types forms and controls raise.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <vector>

#include "platform/user/UserPeer.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

enum TShiftStateElement { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

// The keys and mouse buttons held during an input event.
class TShiftState {
 public:
  TShiftState() = default;
  TShiftState(std::initializer_list<TShiftStateElement> elements) {
    for (TShiftStateElement e : elements) *this << e;
  }
  bool Contains(TShiftStateElement e) const { return (FBits >> e) & 1u; }
  TShiftState& operator<<(TShiftStateElement e) {
    FBits = static_cast<std::uint8_t>(FBits | (1u << e));
    return *this;
  }
  TShiftState& operator>>(TShiftStateElement e) {
    FBits = static_cast<std::uint8_t>(FBits & ~(1u << e));
    return *this;
  }
  bool Empty() const { return FBits == 0; }
  bool operator==(const TShiftState&) const = default;

 private:
  std::uint8_t FBits = 0;
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Setting Key to 0 (or the character to '\0') in a handler swallows the key.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

class TWinControl;

// A visual component: position and size in its parent's client area, visibility, colour, text
// and font. Without a parent it is shown by no window.
class TControl : public TComponent {
 public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  TWinControl* GetParent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int GetLeft() const { return FLeft; }
  int GetTop() const { return FTop; }
  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // The client area; forms subtract their frame.
  virtual int GetClientWidth() const { return FWidth; }
  virtual int GetClientHeight() const { return FHeight; }

  bool GetVisible() const { return FVisible; }
  virtual void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and so is every parent up to a window without one.
  bool GetShowing() const;

  bool GetEnabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  TColor GetColor() const { return FColor; }
  void SetColor(TColor Value);
  // Caption and Text are one text, as in the class library.
  AnsiString GetCaption() const { return FText; }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  AnsiString GetText() const { return FText; }
  void SetText(const AnsiString& Value);
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value);

  // Invalidate paints at the next pass of the message loop; Repaint paints now.
  void Invalidate();
  virtual void Repaint();

  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

 protected:
  // A property the window shows changed.
  virtual void Changed() {}
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  // A control without a window paints itself on its parent's window device context.
  virtual void PaintOnParent(HDC) {}
  friend class TWinControl;

 private:
  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor;
  AnsiString FText;
  std::unique_ptr<TFont> FFont;
};

// A control with a window of its own, created on first need, and child controls. Input for the
// window arrives through the program's message queue and is dispatched here.
class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  HWND GetHandle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded() { GetHandle(); }
  // Destroys the window (with the input still queued for it) and makes a new one.
  void RecreateWnd();

  int GetControlCount() const { return static_cast<int>(FControls.size()); }
  TControl* GetControl(int Index) const { return FControls.at(static_cast<std::size_t>(Index)); }
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);

  void Repaint() override;

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;

 protected:
  virtual user::WindowState GetWindowState();
  virtual void CreateHandle();
  virtual void DestroyHandle();
  // The window procedure: every message for this window passes here.
  virtual LRESULT WndProc(const MSG& Message);
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  // A form that wants the keys of its controls first says so.
  virtual bool GetKeyPreview() const { return false; }
  void Changed() override;
  // Draws the window's own content over its background.
  virtual void PaintWindow(HDC) {}

 private:
  void PaintHandler();
  void DispatchKeyDown(WORD& Key, TShiftState Shift);
  void DispatchKeyPress(char& Key);
  TWinControl* TopWindow();
  friend class TControl;

  HWND FHandle = nullptr;
  bool FPaintQueued = false;
  std::vector<TControl*> FControls;
};

// A windowed control that draws itself on its canvas in Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* GetCanvas() const { return FCanvas.get(); }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  std::unique_ptr<TCanvas> FCanvas;
};

// A control without a window, drawn on its parent's window; Paint draws on its canvas.
class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* AOwner);
  ~TGraphicControl() override;
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  void Repaint() override;

 protected:
  virtual void Paint() {}
  void PaintOnParent(HDC dc) override;

 private:
  std::unique_ptr<TCanvas> FCanvas;
};

// Shift state from the keys held when the current message was posted.
TShiftState KeyboardShiftState();
