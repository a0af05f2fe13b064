// The spin edit's value rules, stepping, keys and layout; the diagonal spin button's hit test,
// pressed states, auto-repeat and faces; the up-down control that always rests at 0.
#include "controls/QMSpin.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"

namespace {

constexpr UINT kFirstRepeat = 400;
constexpr UINT kNextRepeats = 100;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool SameText(const AnsiString& a, const AnsiString& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

namespace qmspin {

std::optional<long long> ParseInteger(const AnsiString& Text, bool Hex) {
  const char* p = Text.data();
  const char* end = p + Text.size();
  long long value = 0;
  if (Hex) {
    if (p == end || *p == '+' || *p == '-') return std::nullopt;
    const auto [at, error] = std::from_chars(p, end, value, 16);
    if (error != std::errc() || at != end) return std::nullopt;
  } else {
    while (p != end && IsBlank(*p)) ++p;
    const bool negative = p != end && *p == '-';
    if (p != end && (*p == '+' || *p == '-')) ++p;
    if (p == end || *p < '0' || *p > '9') return std::nullopt;
    const auto [at, error] = std::from_chars(p, end, value, 10);
    if (error != std::errc() || at != end) return std::nullopt;
    if (negative) value = -value;
  }
  if (value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return value;
}

std::optional<Extended> ParseFloat(const AnsiString& Text, char Separator) {
  std::size_t i = 0;
  while (i < Text.size() && IsBlank(Text[i])) ++i;
  // The C grammar with the locale's separator, in a buffer of our own (no allocation).
  std::array<char, 64> buffer{};
  std::size_t n = 0;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) {
    if (Text[i] == '-') buffer[n++] = '-';
    ++i;
  }
  if (i >= Text.size() || Text.size() - i >= buffer.size() - n) return std::nullopt;
  const char first = Text[i];
  if (!(first >= '0' && first <= '9') && first != Separator) return std::nullopt;  // no "inf", no "nan"
  for (; i < Text.size(); ++i) {
    const char c = Text[i];
    if (c == Separator)
      buffer[n++] = '.';
    else if (c == '.' && Separator != '.')
      return std::nullopt;
    else
      buffer[n++] = c;
  }
  Extended value = 0;
  const auto [at, error] = std::from_chars(buffer.data(), buffer.data() + n, value);
  if (error != std::errc() || at != buffer.data() + n) return std::nullopt;
  return value;
}

AnsiString FormatFixed(Extended Value, int Decimals, char Separator) {
  // The value to 15 significant digits, d.dddddddddddddde±x.
  std::array<char, 64> sig{};
  std::snprintf(sig.data(), sig.size(), "%.14Le", Value);
  if (!std::isfinite(Value)) return sig.data();
  const bool negative = sig[0] == '-';
  const char* m = sig.data() + (negative ? 1 : 0);
  std::array<int, 15> digits{};
  digits[0] = m[0] - '0';
  for (int k = 1; k < 15; ++k) digits[static_cast<std::size_t>(k)] = m[k + 1] - '0';
  const int exponent = std::atoi(m + 17);
  if (exponent >= 15) {
    // More integer digits than the precision holds: scientific form.
    std::array<char, 64> out{};
    std::snprintf(out.data(), out.size(), "%.14LE", Value);
    if (char* dot = std::strchr(out.data(), '.')) *dot = Separator;
    return out.data();
  }
  // Digits from 10^max(exponent, 0) down to 10^-(Decimals + 1), the last one for rounding.
  const int top = std::max(exponent, 0);
  const int count = top + Decimals + 2;
  std::array<int, 15 + 2 + 256> fixed{};
  for (int k = 0; k < count; ++k) {
    const int power = top - k;
    const int index = exponent - power;
    fixed[static_cast<std::size_t>(k)] = index >= 0 && index < 15 ? digits[static_cast<std::size_t>(index)] : 0;
  }
  // Half away from zero on the decimal digits.
  bool carry = fixed[static_cast<std::size_t>(count - 1)] >= 5;
  for (int k = count - 2; k >= 0 && carry; --k) {
    int& d = fixed[static_cast<std::size_t>(k)];
    carry = ++d == 10;
    if (carry) d = 0;
  }
  std::array<char, 15 + 2 + 256 + 4> out{};
  std::size_t n = 0;
  bool nonzero = carry;
  for (int k = 0; k < count - 1; ++k) nonzero = nonzero || fixed[static_cast<std::size_t>(k)] != 0;
  if (negative && nonzero) out[n++] = '-';
  if (carry) out[n++] = '1';
  for (int k = 0; k <= top; ++k) out[n++] = static_cast<char>('0' + fixed[static_cast<std::size_t>(k)]);
  if (Decimals > 0) {
    out[n++] = Separator;
    for (int k = top + 1; k < count - 1; ++k) out[n++] = static_cast<char>('0' + fixed[static_cast<std::size_t>(k)]);
  }
  return AnsiString(out.data(), n);
}

long long RoundHalfEven(Extended Value) {
  constexpr Extended kLimit = 9223372036854775807.0L;
  if (std::isnan(Value)) return 0;
  return static_cast<long long>(std::nearbyint(std::clamp(Value, -kLimit, kLimit)));
}

}  // namespace qmspin

int DefBtnWidth() { return std::min(GetSystemMetrics(SM_CXVSCROLL), 15); }

// --- TQmSpinButton ---

TQmSpinButton::TQmSpinButton(TComponent* AOwner)
    : TGraphicControl(AOwner),
      FUpGlyph(std::make_unique<TBitmap>()),
      FDownGlyph(std::make_unique<TBitmap>()),
      FTopDownBitmap(std::make_unique<TBitmap>()),
      FBottomDownBitmap(std::make_unique<TBitmap>()),
      FNotDownBitmap(std::make_unique<TBitmap>()) {
  SetControlStyle(GetControlStyle() | csCaptureMouse);
  FUpGlyph->LoadFromResourceName(GetModuleHandleA(nullptr), "QMSPINUP");
  FDownGlyph->LoadFromResourceName(GetModuleHandleA(nullptr), "QMSPINDOWN");
  FUpGlyph->OnChange = [this](TObject* Sender) { GlyphChanged(Sender); };
  FDownGlyph->OnChange = [this](TObject* Sender) { GlyphChanged(Sender); };
  SetBounds(GetLeft(), GetTop(), 20, 20);
  DrawAllBitmap();
  FLastDown = sbNotDown;
}

TQmSpinButton::~TQmSpinButton() {
  FUpGlyph->OnChange = nullptr;
  FDownGlyph->OnChange = nullptr;
  delete FRepeatTimer;
}

void TQmSpinButton::SetUpGlyph(TBitmap* Bitmap) {
  if (Bitmap)
    FUpGlyph->Assign(Bitmap);
  else
    FUpGlyph->LoadFromResourceName(GetModuleHandleA(nullptr), "QMSPINUP");
}

void TQmSpinButton::SetDownGlyph(TBitmap* Bitmap) {
  if (Bitmap)
    FDownGlyph->Assign(Bitmap);
  else
    FDownGlyph->LoadFromResourceName(GetModuleHandleA(nullptr), "QMSPINDOWN");
}

void TQmSpinButton::GlyphChanged(TObject*) {
  FInvalidate = true;
  Invalidate();
}

void TQmSpinButton::SetDown(TSpinButtonState State) {
  const TSpinButtonState previous = FDown;
  FDown = State;
  if (previous != State) Repaint();
}

void TQmSpinButton::SetFocusControl(TWinControl* Control) {
  FFocusControl = Control;
  if (Control) Control->FreeNotification(this);
}

void TQmSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
  TGraphicControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FFocusControl) FFocusControl = nullptr;
}

