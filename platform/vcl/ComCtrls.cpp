// The up-down control: its two arrows, the position they move and the notification to the
// parent.
#include "platform/vcl/ComCtrls.h"

#include <algorithm>
#include <array>

TCustomUpDown::TCustomUpDown(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 15, 25); }

void TCustomUpDown::SetPosition(short Value) {
  Value = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
  FPosition = FNotified = Value;
}

void TCustomUpDown::SetOrientation(TUDOrientation Value) {
  FOrientation = Value;
  Invalidate();
}

TUDBtnType TCustomUpDown::ArrowAt(int X, int Y) const {
  if (FOrientation == udVertical) return Y < GetHeight() / 2 ? btNext : btPrev;
  return X >= GetWidth() / 2 ? btNext : btPrev;
}

void TCustomUpDown::WndProc(TMessage& Message) {
  if (Message.Msg == CN_VSCROLL || Message.Msg == CN_HSCROLL) {
    if (LOWORD(Message.WParam) != SB_THUMBPOSITION) return;
    const auto position = static_cast<short>(HIWORD(Message.WParam));
    const short before = FNotified;
    FNotified = position;
    if (position != before) Click(position > before ? btNext : btPrev);
    return;
  }
  TCustomControl::WndProc(Message);
}

void TCustomUpDown::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: {
      FPressed = true;
      FPressedArrow = ArrowAt(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      Invalidate();
      const int step = FPressedArrow == btNext ? 1 : -1;
      const int next = std::clamp(FPosition + (FMax >= FMin ? step : -step), static_cast<int>(std::min(FMin, FMax)),
                                  static_cast<int>(std::max(FMin, FMax)));
      if (next == FPosition || !GetParent() || !HandleAllocated()) return;
      FPosition = static_cast<short>(next);
      const UINT message = FOrientation == udVertical ? WM_VSCROLL : WM_HSCROLL;
      SendMessageA(GetParent()->GetHandle(), message, MAKEWPARAM(SB_THUMBPOSITION, static_cast<WORD>(FPosition)),
                   reinterpret_cast<LPARAM>(GetHandle()));
      return;
    }
    case WM_LBUTTONUP:
      FPressed = false;
      Invalidate();
      return;
    case UDM_SETPOS:
      FPosition = static_cast<short>(LOWORD(static_cast<DWORD_PTR>(Message.LParam)));
      Invalidate();
      return;
    default: TCustomControl::DefaultHandler(Message);
  }
}

void TCustomUpDown::Click(TUDBtnType Button) {
  if (OnClick) OnClick(this, Button);
}

void TCustomUpDown::Paint() {
  const int w = GetWidth(), h = GetHeight();
  if (FOrientation == udVertical) {
    DrawArrow(Rect(0, 0, w, h / 2), btNext, FPressed && FPressedArrow == btNext);
    DrawArrow(Rect(0, h / 2, w, h), btPrev, FPressed && FPressedArrow == btPrev);
  } else {
    DrawArrow(Rect(0, 0, w / 2, h), btPrev, FPressed && FPressedArrow == btPrev);
    DrawArrow(Rect(w / 2, 0, w, h), btNext, FPressed && FPressedArrow == btNext);
  }
}

// One raised (or, pressed, sunken) button with a small solid triangle in its middle.
void TCustomUpDown::DrawArrow(const TRect& R, TUDBtnType Button, bool Pressed) {
  TCanvas* c = GetCanvas();
  c->GetBrush()->SetColor(clBtnFace);
  c->FillRect(R);
  c->GetPen()->SetColor(Pressed ? clBtnShadow : clBtnHighlight);
  c->MoveTo(R.left, R.bottom - 1);
  c->LineTo(R.left, R.top);
  c->LineTo(R.right - 1, R.top);
  c->GetPen()->SetColor(Pressed ? clBtnHighlight : cl3DDkShadow);
  c->LineTo(R.right - 1, R.bottom - 1);
  c->LineTo(R.left - 1, R.bottom - 1);
  const int cx = (R.left + R.right) / 2 + (Pressed ? 1 : 0);
  const int cy = (R.top + R.bottom) / 2 + (Pressed ? 1 : 0);
  const bool up = FOrientation == udVertical ? Button == btNext : false;
  const bool down = FOrientation == udVertical ? Button == btPrev : false;
  std::array<TPoint, 3> arrow;
  if (up || down) {
    const int d = up ? -1 : 1;
    arrow = {Point(cx - 3, cy - d), Point(cx + 3, cy - d), Point(cx, cy + 2 * d)};
  } else {
    const int d = Button == btNext ? 1 : -1;
    arrow = {Point(cx - d, cy - 3), Point(cx - d, cy + 3), Point(cx + 2 * d, cy)};
  }
  const TColor ink = GetEnabled() ? clBtnText : clGrayText;
  c->GetPen()->SetColor(ink);
  c->GetBrush()->SetColor(ink);
  c->Polygon(arrow);
}
