// Painting of the panel and the image box (which repaints when its picture changes); the
// timer's window and its platform timer.
#include "platform/vcl/ExtCtrls.h"

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  SetControlStyle(GetControlStyle() | csClickEvents);
  SetParentColor(false);
  SetBounds(0, 0, 185, 41);
}

void TPanel::Paint() {
  TCanvas* canvas = GetCanvas();
  const int w = GetWidth();
  const int h = GetHeight();
  // The raised edge: light on the top and left, shadow on the bottom and right.
  canvas->GetPen()->SetColor(clBtnHighlight);
  canvas->MoveTo(0, h - 1);
  canvas->LineTo(0, 0);
  canvas->LineTo(w - 1, 0);
  canvas->GetPen()->SetColor(clBtnShadow);
  canvas->LineTo(w - 1, h - 1);
  canvas->LineTo(-1, h - 1);
  const AnsiString caption = GetCaption();
  if (caption.empty()) return;
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->TextOut((w - canvas->TextWidth(caption)) / 2, (h - canvas->TextHeight(caption)) / 2, caption);
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
  FPicture->OnChange = [this](TObject*) { Invalidate(); };
}

TImage::~TImage() { FPicture->OnChange = nullptr; }

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  Invalidate();
}

void TImage::Paint() {
  TGraphic* graphic = FPicture->GetGraphic();
  if (!graphic) return;
  if (FStretch)
    GetCanvas()->StretchDraw(Rect(0, 0, GetWidth(), GetHeight()), graphic);
  else
    GetCanvas()->Draw(0, 0, graphic);
}

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner) {
  user::WindowState state;
  state.windowClass = user::WindowClass::MessageOnly;
  FWindow = user::CreateWindowRecord(state, [this](const MSG& m) -> LRESULT {
    if (m.message == WM_TIMER && FOnTimer) {
      const TNotifyEvent handler = FOnTimer;  // the handler may free this timer
      handler(this);
    }
    return 0;
  });
}

TTimer::~TTimer() { DestroyWindow(FWindow); }

void TTimer::SetEnabled(bool Value) {
  if (Value == FEnabled) return;
  FEnabled = Value;
  UpdateTimer();
}

void TTimer::SetInterval(unsigned Value) {
  if (Value == FInterval) return;
  FInterval = Value;
  UpdateTimer();
}

void TTimer::SetOnTimer(TNotifyEvent Value) {
  FOnTimer = std::move(Value);
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  KillTimer(FWindow, 1);
  if (FEnabled && FInterval != 0 && FOnTimer) SetTimer(FWindow, 1, FInterval, nullptr);
}
