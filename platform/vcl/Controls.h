// The class library's controls: the visual component base with its message dispatch, controls
// with a window of their own (parent and child windows, focus, tab order, alignment), painted
// controls with a canvas, and the input event types forms and controls raise.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "platform/user/UserPeer.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Sets.h"

// The class library's own messages (CM_) and the notifications a parent reflects back to the
// child control they are about (CN_: CN_BASE plus the notification's message).
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGKEY = CM_BASE + 5, CM_PARENTFONTCHANGED = CM_BASE + 8, CM_PARENTCOLORCHANGED = CM_BASE + 9,
               CM_VISIBLECHANGED = CM_BASE + 11, CM_ENABLEDCHANGED = CM_BASE + 12, CM_COLORCHANGED = CM_BASE + 13,
               CM_FONTCHANGED = CM_BASE + 14, CM_CURSORCHANGED = CM_BASE + 15, CM_CTL3DCHANGED = CM_BASE + 16,
               CM_PARENTCTL3DCHANGED = CM_BASE + 17, CM_TEXTCHANGED = CM_BASE + 18, CM_ENTER = CM_BASE + 26,
               CM_EXIT = CM_BASE + 27, CM_BIDIMODECHANGED = CM_BASE + 60, CM_PARENTBIDIMODECHANGED = CM_BASE + 61;
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND, CN_HSCROLL = CN_BASE + WM_HSCROLL, CN_VSCROLL = CN_BASE + WM_VSCROLL;

// One message on its way through a control's handlers; a handler may set Result.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

enum TShiftStateElement { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };

// The keys and mouse buttons held during an input event.
using TShiftState = TSet<TShiftStateElement>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Setting Key to 0 (or the character to '\0') in a handler swallows the key.
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, char& Key)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;

enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
// A form's frame; other controls use the first two (no border, or a single one).
enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;

// How a control behaves: takes the mouse while a button is held on it, runs Click on a release
// over it, shows its caption as its text.
constexpr unsigned csCaptureMouse = 0x1, csClickEvents = 0x2, csSetCaption = 0x4;
// Passing states: the left button went down on the control and is still held; the control is
// painting into a copy of what it shows (another canvas), not into its window.
constexpr unsigned csLButtonDown = 0x1, csClicked = 0x2, csPaintCopy = 0x4;

class TWinControl;

// Whether the platform's newer controls (the up-down among them) are there: version 4 and later.
extern bool NewStyleControls;