TBitmap* TQmSpinButton::GetFace(TSpinButtonState State) const {
  switch (State) {
    case sbTopDown: return FTopDownBitmap.get();
    case sbBottomDown: return FBottomDownBitmap.get();
    default: return FNotDownBitmap.get();
  }
}

bool TQmSpinButton::InLowerHalf(int X, int Y) const {
  const double w = GetWidth(), h = GetHeight();
  return Y > h - (h / w) * X;
}

bool TQmSpinButton::Inside(int X, int Y) const { return X >= 0 && X <= GetWidth() && Y >= 0 && Y <= GetHeight(); }

void TQmSpinButton::AfterClick() {
  if (!(GetControlState() & csLButtonDown)) FDown = sbNotDown;
}

void TQmSpinButton::TopClick() {
  if (!OnTopClick) return;
  OnTopClick(this);
  AfterClick();
}

void TQmSpinButton::BottomClick() {
  if (!OnBottomClick) return;
  OnBottomClick(this);
  AfterClick();
}

void TQmSpinButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !GetEnabled()) return;
  if (FFocusControl && FFocusControl->GetTabStop() && FFocusControl->CanFocus() && !FFocusControl->Focused())
    FFocusControl->SetFocus();
  if (FDown == sbNotDown) {
    FLastDown = sbNotDown;
    if (InLowerHalf(X, Y)) {
      FDown = sbBottomDown;
      BottomClick();
    } else {
      FDown = sbTopDown;
      TopClick();
    }
    if (FDown != FLastDown) {
      FLastDown = FDown;
      Repaint();
    }
    if (!FRepeatTimer) FRepeatTimer = new TTimer(this);
    FRepeatTimer->SetOnTimer([this](TObject*) { TimerExpired(); });
    // Restarted, so the first repeat is always a full 400 ms after this press.
    FRepeatTimer->SetEnabled(false);
    FRepeatTimer->SetInterval(kFirstRepeat);
    FRepeatTimer->SetEnabled(true);
  }
  FDragging = true;
}

