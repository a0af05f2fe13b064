// Controls: bounds, visibility, text, font and colour kept here and mirrored into the window
// records; messages dispatched through each class's handlers; focus and tab order kept by the
// top-level window; mouse input routed to the controls without a window; painting on a canvas.
#include "platform/vcl/Controls.h"

#include <algorithm>
#include <utility>

#include "platform/gdi/SavedDC.h"

namespace {

TControl* captureControl = nullptr;  // main thread only, like all input

// Lends a device context to a control's canvas, with the control's font and colour, for one
// paint, also when Paint throws.
class CanvasLoan {
 public:
  CanvasLoan(TCanvas* canvas, HDC dc, const TControl& control) : FCanvas(canvas) {
    FCanvas->SetHandle(dc);
    FCanvas->SetFont(control.GetFont());
    FCanvas->GetBrush()->SetColor(control.GetColor());
  }
  ~CanvasLoan() { FCanvas->SetHandle(nullptr); }
  CanvasLoan(const CanvasLoan&) = delete;
  CanvasLoan& operator=(const CanvasLoan&) = delete;

 private:
  TCanvas* FCanvas;
};

TShiftState MouseShiftState(WPARAM flags) {
  TShiftState shift;
  if (flags & MK_SHIFT) shift << ssShift;
  if (flags & MK_CONTROL) shift << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift << ssAlt;
  if (flags & MK_LBUTTON) shift << ssLeft;
  if (flags & MK_RBUTTON) shift << ssRight;
  if (flags & MK_MBUTTON) shift << ssMiddle;
  return shift;
}

bool IsMouseMessage(UINT msg) { return msg >= WM_MOUSEMOVE && msg <= WM_MBUTTONUP; }

TMouseButton ButtonOf(UINT msg) {
  switch (msg) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return mbRight;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return mbMiddle;
    default: return mbLeft;
  }
}

// The key whose character a dialog took; its WM_CHAR, which follows, is dropped.
char swallowedChar = 0;

}  // namespace

TShiftState KeyboardShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) shift << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) shift << ssAlt;
  if (GetKeyState(VK_LBUTTON) < 0) shift << ssLeft;
  if (GetKeyState(VK_RBUTTON) < 0) shift << ssRight;
  if (GetKeyState(VK_MBUTTON) < 0) shift << ssMiddle;
  return shift;
}

TControl* GetCaptureControl() { return captureControl; }

void vcl::PaintControlAt(TControl* Control, HDC DC, POINT Origin) {
  if (Control->GetWidth() <= 0 || Control->GetHeight() <= 0) return;
  const gdi::SavedDC saved(DC);
  SetViewportOrgEx(DC, Origin.x, Origin.y, nullptr);
  IntersectClipRect(DC, 0, 0, Control->GetWidth(), Control->GetHeight());
  Control->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
}

bool NewStyleControls = true;

// --- TControl ---

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clBtnFace), FFont(std::make_unique<TFont>()) {
  FFont->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  if (captureControl == this) SetMouseCapture(false);
  FFont->OnChange = nullptr;
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  if (FParent && !dynamic_cast<TWinControl*>(this)) FParent->Invalidate();  // the old place
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed();
  Invalidate();
  if (FParent && FAlign != alNone) FParent->Realign();
}

void TControl::SetAlign(TAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  if (FParent) FParent->Realign();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Perform(CM_VISIBLECHANGED, Value, 0);
  Changed();
  if (Value) Invalidate();
  if (FParent) {
    FParent->Invalidate();
    if (FAlign != alNone) FParent->Realign();
  }
}