// A visual component: position and size in its parent's client area, visibility, colour, text,
// font and cursor, with the messages that reach it. Without a parent it is shown by no window.
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
  TRect GetBoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
  void SetBoundsRect(const TRect& R) { SetBounds(R.left, R.top, R.Width(), R.Height()); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  // The client area; windows with a border or a frame subtract it.
  virtual int GetClientWidth() const { return FWidth; }
  virtual int GetClientHeight() const { return FHeight; }
  TRect GetClientRect() const { return Rect(0, 0, GetClientWidth(), GetClientHeight()); }
  TAlign GetAlign() const { return FAlign; }
  void SetAlign(TAlign Value);

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
  bool GetParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  // Caption and Text are one text, as in the class library.
  AnsiString GetCaption() const { return FText; }
  void SetCaption(const AnsiString& Value) { SetText(Value); }
  const AnsiString& GetText() const { return FText; }
  void SetText(const AnsiString& Value);
  // Changing the font, or the object GetFont returns, ends ParentFont.
  TFont* GetFont() const { return FFont.get(); }
  void SetFont(TFont* Value);
  bool GetParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);
  bool GetCtl3D() const { return FCtl3D; }
  void SetCtl3D(bool Value);
  bool GetParentCtl3D() const { return FParentCtl3D; }
  void SetParentCtl3D(bool Value);
  TBiDiMode GetBiDiMode() const { return FBiDiMode; }
  void SetBiDiMode(TBiDiMode Value);
  bool GetParentBiDiMode() const { return FParentBiDiMode; }
  void SetParentBiDiMode(bool Value);
  bool UseRightToLeftReading() const { return FBiDiMode != bdLeftToRight; }
  TCursor GetCursor() const { return FCursor; }
  void SetCursor(TCursor Value);

  unsigned GetControlStyle() const { return FControlStyle; }
  void SetControlStyle(unsigned Value) { FControlStyle = Value; }
  unsigned GetControlState() const { return FControlState; }
  void SetControlState(unsigned Value) { FControlState = Value; }
  // Whether the mouse's messages come to this control while a button is held.
  bool GetMouseCapture() const;
  void SetMouseCapture(bool Value);

  // Sends a message through this control's handlers at once and returns its result. WM_PAINT
  // with a device context in WParam paints the control into that context at its origin.
  LRESULT Perform(UINT Msg, WPARAM WParam, LPARAM LParam);
  // The message handlers: each class handles its messages and passes the rest to its base.
  virtual void WndProc(TMessage& Message);

  // Invalidate paints at the next pass of the message loop; Repaint paints now.
  virtual void Invalidate();
  virtual void Repaint();

  TNotifyEvent OnClick;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;

 protected:
  // What the window does with a message no handler took (the window class's own behaviour).
  virtual void DefaultHandler(TMessage&) {}
  // A property the window shows changed.
  virtual void Changed() {}
  // The text itself, for a control that edits it in place (which is no CM_TEXTCHANGED).
  AnsiString& TextBuffer() { return FText; }
  virtual void Click();
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  friend class TWinControl;

 private:
  void FontChanged();
  void MouseMessage(TMessage& Message);
  // Takes the parent's font, colour, 3-D look or reading order where this control follows it.
  void FollowParent();

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor;
  bool FParentColor = true;
  AnsiString FText;
  std::unique_ptr<TFont> FFont;
  bool FParentFont = true;
  bool FFollowingParent = false;
  bool FCtl3D = true;
  bool FParentCtl3D = true;
  TBiDiMode FBiDiMode = bdLeftToRight;
  bool FParentBiDiMode = true;
  TCursor FCursor = crDefault;
  unsigned FControlStyle = 0;
  unsigned FControlState = 0;
};

// What a windowed control asks of its window: styles and the kind of control the peer shows.
struct TCreateParams {
  DWORD Style = 0;
  DWORD ExStyle = 0;
  user::WindowClass WindowClass = user::WindowClass::Plain;
};

// Keys a control takes itself instead of leaving them to the dialog (tab, arrows, Enter and
// Escape).
constexpr UINT DLGC_WANTARROWS = 0x1, DLGC_WANTTAB = 0x2, DLGC_WANTALLKEYS = 0x4, DLGC_WANTCHARS = 0x80;