void TQmSpinButton::TimerExpired() {
  FRepeatTimer->SetInterval(kNextRepeats);
  if (FDown == sbNotDown || !GetMouseCapture()) return;
  try {
    if (FDown == sbBottomDown)
      BottomClick();
    else
      TopClick();
  } catch (...) {
    FRepeatTimer->SetEnabled(false);
    throw;
  }
}

void TQmSpinButton::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!FDragging) return;
  const TSpinButtonState previous = FDown;
  if (Inside(X, Y)) {
    if (InLowerHalf(X, Y)) {
      if (FDown != sbBottomDown) FDown = FLastDown == sbBottomDown ? sbBottomDown : sbNotDown;
    } else if (FDown != sbTopDown) {
      FDown = FLastDown == sbTopDown ? sbTopDown : sbNotDown;
    }
  } else {
    FDown = sbNotDown;
  }
  if (FDown != previous) Repaint();
}

void TQmSpinButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!FDragging) return;
  FDragging = false;
  if (Inside(X, Y)) {
    FDown = sbNotDown;
    FLastDown = sbNotDown;
    Repaint();
  }
}

void TQmSpinButton::WndProc(TMessage& Message) {
  if (Message.Msg == CM_ENABLEDCHANGED) {
    TGraphicControl::WndProc(Message);
    FInvalidate = true;
    Invalidate();
    return;
  }
  TGraphicControl::WndProc(Message);
}

void TQmSpinButton::Paint() {
  if (!GetEnabled()) FDragging = false;
  if (FNotDownBitmap->GetHeight() != GetHeight() || FNotDownBitmap->GetWidth() != GetWidth() || FInvalidate)
    DrawAllBitmap();
  FInvalidate = false;
  GetCanvas()->Draw(0, 0, GetFace(FDown));
}

void TQmSpinButton::DrawAllBitmap() {
  DrawBitmap(FTopDownBitmap.get(), sbTopDown);
  DrawBitmap(FBottomDownBitmap.get(), sbBottomDown);
  DrawBitmap(FNotDownBitmap.get(), sbNotDown);
}