bool TControl::GetShowing() const {
  if (!FVisible) return false;
  if (FParent) return FParent->GetShowing();
  return dynamic_cast<const TWinControl*>(this) != nullptr;  // a window of its own at the top
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  if (!FFollowingParent) FParentColor = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetParentColor(bool Value) {
  if (Value == FParentColor) return;
  FParentColor = Value;
  if (Value) FollowParent();
}

void TControl::SetText(const AnsiString& Value) {
  if (Value == FText) return;
  FText = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::SetFont(TFont* Value) { FFont->Assign(Value); }

void TControl::FontChanged() {
  if (!FFollowingParent) FParentFont = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (Value == FParentFont) return;
  FParentFont = Value;
  if (Value) FollowParent();
}

void TControl::SetCtl3D(bool Value) {
  if (!FFollowingParent) FParentCtl3D = false;
  if (Value == FCtl3D) return;
  FCtl3D = Value;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TControl::SetParentCtl3D(bool Value) {
  if (Value == FParentCtl3D) return;
  FParentCtl3D = Value;
  if (Value) FollowParent();
}

void TControl::SetBiDiMode(TBiDiMode Value) {
  if (!FFollowingParent) FParentBiDiMode = false;
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetParentBiDiMode(bool Value) {
  if (Value == FParentBiDiMode) return;
  FParentBiDiMode = Value;
  if (Value) FollowParent();
}

void TControl::FollowParent() {
  if (!FParent) return;
  FFollowingParent = true;
  try {
    if (FParentFont) FFont->Assign(FParent->GetFont());
    if (FParentColor) SetColor(FParent->GetColor());
    if (FParentCtl3D) SetCtl3D(FParent->GetCtl3D());
    if (FParentBiDiMode) SetBiDiMode(FParent->GetBiDiMode());
  } catch (...) {
    FFollowingParent = false;
    throw;
  }
  FFollowingParent = false;
}

void TControl::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

bool TControl::GetMouseCapture() const { return captureControl == this; }

void TControl::SetMouseCapture(bool Value) {
  if (Value == GetMouseCapture()) return;
  if (!Value) {
    captureControl = nullptr;
    ReleaseCapture();
    return;
  }
  captureControl = this;
  auto* window = dynamic_cast<TWinControl*>(this);
  if (!window) window = FParent;
  if (window && window->HandleAllocated()) SetCapture(window->GetHandle());
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage message{Msg, WParam, LParam, 0};
  WndProc(message);
  return message.Result;
}

void TControl::WndProc(TMessage& Message) {
  if (IsMouseMessage(Message.Msg)) {
    MouseMessage(Message);
    return;
  }
  switch (Message.Msg) {
    case CM_ENABLEDCHANGED:
    case CM_COLORCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
    case CM_VISIBLECHANGED:
      Changed();
      Invalidate();
      return;
    case CM_PARENTFONTCHANGED:
    case CM_PARENTCOLORCHANGED:
    case CM_PARENTCTL3DCHANGED:
    case CM_PARENTBIDIMODECHANGED: FollowParent(); return;
    case CM_CTL3DCHANGED:
    case CM_BIDIMODECHANGED:
    case CM_CURSORCHANGED: Changed(); return;
    default: DefaultHandler(Message);
  }
}

// The window's own behaviour comes first, then the class library's events, as the platform
// does: a button's click runs before OnMouseUp.
void TControl::MouseMessage(TMessage& Message) {
  const int x = GET_X_LPARAM(Message.LParam);
  const int y = GET_Y_LPARAM(Message.LParam);
  const TShiftState shift = MouseShiftState(Message.WParam);
  const TMouseButton button = ButtonOf(Message.Msg);
  switch (Message.Msg) {
    case WM_MOUSEMOVE:
      DefaultHandler(Message);
      MouseMove(shift, x, y);
      return;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      if (button == mbLeft) {
        if (FControlStyle & csCaptureMouse) SetMouseCapture(true);
        if (FControlStyle & csClickEvents) FControlState |= csClicked;
        FControlState |= csLButtonDown;
      }
      DefaultHandler(Message);
      MouseDown(button, shift, x, y);
      return;
    default:  // a button released
      if (button == mbLeft) FControlState &= ~csLButtonDown;
      DefaultHandler(Message);
      if (button == mbLeft) {
        if (FControlStyle & csCaptureMouse) SetMouseCapture(false);
        if (FControlState & csClicked) {
          FControlState &= ~csClicked;
          if (x >= 0 && y >= 0 && x < FWidth && y < FHeight) Click();
        }
      }
      MouseUp(button, shift, x, y);
  }
}

void TControl::Invalidate() {
  if (FParent) FParent->Invalidate();
}

void TControl::Repaint() { Invalidate(); }

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) {
  if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

// --- TWinControl ---

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
  // The children may outlive this control (their owner frees them later): let them go first.
  for (TControl* child : FControls) {
    if (auto* w = dynamic_cast<TWinControl*>(child); w && w->HandleAllocated()) w->DestroyHandle();
    child->FParent = nullptr;
  }
  FControls.clear();
  FTabList.clear();
  if (HandleAllocated()) DestroyHandle();
  if (GetParent()) {
    // Leaving here also leaves the focus; the base destructor would be too late for that.
    GetParent()->RemoveControl(this);
  }
}

HWND TWinControl::GetHandle() {
  if (!FHandle) CreateHandle();
  return FHandle;
}

void TWinControl::RecreateWnd() {
  if (!HandleAllocated()) return;
  const bool focused = Focused();
  DestroyHandle();
  CreateHandle();
  if (focused) ::SetFocus(FHandle);
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  FControls.push_back(AControl);
  AControl->FParent = this;
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w) {
    FTabList.push_back(w);
    if (w->FPendingTabOrder >= 0) w->SetTabOrder(std::exchange(w->FPendingTabOrder, -1));
  }
  AControl->FollowParent();
  if (w && HandleAllocated()) w->HandleNeeded();
  AControl->Changed();
  AControl->Invalidate();
  if (AControl->FAlign != alNone) Realign();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  FControls.erase(it);
  if (captureControl == AControl) AControl->SetMouseCapture(false);
  auto* w = dynamic_cast<TWinControl*>(AControl);
  if (w) {
    std::erase(FTabList, w);
    TWinControl* top = TopWindow();
    if (top->FFocusedControl && w->ContainsControl(top->FFocusedControl)) top->FFocusedControl = nullptr;
    // A child window cannot stay inside a parent it left.
    if (w->HandleAllocated()) w->DestroyHandle();
  }
  AControl->FParent = nullptr;
  Invalidate();
}

bool TWinControl::ContainsControl(const TControl* AControl) const {
  for (const TControl* c = AControl; c; c = c->GetParent())
    if (c == this) return true;
  return false;
}

TWinControl* TWinControl::FindControl(HWND Window) {
  if (!Window) return nullptr;
  if (FHandle == Window) return this;
  for (TWinControl* child : FTabList)
    if (TWinControl* found = child->FindControl(Window)) return found;
  return nullptr;
}

int TWinControl::GetTabOrder() const {
  if (!GetParent()) return -1;
  const auto& list = GetParent()->FTabList;
  return static_cast<int>(std::find(list.begin(), list.end(), this) - list.begin());
}

void TWinControl::SetTabOrder(int Value) {
  if (!GetParent()) {
    FPendingTabOrder = Value;
    return;
  }
  auto& list = GetParent()->FTabList;
  std::erase(list, this);
  const auto index = static_cast<std::size_t>(std::clamp(Value, 0, static_cast<int>(list.size())));
  list.insert(list.begin() + static_cast<std::ptrdiff_t>(index), this);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) const {
  for (TWinControl* child : FTabList) {
    List.push_back(child);
    child->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) const {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  const auto n = static_cast<std::ptrdiff_t>(list.size());
  const std::ptrdiff_t start = std::find(list.begin(), list.end(), CurControl) - list.begin();
  std::ptrdiff_t i = start == n ? (GoForward ? n - 1 : 0) : start;
  for (std::ptrdiff_t step = 0; step < n; ++step) {
    i = GoForward ? (i + 1) % n : (i + n - 1) % n;
    TWinControl* candidate = list[static_cast<std::size_t>(i)];
    if (candidate == CurControl) break;
    if (!candidate->CanFocus() || (CheckTabStop && !candidate->GetTabStop())) continue;
    if (CheckParent && CurControl && candidate->GetParent() != CurControl->GetParent()) continue;
    return candidate;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop)) next->SetFocus();
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->GetParent())
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

bool TWinControl::Focused() const { return FHandle && ::GetFocus() == FHandle; }

void TWinControl::SetFocus() {
  TopWindow()->SetFocusedControl(this);
  if (GetShowing()) ::SetFocus(GetHandle());
}

void TWinControl::SetFocusedControl(TWinControl* Control) {
  if (Control == FFocusedControl) return;
  TWinControl* previous = FFocusedControl;
  FFocusedControl = Control;
  if (previous) previous->Perform(CM_EXIT, 0, 0);
  if (Control && FFocusedControl == Control) Control->Perform(CM_ENTER, 0, 0);
}

void TWinControl::Broadcast(TMessage& Message) {
  for (std::size_t i = 0; i < FControls.size(); ++i) {
    FControls[i]->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  for (std::size_t i = 0; i < FControls.size(); ++i) FControls[i]->Perform(Msg, 0, 0);
}

void TWinControl::Realign() {
  if (FAlignLevel > 0) {
    FAlignNeeded = true;
    return;
  }
  if (FAligning) return;
  FAligning = true;
  try {
    AlignControls();
  } catch (...) {
    FAligning = false;
    throw;
  }
  FAligning = false;
}

void TWinControl::DisableAlign() { ++FAlignLevel; }

void TWinControl::EnableAlign() {
  if (FAlignLevel == 0 || --FAlignLevel > 0 || !FAlignNeeded) return;
  FAlignNeeded = false;
  Realign();
}

void TWinControl::AlignControls() {
  TRect area = GetClientRect();
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    for (TControl* c : FControls) {
      if (c->FAlign != align || !c->GetVisible()) continue;
      const int w = c->GetWidth(), h = c->GetHeight();
      switch (align) {
        case alTop:
          c->SetBounds(area.left, area.top, area.Width(), h);
          area.top += h;
          break;
        case alBottom:
          c->SetBounds(area.left, area.bottom - h, area.Width(), h);
          area.bottom -= h;
          break;
        case alLeft:
          c->SetBounds(area.left, area.top, w, area.Height());
          area.left += w;
          break;
        case alRight:
          c->SetBounds(area.right - w, area.top, w, area.Height());
          area.right -= w;
          break;
        default: c->SetBounds(area.left, area.top, area.Width(), area.Height());
      }
    }
  }
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const bool resized = AWidth != GetWidth() || AHeight != GetHeight();
  TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (!resized) return;
  Realign();
  if (HandleAllocated()) Perform(WM_SIZE, 0, MAKELPARAM(GetClientWidth(), GetClientHeight()));
}

void TWinControl::CreateParams(TCreateParams& Params) {
  Params.Style = WS_CHILD | WS_CLIPCHILDREN;
  if (GetVisible()) Params.Style |= WS_VISIBLE;
  if (FTabStop) Params.Style |= WS_TABSTOP;
}

void TWinControl::CreateHandle() {
  if (!FHandle) CreateWnd();
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  FStyle = params.Style;
  FState.windowClass = params.WindowClass;
  FState.className = ClassName();
  UpdateWindowState(FState);
  FHandle = user::CreateWindowRecord(FState, [this](const MSG& m) { return MainWndProc(m); });
  // Child windows exist while their parent's does.
  for (TControl* child : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(child)) w->HandleNeeded();
  Perform(WM_SIZE, 0, MAKELPARAM(GetClientWidth(), GetClientHeight()));
  Invalidate();  // a new window is painted once it is there
}

void TWinControl::DestroyHandle() {
  for (TControl* child : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(child); w && w->HandleAllocated()) w->DestroyHandle();
  DestroyWindow(FHandle);
  FHandle = nullptr;
  FPaintQueued = false;
}

void TWinControl::UpdateWindowState(user::WindowState& State) {
  TWinControl* parent = GetParent();
  State.parent = parent ? parent->GetHandle() : nullptr;
  State.caption = GetText();
  State.frame = user::Frame::None;
  State.left = GetLeft();
  State.top = GetTop();
  State.width = GetClientWidth();
  State.height = GetClientHeight();
  State.visible = GetVisible();
  State.color = static_cast<COLORREF>(ColorToRGB(GetColor()));
  State.enabled = GetEnabled();
  State.border = BorderWidth();
  const TFont* font = GetFont();
  State.font.face = font->GetName();
  State.font.height = font->GetHeight();
  State.font.bold = font->GetStyle().Contains(fsBold);
  State.font.italic = font->GetStyle().Contains(fsItalic);
  State.font.underline = font->GetStyle().Contains(fsUnderline);
  State.font.strikeOut = font->GetStyle().Contains(fsStrikeOut);
  State.font.color = static_cast<COLORREF>(ColorToRGB(font->GetColor()));
  if (State.windowClass != user::WindowClass::Plain || FHoverCursor == crDefault) State.cursor = GetCursor();
}

void TWinControl::Changed() {
  if (!HandleAllocated()) return;
  UpdateWindowState(FState);
  user::UpdateWindow(FHandle, FState);
}

LRESULT TWinControl::MainWndProc(const MSG& Message) {
  TMessage message{Message.message, Message.wParam, Message.lParam, 0};
  WndProc(message);
  return message.Result;
}

void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT:
      if (Message.WParam) {
        PaintHandler(reinterpret_cast<HDC>(Message.WParam));
        return;
      }
      FPaintQueued = false;
      PaintOwnWindow();
      return;
    case WM_ERASEBKGND: {
      const RECT client{0, 0, GetClientWidth(), GetClientHeight()};
      HBRUSH background = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(GetColor())));
      FillRect(reinterpret_cast<HDC>(Message.WParam), &client, background);
      DeleteObject(background);
      Message.Result = 1;
      return;
    }
    case WM_SETFOCUS:
      if (!CanFocus()) return;
      // A window that comes back to the front gives the focus back to its control.
      if (!GetParent() && FFocusedControl && FFocusedControl != this) {
        FFocusedControl->SetFocus();
        return;
      }
      if (::GetFocus() != FHandle) ::SetFocus(FHandle);
      TopWindow()->SetFocusedControl(this);
      return;
    case WM_KEYDOWN:
    case WM_CHAR:
    case WM_KEYUP:
      if (GetEnabled()) KeyMessage(Message);
      return;
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_VSCROLL: ReflectNotification(Message); return;
    case CM_ENTER: DoEnter(); return;
    case CM_EXIT: DoExit(); return;
    case CM_DIALOGKEY: Broadcast(Message); return;
    case CM_FONTCHANGED:
    case CM_COLORCHANGED:
    case CM_CTL3DCHANGED:
    case CM_BIDIMODECHANGED: {
      TControl::WndProc(Message);
      static constexpr std::pair<UINT, UINT> kParentNews[] = {{CM_FONTCHANGED, CM_PARENTFONTCHANGED},
                                                              {CM_COLORCHANGED, CM_PARENTCOLORCHANGED},
                                                              {CM_CTL3DCHANGED, CM_PARENTCTL3DCHANGED},
                                                              {CM_BIDIMODECHANGED, CM_PARENTBIDIMODECHANGED}};
      for (const auto& [news, parentNews] : kParentNews)
        if (news == Message.Msg) NotifyControls(parentNews);
      return;
    }
    default: break;
  }
  if (IsMouseMessage(Message.Msg)) {
    if (GetEnabled()) RouteMouse(Message);  // a disabled window takes no input
    return;
  }
  TControl::WndProc(Message);
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (Message.Msg == WM_LBUTTONDOWN && FState.windowClass != user::WindowClass::Plain && CanFocus() && !Focused())
    SetFocus();
  else
    Message.Result = DefWindowProcA(FHandle, Message.Msg, Message.WParam, Message.LParam);
}

