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

// --- TTrackBar ---

TTrackBar::TTrackBar(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 150, 45);
}

void TTrackBar::SetMin(int Value) {
  FMin = Value;
  SetPosition(FPosition);
  Changed();
}

void TTrackBar::SetMax(int Value) {
  FMax = Value;
  SetPosition(FPosition);
  Changed();
}

void TTrackBar::SetPosition(int Value) {
  Value = std::clamp(Value, std::min(FMin, FMax), std::max(FMin, FMax));
  if (Value == FPosition) return;
  FPosition = Value;
  Changed();
  DoChange();
}

void TTrackBar::SetFrequency(int Value) {
  FFrequency = Value;
  Changed();
}

void TTrackBar::SetThumbLength(int Value) {
  FThumbLength = Value;
  Changed();
}

void TTrackBar::SetTickMarks(TTickMark Value) {
  FTickMarks = Value;
  Changed();
}

void TTrackBar::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::TrackBar;
}

void TTrackBar::UpdateWindowState(user::WindowState& State) {
  TWinControl::UpdateWindowState(State);
  State.range = {FMin, FMax, FPosition, FFrequency, FThumbLength, FTickMarks != tmTopLeft};
}

void TTrackBar::DefaultHandler(TMessage& Message) {
  if (Message.Msg == TBM_SETPOS) {
    SetPosition(static_cast<int>(Message.WParam));
    return;
  }
  if (Message.Msg == WM_KEYDOWN) {
    switch (Message.WParam) {
      case VK_LEFT:
      case VK_UP: SetPosition(FPosition - FLineSize); return;
      case VK_RIGHT:
      case VK_DOWN: SetPosition(FPosition + FLineSize); return;
      case VK_PRIOR: SetPosition(FPosition - FPageSize); return;
      case VK_NEXT: SetPosition(FPosition + FPageSize); return;
      case VK_HOME: SetPosition(FMin); return;
      case VK_END: SetPosition(FMax); return;
      default: break;
    }
  }
  TWinControl::DefaultHandler(Message);
}

void TTrackBar::DoChange() {
  if (OnChange) OnChange(this);
}

// --- TTabSheet ---

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) { SetVisible(false); }

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (Value == FPageControl) return;
  if (FPageControl) FPageControl->RemovePage(this);
  FPageControl = Value;
  if (Value) Value->InsertPage(this);
}

int TTabSheet::GetPageIndex() const {
  if (!FPageControl) return -1;
  const auto& pages = FPageControl->FPages;
  return static_cast<int>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::WndProc(TMessage& Message) {
  TCustomControl::WndProc(Message);
  if (Message.Msg == CM_TEXTCHANGED && FPageControl) FPageControl->TabsChanged();
}

// --- TPageControl ---

TPageControl::TPageControl(TComponent* AOwner) : TWinControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  while (!FPages.empty()) FPages.back()->SetPageControl(nullptr);
}

void TPageControl::InsertPage(TTabSheet* Page) {
  FPages.push_back(Page);
  Page->SetParent(this);
  Realign();
  if (!FActivePage) SetActivePage(Page);
  Changed();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  const int index = Page->GetPageIndex();
  std::erase(FPages, Page);
  if (FActivePage == Page) {
    FActivePage = nullptr;
    if (!FPages.empty()) SetActivePage(FPages[static_cast<std::size_t>(std::min(index, GetPageCount() - 1))]);
  }
  Changed();
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->GetPageControl() != this) return;
  if (Page == FActivePage) return;
  TTabSheet* previous = FActivePage;
  FActivePage = Page;
  if (Page) Page->SetVisible(true);
  if (previous) previous->SetVisible(false);
  Changed();
}

int TPageControl::GetActivePageIndex() const { return FActivePage ? FActivePage->GetPageIndex() : -1; }

void TPageControl::SetActivePageIndex(int Index) {
  SetActivePage(Index >= 0 && Index < GetPageCount() ? FPages[static_cast<std::size_t>(Index)] : nullptr);
}

TRect TPageControl::GetDisplayRect() const {
  constexpr int kFrame = 4, kTabs = 24;  // the tab row of a dialog font, and the frame
  return Rect(kFrame, kTabs, std::max(kFrame, GetClientWidth() - kFrame), std::max(kTabs, GetClientHeight() - kFrame));
}

void TPageControl::AlignControls() {
  TWinControl::AlignControls();
  for (TTabSheet* page : FPages) page->SetBoundsRect(GetDisplayRect());
}

void TPageControl::SelectNextPage(bool GoForward) {
  if (FPages.empty()) return;
  const int n = GetPageCount();
  UserChose((GetActivePageIndex() + (GoForward ? 1 : n - 1)) % n);
}

void TPageControl::UserChose(int Index) {
  if (Index < 0 || Index >= GetPageCount() || Index == GetActivePageIndex()) return;
  SetActivePageIndex(Index);
  if (OnChange) OnChange(this);
}

void TPageControl::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  Params.WindowClass = user::WindowClass::TabControl;
}

void TPageControl::UpdateWindowState(user::WindowState& State) {
  TWinControl::UpdateWindowState(State);
  State.tabs.tabs.resize(FPages.size());
  for (std::size_t i = 0; i < FPages.size(); ++i) State.tabs.tabs[i] = FPages[i]->GetCaption();
  State.tabs.tabIndex = GetActivePageIndex();
}

void TPageControl::WndProc(TMessage& Message) {
  if (Message.Msg == CM_DIALOGKEY && Message.WParam == VK_TAB && GetKeyState(VK_CONTROL) < 0 && FActivePage) {
    SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
    return;
  }
  TWinControl::WndProc(Message);
}

void TPageControl::DefaultHandler(TMessage& Message) {
  if (Message.Msg == TCM_SETCURSEL) {
    UserChose(static_cast<int>(Message.WParam));
    return;
  }
  if (Message.Msg == WM_KEYDOWN && (Message.WParam == VK_LEFT || Message.WParam == VK_RIGHT)) {
    const int index = GetActivePageIndex() + (Message.WParam == VK_RIGHT ? 1 : -1);
    if (index >= 0) UserChose(index);
    return;
  }
  TWinControl::DefaultHandler(Message);
}