void TQmSpinButton::DrawBitmap(TBitmap* Bitmap, TSpinButtonState State) {
  const int w = GetWidth(), h = GetHeight();
  Bitmap->SetSize(w, h);
  TCanvas* c = Bitmap->GetCanvas();
  const auto line = [c](TColor color, std::initializer_list<TPoint> points) {
    c->GetPen()->SetColor(color);
    auto it = points.begin();
    c->MoveTo(it->x, it->y);
    for (++it; it != points.end(); ++it) c->LineTo(it->x, it->y);
  };
  c->GetPen()->SetWidth(1);
  c->GetBrush()->SetStyle(bsSolid);
  c->GetBrush()->SetColor(clBtnFace);
  c->FillRect(Rect(0, 0, w, h));
  c->GetPen()->SetColor(clWindowFrame);
  c->Rectangle(0, 0, w, h);
  line(clWindowFrame, {Point(-1, h), Point(w, -1)});
  line(State == sbTopDown ? clBtnShadow : clBtnHighlight, {Point(1, h - 4), Point(1, 1), Point(w - 3, 1)});
  if (State != sbTopDown) line(clBtnShadow, {Point(1, h - 3), Point(w - 2, 0)});
  line(State == sbBottomDown ? clBtnHighlight : clBtnShadow, {Point(2, h - 2), Point(w - 2, h - 2), Point(w - 2, 1)});
  line(State == sbBottomDown ? clBtnShadow : clBtnHighlight, {Point(2, h - 2), Point(w - 1, 1)});
  // Halves to even, as the platform's rounding does.
  const auto round = [](double v) { return static_cast<int>(std::nearbyint(v)); };
  const auto glyph = [c](TBitmap* g, int left, int top) {
    const int gw = g->GetWidth(), gh = g->GetHeight();
    c->BrushCopy(Bounds(left, top, gw, gh), g, Rect(0, 0, gw, gh), g->GetCanvas()->GetPixels(0, gh - 1));
  };
  const int d = State == sbTopDown ? 2 : 1;
  const double uw = FUpGlyph->GetWidth(), uh = FUpGlyph->GetHeight();
  glyph(FUpGlyph.get(), round(w / 4.0 - uw / 2) + d, round(h / 4.0 - uh / 2) + d);
  const double dw = FDownGlyph->GetWidth(), dh = FDownGlyph->GetHeight();
  glyph(FDownGlyph.get(), round(3.0 * w / 4 - dw / 2) - 1, round(3.0 * h / 4 - dh / 2) - 1);
  if (State == sbBottomDown) line(clBtnShadow, {Point(3, h - 2), Point(w - 1, 2)});
}

// --- TQmUpDown ---

TQmUpDown::TQmUpDown(TComponent* AOwner) : TCustomUpDown(AOwner) {
  SetOrientation(udVertical);
  SetMin(-1);
  SetMax(1);
  SetPosition(0);
}

TQmUpDown::~TQmUpDown() { OnClick = nullptr; }

void TQmUpDown::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case CN_HSCROLL:
    case CN_VSCROLL: {
      if (LOWORD(Message.WParam) != SB_THUMBPOSITION || FChanging) return;
      FChanging = true;
      try {
        const auto position = static_cast<short>(HIWORD(Message.WParam));
        if (position > 0) Click(btNext);
        if (position < 0) Click(btPrev);
        if (HandleAllocated()) SendMessageA(GetHandle(), UDM_SETPOS, 0, MAKELPARAM(0, 0));
      } catch (...) {
        FChanging = false;
        throw;
      }
      FChanging = false;
      return;
    }
    case WM_SIZE:
      TCustomUpDown::WndProc(Message);
      if (GetWidth() != DefBtnWidth()) SetWidth(DefBtnWidth());
      return;
    default: TCustomUpDown::WndProc(Message);
  }
}

