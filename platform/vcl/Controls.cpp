// Controls: bounds, visibility and text kept here and mirrored into the window records; input
// messages turned into the class library's key and mouse events; painting through a canvas.
#include "platform/vcl/Controls.h"

#include <algorithm>

namespace {

// Lends a device context to a canvas for one paint, also when Paint throws.
class CanvasLoan {
 public:
  CanvasLoan(TCanvas* canvas, HDC dc) : FCanvas(canvas) { FCanvas->SetHandle(dc); }
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

// --- TControl ---

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FColor(clBtnFace), FFont(std::make_unique<TFont>()) {}

TControl::~TControl() {
  if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  if (FParent) FParent->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight) return;
  FLeft = ALeft;
  FTop = ATop;
  FWidth = AWidth;
  FHeight = AHeight;
  Changed();
  Invalidate();
}

void TControl::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Changed();
  if (FParent) FParent->Invalidate();
}

bool TControl::GetShowing() const {
  if (!FVisible) return false;
  if (FParent) return FParent->GetShowing();
  return dynamic_cast<const TWinControl*>(this) != nullptr;  // a window of its own at the top
}

void TControl::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  Changed();
  Invalidate();
}

void TControl::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
  Invalidate();
}

void TControl::SetText(const AnsiString& Value) {
  if (Value == FText) return;
  FText = Value;
  Changed();
  Invalidate();
}

void TControl::SetFont(TFont* Value) {
  FFont->Assign(Value);
  Invalidate();
}

void TControl::Invalidate() {
  auto* window = dynamic_cast<TWinControl*>(this);
  if (!window) window = FParent;
  if (!window || !window->HandleAllocated() || window->FPaintQueued) return;
  window->FPaintQueued = PostMessageA(window->GetHandle(), WM_PAINT, 0, 0) != FALSE;
}

void TControl::Repaint() { Invalidate(); }

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
  if (HandleAllocated()) DestroyHandle();
}

HWND TWinControl::GetHandle() {
  if (!FHandle) CreateHandle();
  return FHandle;
}

void TWinControl::RecreateWnd() {
  if (!HandleAllocated()) return;
  DestroyHandle();
  CreateHandle();
}

void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->FParent == this) return;
  FControls.push_back(AControl);
  AControl->FParent = this;
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && HandleAllocated()) w->HandleNeeded();
  AControl->Changed();
  AControl->Invalidate();
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(FControls.begin(), FControls.end(), AControl);
  if (it == FControls.end()) return;
  FControls.erase(it);
  // A child window cannot stay inside a parent it left.
  if (auto* w = dynamic_cast<TWinControl*>(AControl); w && w->HandleAllocated()) w->DestroyHandle();
  AControl->FParent = nullptr;
  Invalidate();
}

user::WindowState TWinControl::GetWindowState() {
  user::WindowState state;
  TWinControl* parent = GetParent();
  state.parent = parent ? parent->GetHandle() : nullptr;
  state.caption = GetText();
  state.frame = user::Frame::None;
  state.left = GetLeft();
  state.top = GetTop();
  state.width = GetClientWidth();
  state.height = GetClientHeight();
  state.visible = GetVisible();
  state.color = static_cast<COLORREF>(ColorToRGB(GetColor()));
  state.className = ClassName();
  state.enabled = GetEnabled();
  return state;
}

void TWinControl::CreateHandle() {
  FHandle = user::CreateWindowRecord(GetWindowState(), [this](const MSG& m) { return WndProc(m); });
  // Child windows exist while their parent's does.
  for (TControl* child : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(child)) w->HandleNeeded();
}

void TWinControl::DestroyHandle() {
  for (TControl* child : FControls)
    if (auto* w = dynamic_cast<TWinControl*>(child); w && w->HandleAllocated()) w->DestroyHandle();
  DestroyWindow(FHandle);
  FHandle = nullptr;
  FPaintQueued = false;
}

void TWinControl::Changed() {
  if (HandleAllocated()) user::UpdateWindow(FHandle, GetWindowState());
}

