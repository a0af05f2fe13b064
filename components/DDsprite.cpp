// The sprites' shared rules: clipping against the display, the blit and its retry, the colour
// key taken from a surface's top-left pixel, and the error report of the display components.
#include "components/DDsprite.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// Which part of a source span shows on a display axis, and where.
struct TClipSpan {
  bool Visible = false;
  LONG From = 0;  // first source column (row) drawn
  LONG To = 0;    // one past the last
  DWORD Dest = 0;
};

// The sprites' clipping rule for one axis: a sprite at Pos with source span [Lo, Hi) on a
// display Size pixels long. The display's last column (row) is never drawn.
TClipSpan ClipSpan(int Pos, LONG Lo, LONG Hi, int Size) {
  // 64-bit sums: a far-off position must not overflow the tests below.
  const std::int64_t pos = Pos;
  const std::int64_t length = std::int64_t{Hi} - Lo;
  const auto span = [](std::int64_t from, std::int64_t to, std::int64_t dest) {
    return TClipSpan{true, static_cast<LONG>(from), static_cast<LONG>(to), static_cast<DWORD>(dest)};
  };
  if (pos > 0 && pos + length < Size) return span(Lo, Hi, pos);
  if (pos > Size - 2) return {};
  if (pos + length > Size - 1) {
    // A span past both edges starts at the display's edge, not left of it.
    const std::int64_t skip = pos < 0 ? -pos : 0;
    return span(Lo + skip, Lo + (Size - 1 - pos), pos + skip);
  }
  if (pos + length < 2) return {};
  return span(Lo - pos, Hi, 0);
}

}  // namespace

TDDsprite::TDDsprite(TComponent* AOwner) : TCustomControl(AOwner), FBitmap(std::make_unique<TBitmap>()) {
  SetBounds(GetLeft(), GetTop(), 40, 40);
}

void TDDsprite::SetBitmap(TBitmap* Value) {
  if (!Value) return;
  Invalidate();
  FBitmap->Assign(Value);
}

void TDDsprite::Paint() { GetCanvas()->Draw(0, 0, FBitmap.get()); }

void TDDsprite::Report(const char* Text, IDirectDrawSurface7** Release) {
  SetErrorResult(Text);
  if (Release && *Release) std::exchange(*Release, nullptr)->Release();
  if (OnError) OnError(this);
}

bool TDDsprite::ConnectDisplay() {
  if (!DDmainModule) {
    Report("Error connect to DDMAIN");
    return false;
  }
  FDD = DDmainModule->FpDD7;
  if (!FDD) {
    Report("Error FDD==NULL");
    return false;
  }
  FDDBACK = DDmainModule->FpDDSBack;
  if (!FDDBACK) {
    Report("Error FDDBACK==NULL");
    return false;
  }
  return true;
}

HRESULT TDDsprite::MakeSurface(int Width, int Height, IDirectDrawSurface7*& Surface) {
  // A surface made by an earlier CreateSurface would otherwise be lost without a release.
  if (Surface) std::exchange(Surface, nullptr)->Release();
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
  desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
  desc.dwWidth = static_cast<DWORD>(Width);
  desc.dwHeight = static_cast<DWORD>(Height);
  FResult = FDD->CreateSurface(&desc, &Surface, nullptr);
  return FResult;
}

bool TDDsprite::HasBack() {
  if (FDDBACK) return true;
  Report("Error FDDBACK==NULL");
  return false;
}

bool TDDsprite::CheckBack() {
  if (!HasBack()) return false;
  if (!DDmainModule) {
    Report("Error connect to DDMAIN");
    return false;
  }
  if (DDmainModule->FpDDSBack != FDDBACK) {
    Report("Error FDDBACK==NULL");
    return false;
  }
  return true;
}

void TDDsprite::BlitClipped(IDirectDrawSurface7*& Surface) {
  const TClipSpan across = ClipSpan(ShowX, FSource.left, FSource.right, DDmainModule->GetWidth());
  if (!across.Visible) return;
  const TClipSpan down = ClipSpan(ShowY, FSource.top, FSource.bottom, DDmainModule->GetHeight());
  if (!down.Visible) return;
  RECT part{across.From, down.From, across.To, down.To};
  do {
    FResult = FDDBACK->BltFast(across.Dest, down.Dest, Surface, &part, FBltFlags);
  } while (FResult == DDERR_WASSTILLDRAWING);
  if (FAILED(FResult)) Report("Error FDDBACK->BltFast (BMP)", &Surface);
}

bool TDDsprite::ApplyKey(IDirectDrawSurface7* Surface, DWORD rgb) {
  const DWORD key = DDColorMatch(Surface, rgb);
  DDCOLORKEY colorKey{key, key};
  FResult = Surface->SetColorKey(DDCKEY_SRCBLT, &colorKey);
  return SUCCEEDED(FResult);
}

DWORD TDDsprite::DDColorMatch(IDirectDrawSurface7* Surface, DWORD rgb) {
  DWORD result = 0xFFFFFFFF;
  if (!Surface) return result;
  const bool probe = rgb != CLR_INVALID;
  COLORREF kept = CLR_INVALID;
  HDC dc = nullptr;
  if (probe && SUCCEEDED(Surface->GetDC(&dc))) {
    kept = GetPixel(dc, 0, 0);
    SetPixel(dc, 0, 0, rgb);
    Surface->ReleaseDC(dc);
  }
  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  HRESULT locked;
  do {
    locked = Surface->Lock(nullptr, &desc, 0, nullptr);
  } while (locked == DDERR_WASSTILLDRAWING);
  if (SUCCEEDED(locked) && desc.lpSurface) {
    const DWORD bits = desc.ddpfPixelFormat.dwRGBBitCount;
    // Only the first pixel's bytes: the top row of a narrow surface may be shorter than a word.
    std::uint32_t word = 0;
    std::memcpy(&word, desc.lpSurface, std::min<DWORD>(4, (bits + 7) / 8));
    result = bits < 32 ? word & ((1u << bits) - 1) : word;
    Surface->Unlock(nullptr);
  }
  if (kept != CLR_INVALID && SUCCEEDED(Surface->GetDC(&dc))) {
    SetPixel(dc, 0, 0, kept);
    Surface->ReleaseDC(dc);
  }
  return result;
}