// --- TQmSpinEdit ---

TQmSpinEdit::TQmSpinEdit(TComponent* AOwner) : TCustomEdit(AOwner) {
  SetText("0");
  SetControlStyle(GetControlStyle() & ~csSetCaption);
  FIncrement = 1;
  FMinValue = FMaxValue = 0;
  FDecimal = 2;
  FEditorEnabled = true;
  FButtonKind = bkDiagonal;
  FArrowKeys = true;
  RecreateButton();
}

TQmSpinEdit::~TQmSpinEdit() {
  FDestroying = true;
  FChanging = true;
  delete FButton;
  delete FBtnWindow;
  delete FUpDown;
}

Extended TQmSpinEdit::GetValue() {
  switch (FValueType) {
    case vtFloat:
      if (const std::optional<Extended> v = qmspin::ParseFloat(GetText(), DecimalSeparator)) return *v;
      return FMinValue;
    case vtHex:
    case vtInt:
      if (const std::optional<long long> v = qmspin::ParseInteger(GetText(), FValueType == vtHex))
        return static_cast<Extended>(*v);
      return std::trunc(FMinValue);
  }
  return FMinValue;
}

Extended TQmSpinEdit::CheckValue(Extended NewValue) const {
  if (FMaxValue == FMinValue) return NewValue;
  if (NewValue < FMinValue) return FMinValue;
  if (NewValue > FMaxValue) return FMaxValue;
  return NewValue;
}