LRESULT TWinControl::WndProc(const MSG& Message) {
  if (Message.message == WM_PAINT) {
    FPaintQueued = false;
    PaintHandler();
    return 0;
  }
  if (!GetEnabled()) return 0;  // a disabled window takes no input
  const int x = GET_X_LPARAM(Message.lParam);
  const int y = GET_Y_LPARAM(Message.lParam);
  switch (Message.message) {
    case WM_KEYDOWN: {
      WORD key = static_cast<WORD>(Message.wParam);
      DispatchKeyDown(key, KeyboardShiftState());
      return 0;
    }
    case WM_CHAR: {
      char key = static_cast<char>(Message.wParam);
      DispatchKeyPress(key);
      return 0;
    }
    case WM_MOUSEMOVE: MouseMove(MouseShiftState(Message.wParam), x, y); return 0;
    case WM_LBUTTONDOWN: MouseDown(mbLeft, MouseShiftState(Message.wParam), x, y); return 0;
    case WM_RBUTTONDOWN: MouseDown(mbRight, MouseShiftState(Message.wParam), x, y); return 0;
    case WM_MBUTTONDOWN: MouseDown(mbMiddle, MouseShiftState(Message.wParam), x, y); return 0;
    case WM_LBUTTONUP: MouseUp(mbLeft, MouseShiftState(Message.wParam), x, y); return 0;
    case WM_RBUTTONUP: MouseUp(mbRight, MouseShiftState(Message.wParam), x, y); return 0;
    case WM_MBUTTONUP: MouseUp(mbMiddle, MouseShiftState(Message.wParam), x, y); return 0;
    default: return DefWindowProcA(Message.hwnd, Message.message, Message.wParam, Message.lParam);
  }
}

TWinControl* TWinControl::TopWindow() {
  TWinControl* top = this;
  while (top->GetParent()) top = top->GetParent();
  return top;
}

void TWinControl::DispatchKeyDown(WORD& Key, TShiftState Shift) {
  TWinControl* form = TopWindow();
  if (form != this && form->GetKeyPreview()) {
    form->KeyDown(Key, Shift);
    if (Key == 0) return;
  }
  KeyDown(Key, Shift);
}

void TWinControl::DispatchKeyPress(char& Key) {
  TWinControl* form = TopWindow();
  if (form != this && form->GetKeyPreview()) {
    form->KeyPress(Key);
    if (Key == '\0') return;
  }
  KeyPress(Key);
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
  if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyPress(char& Key) {
  if (OnKeyPress) OnKeyPress(this, Key);
}

void TWinControl::Repaint() { PaintHandler(); }

void TWinControl::PaintHandler() {
  if (!HandleAllocated() || !GetShowing()) return;
  HDC dc = GetDC(FHandle);
  if (!dc) return;
  const RECT client{0, 0, GetClientWidth(), GetClientHeight()};
  HBRUSH background = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(GetColor())));
  FillRect(dc, &client, background);
  DeleteObject(background);
  PaintWindow(dc);
  for (TControl* child : FControls)
    if (child->GetVisible()) child->PaintOnParent(dc);
  ReleaseDC(FHandle, dc);
}

// --- TCustomControl ---

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc) {
  CanvasLoan loan(FCanvas.get(), dc);
  FCanvas->SetFont(GetFont());
  FCanvas->GetBrush()->SetColor(GetColor());
  Paint();
}

// --- TGraphicControl ---

TGraphicControl::TGraphicControl(TComponent* AOwner)
    : TControl(AOwner), FCanvas(std::make_unique<TCanvas>()) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintOnParent(HDC dc) {
  const int w = GetWidth();
  const int h = GetHeight();
  if (w <= 0 || h <= 0) return;
  // Paint at the origin of a bitmap that starts as the parent's pixels, then put it in place.
  TBitmap buffer;
  buffer.SetPixelFormat(pf32bit);
  buffer.SetSize(w, h);
  HDC own = buffer.GetCanvas()->GetHandle();
  BitBlt(own, 0, 0, w, h, dc, GetLeft(), GetTop(), SRCCOPY);
  {
    CanvasLoan loan(FCanvas.get(), own);
    FCanvas->SetFont(GetFont());
    FCanvas->GetBrush()->SetColor(GetColor());
    Paint();
  }
  BitBlt(dc, GetLeft(), GetTop(), w, h, own, 0, 0, SRCCOPY);
}

void TGraphicControl::Repaint() {
  TWinControl* parent = GetParent();
  if (!GetShowing() || !parent || !parent->HandleAllocated()) return;
  HWND window = parent->GetHandle();
  HDC dc = GetDC(window);
  if (!dc) return;
  PaintOnParent(dc);
  ReleaseDC(window, dc);
}