void TWinControl::ReflectNotification(TMessage& Message) {
  HWND from = reinterpret_cast<HWND>(Message.LParam);
  for (TControl* child : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(child); w && from && w->FHandle == from) {
      Message.Result = w->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
      return;
    }
  DefaultHandler(Message);
}

TControl* TWinControl::ControlAtPos(int X, int Y) const {
  for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
    TControl* c = *it;
    if (dynamic_cast<TWinControl*>(c) || !c->GetVisible() || !c->GetEnabled()) continue;
    if (X >= c->GetLeft() && Y >= c->GetTop() && X < c->GetLeft() + c->GetWidth() && Y < c->GetTop() + c->GetHeight())
      return c;
  }
  return nullptr;
}

// Mouse messages over a child without a window, or while it holds the mouse, are its own,
// in its coordinates; the window's cursor follows the control under the pointer.
void TWinControl::RouteMouse(TMessage& Message) {
  const int x = GET_X_LPARAM(Message.LParam);
  const int y = GET_Y_LPARAM(Message.LParam);
  TControl* target = nullptr;
  if (captureControl && captureControl != this) {
    if (captureControl->GetParent() == this) target = captureControl;
  } else if (!captureControl) {
    target = ControlAtPos(x, y);
  }
  if (Message.Msg == WM_MOUSEMOVE && FState.windowClass == user::WindowClass::Plain) {
    const TCursor hover = target && target->GetCursor() != crDefault ? target->GetCursor() : crDefault;
    if (hover != FHoverCursor) {
      FHoverCursor = hover;
      FState.cursor = hover != crDefault ? hover : GetCursor();
      if (HandleAllocated()) user::UpdateWindow(FHandle, FState);
    }
  }
  if (!target) {
    TControl::WndProc(Message);
    return;
  }
  TMessage own = Message;
  own.LParam = MAKELPARAM(x - target->GetLeft(), y - target->GetTop());
  target->WndProc(own);
  Message.Result = own.Result;
}