// A control with a window of its own, created on first need, and child controls. Input for the
// window arrives through the program's message queue and is dispatched here; mouse messages
// over a child without a window go to that child.
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
  // Whether AControl is this control or lies inside it.
  bool ContainsControl(const TControl* AControl) const;
  // The windowed control of this window or one of its children's, or null.
  TWinControl* FindControl(HWND Window);

  // Position among the parent's windowed children that Tab follows; setting moves it there
  // (without a parent yet, once it has one).
  int GetTabOrder() const;
  void SetTabOrder(int Value);
  bool GetTabStop() const { return FTabStop; }
  void SetTabStop(bool Value) { FTabStop = Value; }
  // Every windowed control inside this one, in tab order, depth first.
  void GetTabOrderList(std::vector<TWinControl*>& List) const;
  // The next control after CurControl that can take the focus (with TabStop, when asked; with
  // the same parent, when asked); null when there is none.
  TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop, bool CheckParent) const;
  void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
  // The control with the focus, as this top-level window records it.
  TWinControl* GetFocusedControl() const { return FFocusedControl; }

  // Visible and enabled, up to the top-level window.
  virtual bool CanFocus() const;
  bool Focused() const;
  virtual void SetFocus();

  // Sends Message to every child until one sets a result.
  void Broadcast(TMessage& Message);
  void Realign();
  // Between these (they nest) the children are not aligned; the last EnableAlign aligns them
  // when anything asked for it meanwhile.
  void DisableAlign();
  void EnableAlign();
  // Destroys the window (with its children's); the next need makes a new one.
  virtual void DestroyHandle();
  // Draws the window's own content over its background, without the children.
  virtual void PaintWindow(HDC) {}

  void WndProc(TMessage& Message) override;
  void Invalidate() override;
  void Repaint() override;
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  int GetClientWidth() const override { return std::max(GetWidth() - 2 * BorderWidth(), 0); }
  int GetClientHeight() const override { return std::max(GetHeight() - 2 * BorderWidth(), 0); }

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

 protected:
  virtual void CreateParams(TCreateParams& Params);
  // The styles the window was made with.
  DWORD GetWindowStyle() const { return FStyle; }
  // A control window takes the focus when the left button goes down on it; the rest goes to
  // the window manager's default (DefWindowProcA).
  void DefaultHandler(TMessage& Message) override;
  // Makes the window from CreateParams and the control's state, then sizes it (WM_SIZE).
  virtual void CreateWnd();
  void CreateHandle();
  // The window's state as the peer shows it; classes add what they show.
  virtual void UpdateWindowState(user::WindowState& State);
  // The keys this control takes itself (DLGC_ flags).
  virtual UINT GetDlgCode() { return 0; }
  // Where the child windows' area starts inside the window: a border's width.
  virtual int BorderWidth() const { return 0; }
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyPress(char& Key);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void DoEnter();
  virtual void DoExit();
  // A form that wants the keys of its controls first says so.
  virtual bool GetKeyPreview() const { return false; }
  // The top-level window records which control has the focus; the form does more.
  virtual void SetFocusedControl(TWinControl* Control);
  void Changed() override;
  // Arranges the children with an alignment in the client area.
  virtual void AlignControls();
  friend class TControl;

 private:
  LRESULT MainWndProc(const MSG& Message);
  void KeyMessage(TMessage& Message);
  bool DialogKey(WORD Key);
  void RouteMouse(TMessage& Message);
  TControl* ControlAtPos(int X, int Y) const;
  void ReflectNotification(TMessage& Message);
  // Background, own content and children without a window, into the window's device context.
  void PaintOwnWindow();
  // Own content and children without a window into a device context given.
  void PaintHandler(HDC DC);
  void PaintControls(HDC DC);
  TWinControl* TopWindow();
  void NotifyControls(UINT Msg);

  HWND FHandle = nullptr;
  DWORD FStyle = 0;
  bool FPaintQueued = false;
  bool FTabStop = false;
  bool FAligning = false;
  int FAlignLevel = 0;
  bool FAlignNeeded = false;
  int FPendingTabOrder = -1;
  TCursor FHoverCursor = crDefault;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  TWinControl* FFocusedControl = nullptr;  // kept by the top-level window
  // What the window shows, kept so an update reuses its texts' storage.
  user::WindowState FState;
};

// A windowed control that draws itself on its canvas in Paint.
class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* AOwner);
  ~TCustomControl() override;
  TCanvas* GetCanvas() const { return FCanvas.get(); }
  void PaintWindow(HDC dc) override;

 protected:
  virtual void Paint() {}

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
  void WndProc(TMessage& Message) override;

 protected:
  virtual void Paint() {}

 private:
  std::unique_ptr<TCanvas> FCanvas;
};

// Shift state from the keys held when the current message was posted.
TShiftState KeyboardShiftState();

// The control that holds the mouse while a button is held, or null.
TControl* GetCaptureControl();

namespace vcl {
// Paints a control without a window into the device context with its top-left corner at the
// viewport origin given, clipped to its size; the context's state is given back after.
void PaintControlAt(TControl* Control, HDC DC, POINT Origin);
}  // namespace vcl