void TQmSpinEdit::SetValue(Extended NewValue) {
  const Extended c = CheckValue(NewValue);
  switch (FValueType) {
    case vtFloat: SetText(qmspin::FormatFixed(c, FDecimal, DecimalSeparator)); return;
    case vtHex: {
      std::array<char, 24> hex{};
      const auto bits = static_cast<unsigned long long>(qmspin::RoundHalfEven(c));
      const auto [end, error] = std::to_chars(hex.data(), hex.data() + hex.size(), bits, 16);
      for (char* p = hex.data(); p != end; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
      SetText(AnsiString(hex.data(), end));
      return;
    }
    case vtInt: {
      std::array<char, 24> digits{};
      const auto [end, error] = std::to_chars(digits.data(), digits.data() + digits.size(), qmspin::RoundHalfEven(c));
      SetText(AnsiString(digits.data(), end));
      return;
    }
  }
}

int TQmSpinEdit::GetAsInteger() {
  const Extended v = std::trunc(GetValue());
  return static_cast<int>(std::clamp<Extended>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

void TQmSpinEdit::SetValueType(TValueType Value) {
  if (Value == FValueType) return;
  FValueType = Value;
  SetValue(GetValue());
  if (FValueType == vtInt || FValueType == vtHex) {
    FIncrement = static_cast<Extended>(qmspin::RoundHalfEven(FIncrement));
    if (FIncrement == 0) FIncrement = 1;
  }
}

void TQmSpinEdit::SetDecimal(BYTE Value) {
  if (Value == FDecimal) return;
  FDecimal = Value;
  SetValue(GetValue());
}

void TQmSpinEdit::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  RecreateWnd();
}

void TQmSpinEdit::SetArrowKeys(bool Value) {
  FArrowKeys = Value;
  ResizeButton();
}

TSpinButtonKind TQmSpinEdit::GetButtonKind() { return NewStyleControls ? FButtonKind : bkDiagonal; }

void TQmSpinEdit::SetButtonKind(TSpinButtonKind Value) {
  const TSpinButtonKind previous = FButtonKind;
  FButtonKind = Value;
  if (GetButtonKind() == previous) return;
  RecreateButton();
  ResizeButton();
  SetEditRect();
}

void TQmSpinEdit::Step(Extended Delta, const TNotifyEvent& Event) {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  FChanging = true;
  FStepText = GetText();
  try {
    SetValue(GetValue() + Delta);
  } catch (...) {
    FChanging = false;
    throw;
  }
  FChanging = false;
  if (!SameText(GetText(), FStepText)) {
    SetModified(true);
    Change();
  }
  if (Event) Event(this);
}

void TQmSpinEdit::UpClick(TObject*) { Step(FIncrement, OnTopClick); }

void TQmSpinEdit::DownClick(TObject*) { Step(-FIncrement, OnBottomClick); }

void TQmSpinEdit::UpDownClick(TObject* Sender, TUDBtnType Button) {
  if (GetTabStop() && CanFocus()) SetFocus();
  if (Button == btNext)
    UpClick(Sender);
  else
    DownClick(Sender);
}

void TQmSpinEdit::Change() {
  if (!FChanging) TCustomEdit::Change();
}

void TQmSpinEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (!FArrowKeys || (Key != VK_UP && Key != VK_DOWN)) return;
  if (Key == VK_UP)
    UpClick(this);
  else
    DownClick(this);
  Key = 0;
}

bool TQmSpinEdit::IsValidChar(char Key) {
  const auto code = static_cast<unsigned char>(Key);
  if (!FEditorEnabled && (code >= 32 || code == 8)) return false;
  const AnsiString& text = GetText();
  bool valid = Key == '+' || Key == '-' || (Key >= '0' && Key <= '9');
  if (FValueType == vtFloat) {
    if (Key == DecimalSeparator && text.find(DecimalSeparator) == AnsiString::npos) valid = true;
    if ((Key == 'E' || Key == 'e') && text.find_first_of("Ee") == AnsiString::npos) valid = true;
  }
  if (FValueType == vtHex && ((Key >= 'A' && Key <= 'F') || (Key >= 'a' && Key <= 'f'))) valid = true;
  return valid || code < 32;
}

void TQmSpinEdit::KeyPress(char& Key) {
  if (!IsValidChar(Key)) {
    Key = '\0';
    MessageBeep(0);
  }
  if (Key == '\0') return;
  TCustomEdit::KeyPress(Key);
  if (Key != '\r' && Key != '\x1b') return;
  // Enter and Escape belong to the form's default and cancel buttons; without a form there is
  // no one to take them.
  if (TForm* form = GetParentForm(this)) form->Perform(CM_DIALOGKEY, static_cast<unsigned char>(Key), 0);
  if (Key == '\r') Key = '\0';
}

void TQmSpinEdit::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  static constexpr DWORD kLeftToRight[] = {ES_LEFT, ES_RIGHT, ES_CENTER};
  static constexpr DWORD kRightToLeft[] = {ES_RIGHT, ES_LEFT, ES_CENTER};
  Params.Style |= (UseRightToLeftReading() ? kRightToLeft : kLeftToRight)[FAlignment];
}

void TQmSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  SetEditRect();
}

void TQmSpinEdit::RecreateButton() {
  if (FDestroying) return;
  delete FButton;
  FButton = nullptr;
  delete FBtnWindow;
  FBtnWindow = nullptr;
  delete FUpDown;
  FUpDown = nullptr;
  if (GetButtonKind() == bkStandard) {
    FUpDown = new TQmUpDown(this);
    FUpDown->SetVisible(true);
    FUpDown->SetBounds(0, 0, DefBtnWidth(), GetHeight());
    FUpDown->SetAlign(alRight);
    FUpDown->SetParent(this);
    FUpDown->OnClick = [this](TObject* Sender, TUDBtnType Button) { UpDownClick(Sender, Button); };
    return;
  }
  FBtnWindow = new TWinControl(this);
  FBtnWindow->SetVisible(true);
  FBtnWindow->SetParent(this);
  FBtnWindow->SetBounds(0, 0, GetHeight(), GetHeight());
  FButton = new TQmSpinButton(this);
  FButton->SetVisible(true);
  FButton->SetParent(FBtnWindow);
  FButton->SetFocusControl(this);
  FButton->OnTopClick = [this](TObject* Sender) { UpClick(Sender); };
  FButton->OnBottomClick = [this](TObject* Sender) { DownClick(Sender); };
  FButton->SetBounds(0, 0, FBtnWindow->GetWidth(), FBtnWindow->GetHeight());
}