TWinControl* TWinControl::TopWindow() {
  TWinControl* top = this;
  while (top->GetParent()) top = top->GetParent();
  return top;
}

// Keys go to the form first when it previews them, then to the control's handlers; a key the
// control does not take (Tab, Enter, Escape, arrows) then goes to the dialog, and what is left
// reaches the window's own behaviour.
void TWinControl::KeyMessage(TMessage& Message) {
  TWinControl* form = TopWindow();
  const bool preview = form != this && form->GetKeyPreview();
  if (Message.Msg == WM_CHAR) {
    char key = static_cast<char>(Message.WParam);
    if (swallowedChar != 0 && key == swallowedChar) {
      swallowedChar = 0;
      return;
    }
    swallowedChar = 0;
    if (preview) form->KeyPress(key);
    if (key != '\0') KeyPress(key);
    if (key == '\0') return;
    Message.WParam = static_cast<unsigned char>(key);
    DefaultHandler(Message);
    return;
  }
  WORD key = static_cast<WORD>(Message.WParam);
  const TShiftState shift = KeyboardShiftState();
  if (Message.Msg == WM_KEYUP) {
    if (preview) form->KeyUp(key, shift);
    if (key != 0) KeyUp(key, shift);
  } else {
    swallowedChar = 0;
    if (preview) form->KeyDown(key, shift);
    if (key != 0) KeyDown(key, shift);
    if (key != 0 && DialogKey(key)) {
      if (key == VK_TAB || key == VK_RETURN || key == VK_ESCAPE) swallowedChar = static_cast<char>(key);
      return;
    }
  }
  if (key == 0) return;
  Message.WParam = key;
  DefaultHandler(Message);
}

bool TWinControl::DialogKey(WORD Key) {
  UINT want = 0;
  if (Key == VK_TAB)
    want = DLGC_WANTTAB;
  else if (Key >= VK_LEFT && Key <= VK_DOWN)
    want = DLGC_WANTARROWS;
  else if (Key == VK_RETURN || Key == VK_ESCAPE)
    want = DLGC_WANTALLKEYS;
  else
    return false;
  // Each key by its own flag: a multi-line edit wants Enter and Escape, yet Tab and the
  // arrows still move the focus unless it asks for them.
  if (GetDlgCode() & want) return false;
  return TopWindow()->Perform(CM_DIALOGKEY, Key, 0) != 0;
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
  if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

void TWinControl::Invalidate() {
  // Controls of the other classes are drawn by their peer.
  if (!HandleAllocated() || FPaintQueued || FState.windowClass != user::WindowClass::Plain) return;
  FPaintQueued = PostMessageA(FHandle, WM_PAINT, 0, 0) != FALSE;
}

void TWinControl::Repaint() { PaintOwnWindow(); }

void TWinControl::PaintOwnWindow() {
  // A window inside a hidden one still paints, so it shows its pixels when that one is shown.
  if (!HandleAllocated() || !GetVisible() || FState.windowClass != user::WindowClass::Plain) return;
  HDC dc = GetDC(FHandle);
  if (!dc) return;
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  PaintHandler(dc);
  ReleaseDC(FHandle, dc);
}

void TWinControl::PaintHandler(HDC DC) {
  PaintWindow(DC);
  PaintControls(DC);
}

// Each child without a window at its place from the context's own origin.
void TWinControl::PaintControls(HDC DC) {
  POINT origin{0, 0};
  GetViewportOrgEx(DC, &origin);
  for (TControl* child : FControls)
    if (child->GetVisible() && !dynamic_cast<TWinControl*>(child))
      vcl::PaintControlAt(child, DC, {origin.x + child->GetLeft(), origin.y + child->GetTop()});
}

// --- TCustomControl ---

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  CanvasLoan loan(FCanvas.get(), dc, *this);
  Paint();
}

// --- TGraphicControl ---

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_PAINT && Message.WParam) {
    CanvasLoan loan(FCanvas.get(), reinterpret_cast<HDC>(Message.WParam), *this);
    Paint();
    return;
  }
  TControl::WndProc(Message);
}

void TGraphicControl::Repaint() {
  TWinControl* parent = GetParent();
  if (!GetShowing() || !parent || !parent->HandleAllocated()) return;
  HWND window = parent->GetHandle();
  HDC dc = GetDC(window);
  if (!dc) return;
  vcl::PaintControlAt(this, dc, {GetLeft(), GetTop()});
  ReleaseDC(window, dc);
}