void TQmSpinEdit::ResizeButton() {
  if (FUpDown) {
    FUpDown->SetWidth(DefBtnWidth());
    FUpDown->SetAlign(UseRightToLeftReading() ? alLeft : alRight);
    return;
  }
  if (!FButton) return;
  const int w = GetWidth(), h = GetHeight();
  TRect r;
  if (NewStyleControls && GetCtl3D() && GetBorderStyle() == bsSingle)
    r = UseRightToLeftReading() ? Rect(-1, -1, h - 4, h - 4) : Bounds(w - h - 1, -1, h - 3, h - 3);
  else
    r = UseRightToLeftReading() ? Rect(0, 0, h, h) : Bounds(w - h, 0, h, h);
  FBtnWindow->SetBoundsRect(r);
  FButton->SetBounds(0, 0, FBtnWindow->GetWidth(), FBtnWindow->GetHeight());
}

int TQmSpinEdit::GetButtonWidth() const {
  if (FUpDown) return FUpDown->GetWidth();
  if (FButton) return FButton->GetWidth();
  return DefBtnWidth();
}

void TQmSpinEdit::SetEditRect() {
  if (!HandleAllocated()) return;
  const RECT r = UseRightToLeftReading()
                     ? RECT{GetButtonWidth() + 1, 0, GetClientWidth() - 1, GetClientHeight() + 1}
                     : RECT{0, 0, GetClientWidth() - GetButtonWidth() - 2, GetClientHeight() + 1};
  SendMessageA(GetHandle(), EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&r));
}

void TQmSpinEdit::GetTextHeight(int& SysHeight, int& Height) {
  HDC dc = GetDC(nullptr);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SysHeight = metrics.tmHeight;
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    canvas.SetFont(GetFont());
    GetTextMetricsA(canvas.GetHandle(), &metrics);
  }
  Height = metrics.tmHeight;
  ReleaseDC(nullptr, dc);
}

int TQmSpinEdit::GetMinHeight() {
  int sysHeight = 0, height = 0;
  GetTextHeight(sysHeight, height);
  return height + 4 * GetSystemMetrics(SM_CYBORDER) + 1;
}

void TQmSpinEdit::WMSize(TMessage& Message) {
  TCustomEdit::WndProc(Message);
  const int minHeight = GetMinHeight();
  if (GetHeight() < minHeight) {
    SetHeight(minHeight);
    return;
  }
  ResizeButton();
  SetEditRect();
}

void TQmSpinEdit::CMEnter(TMessage& Message) {
  if (GetAutoSelect() && !LeftButtonHeld()) SelectAll();
  TCustomEdit::WndProc(Message);
}

void TQmSpinEdit::CMExit(TMessage& Message) {
  TCustomEdit::WndProc(Message);
  if (CheckValue(GetValue()) != GetValue()) SetValue(GetValue());
}

void TQmSpinEdit::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE: WMSize(Message); return;
    case CM_ENTER: CMEnter(Message); return;
    case CM_EXIT: CMExit(Message); return;
    case WM_PASTE:
    case WM_CUT:
      if (FEditorEnabled && !GetReadOnly()) TCustomEdit::WndProc(Message);
      return;
    case CM_FONTCHANGED:
    case CM_CTL3DCHANGED:
    case CM_BIDIMODECHANGED:
      TCustomEdit::WndProc(Message);
      ResizeButton();
      SetEditRect();
      return;
    case CM_ENABLEDCHANGED:
      TCustomEdit::WndProc(Message);
      if (FUpDown) {
        FUpDown->SetEnabled(GetEnabled());
        ResizeButton();
      }
      if (FButton) FButton->SetEnabled(GetEnabled());
      return;
    default: TCustomEdit::WndProc(Message);
  }
}
