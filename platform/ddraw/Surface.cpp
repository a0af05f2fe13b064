// Surfaces: pixel memory in the display's format, lost/restore, lock and device context, the
// blits, the flip that hands the primary to the display device, and the primary's gamma ramp.
#include "platform/ddraw/Surface.h"

#include <algorithm>
#include <cstdint>
#include <new>

#include "platform/ddraw/Blit.h"
#include "platform/ddraw/DriverState.h"
#include "platform/ddraw/PixelFormat.h"

namespace ddraw::detail {
namespace {

constexpr int kMaxSide = 16384;

struct Registry {
  std::mutex mutex;
  std::vector<Surface*> live;
};

Registry& Live() {
  static auto* registry = new Registry;  // never destroyed: surfaces may outlive static destruction
  return *registry;
}

bool Inside(const RECT& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom && r.right <= width && r.bottom <= height;
}

void IdentityRamp(DDGAMMARAMP& ramp) {
  for (int i = 0; i < 256; ++i) ramp.red[i] = ramp.green[i] = ramp.blue[i] = static_cast<WORD>(i * 257);
}

}  // namespace

Surface::Surface(std::shared_ptr<Display> display, Kind kind, int width, int height, int bitsPerPixel)
    : display_(std::move(display)),
      kind_(kind),
      width_(width),
      height_(height),
      bitsPerPixel_(bitsPerPixel),
      pitch_(PitchFor(width, bitsPerPixel)),
      bits_(static_cast<std::size_t>(pitch_) * height) {
  if (kind_ == Kind::Primary) {
    gamma_ = std::make_unique<Gamma>();
    IdentityRamp(gamma_->ramp);
  }
  std::lock_guard lock(Live().mutex);
  Live().live.push_back(this);
}

Surface::~Surface() {
  if (kind_ == Kind::Primary) display_->ReleaseFrame();
  {
    std::lock_guard lock(Live().mutex);
    std::erase(Live().live, this);
  }
  if (dc_) ::DeleteDC(dc_);
}

HRESULT Surface::Make(const std::shared_ptr<Display>& display, Kind kind, int width, int height, Surface** made) {
  *made = nullptr;
  if (width < 1 || height < 1 || width > kMaxSide || height > kMaxSide) return DDERR_INVALIDPARAMS;
  const int bitsPerPixel = display->CurrentMode().bitsPerPixel;
  try {
    Ref<Surface> surface(new Surface(display, kind, width, height, bitsPerPixel));
    if (kind == Kind::Primary) surface->back_ = Ref<Surface>(new Surface(display, Kind::BackBuffer, width, height, bitsPerPixel));
    *made = surface.detach();
    return DD_OK;
  } catch (const std::bad_alloc&) {
    return DDERR_OUTOFMEMORY;
  }
}

HRESULT Surface::QueryInterface(REFIID iid, LPVOID* object) {
  if (auto planned = PlannedResult(Op::QueryInterface)) {
    if (object) *object = nullptr;
    return *planned;
  }
  if (!object) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectDrawSurface7) {
    *object = static_cast<IDirectDrawSurface7*>(this);
  } else if (iid == IID_IDirectDrawGammaControl && gamma_ && GammaOffered()) {
    *object = static_cast<IDirectDrawGammaControl*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return DD_OK;
}

ULONG Surface::AddRef() { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }

ULONG Surface::Release() {
  const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT Surface::Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) {
  if (auto planned = PlannedResult(Op::Flip)) return *planned;
  if (!back_) return DDERR_NOTFLIPPABLE;
  if (flags != 0 || (target && target != static_cast<IDirectDrawSurface7*>(back_.get()))) return DDERR_INVALIDPARAMS;
  if (Lost() || back_->Lost()) return DDERR_SURFACELOST;
  if (Busy() || back_->Busy()) return DDERR_SURFACEBUSY;
  Settle();
  back_->Settle();
  bits_.swap(back_->bits_);
  {
    std::lock_guard lock(gamma_->mutex);
    gamma_->shown = gamma_->ramp;
  }
  const gdi::PixelBuffer pixels = Pixels();
  display_->Present(Frame{pixels, gamma_->shown});
  return DD_OK;
}

HRESULT Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags, DDBLTFX* fx) {
  if (auto planned = PlannedResult(Op::Blt)) return *planned;
  if ((flags & DDBLT_COLORFILL) == 0 || source || sourceRect) return DDERR_UNSUPPORTED;
  if ((flags & ~(DDBLT_COLORFILL | DDBLT_WAIT)) != 0 || !fx || fx->dwSize != sizeof(DDBLTFX))
    return DDERR_INVALIDPARAMS;
  const RECT area = destRect ? *destRect : RECT{0, 0, width_, height_};
  if (!Inside(area, width_, height_)) return DDERR_INVALIDRECT;
  if (Lost()) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  const DWORD value = fx->dwFillColor & PixelMask(bitsPerPixel_);
  if (area.left == 0 && area.top == 0 && area.right == width_ && area.bottom == height_) {
    pendingFill_ = value;
    return DD_OK;
  }
  Settle();
  FillPixels(Pixels(), area, value);
  return DD_OK;
}

HRESULT Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags) {
  if (auto planned = PlannedResult(Op::BltFast)) return *planned;
  auto* from = dynamic_cast<Surface*>(source);
  if (!from || from == this || (flags & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_WAIT)) != 0) return DDERR_INVALIDPARAMS;
  const RECT part = sourceRect ? *sourceRect : RECT{0, 0, from->width_, from->height_};
  if (!Inside(part, from->width_, from->height_) ||
      std::uint64_t{x} + static_cast<std::uint64_t>(part.right - part.left) > static_cast<std::uint64_t>(width_) ||
      std::uint64_t{y} + static_cast<std::uint64_t>(part.bottom - part.top) > static_cast<std::uint64_t>(height_))
    return DDERR_INVALIDRECT;
  if (Lost() || from->Lost()) return DDERR_SURFACELOST;
  if (Busy() || from->Busy()) return DDERR_SURFACEBUSY;
  if (from->bitsPerPixel_ != bitsPerPixel_) return DDERR_INVALIDPIXELFORMAT;
  const auto dx = static_cast<int>(x);
  const auto dy = static_cast<int>(y);
  const bool keyed = (flags & DDBLTFAST_SRCCOLORKEY) != 0;
  if (keyed && !from->sourceKey_) return DDERR_NOCOLORKEY;
  from->Settle();
  if (keyed) {
    Settle();
    CopyPixelsKeyed(Pixels(), dx, dy, from->Pixels(), part, *from->sourceKey_);
    return DD_OK;
  }
  if (pendingFill_) {
    FillPixelsAround(Pixels(), RECT{dx, dy, dx + (part.right - part.left), dy + (part.bottom - part.top)}, *pendingFill_);
    pendingFill_.reset();
  }
  CopyPixels(Pixels(), dx, dy, from->Pixels(), part);
  return DD_OK;
}

HRESULT Surface::SetColorKey(DWORD flags, DDCOLORKEY* key) {
  if (auto planned = PlannedResult(Op::SetColorKey)) return *planned;
  if (flags != DDCKEY_SRCBLT) return DDERR_INVALIDPARAMS;
  if (key) {
    sourceKey_ = key->dwColorSpaceLowValue & PixelMask(bitsPerPixel_);
  } else {
    sourceKey_.reset();
  }
  return DD_OK;
}

HRESULT Surface::Lock(LPRECT rect, DDSURFACEDESC2* desc, DWORD /*flags: every lock is immediate*/, HANDLE) {
  if (auto planned = PlannedResult(Op::Lock)) return *planned;
  if (rect) return DDERR_UNSUPPORTED;
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  if (Lost()) return DDERR_SURFACELOST;
  if (Busy()) return DDERR_SURFACEBUSY;
  Settle();
  *desc = Describe();
  desc->dwFlags |= DDSD_LPSURFACE;
  desc->lpSurface = bits_.data();
  locked_ = true;
  return DD_OK;
}

HRESULT Surface::Unlock(LPRECT rect) {
  if (rect) return DDERR_INVALIDPARAMS;
  if (!locked_) return DDERR_NOTLOCKED;
  locked_ = false;
  return DD_OK;
}

HRESULT Surface::GetDC(HDC* dc) {
  if (auto planned = PlannedResult(Op::GetDC)) {
    if (dc) *dc = nullptr;
    return *planned;
  }
  if (!dc) return DDERR_INVALIDPARAMS;
  *dc = nullptr;
  if (Lost()) return DDERR_SURFACELOST;
  if (dcTaken_) return DDERR_DCALREADYCREATED;
  if (locked_) return DDERR_SURFACEBUSY;
  Settle();
  // A flip swaps the pixels under a kept context, so each GetDC points it at them again.
  if (!dc_) {
    dc_ = gdi::CreateDCOverPixels(Pixels());
    if (!dc_) return DDERR_GENERIC;
  } else if (!gdi::ResetDCOverPixels(dc_, Pixels())) {
    return DDERR_GENERIC;
  }
  dcTaken_ = true;
  *dc = dc_;
  return DD_OK;
}

// The released handle stays valid but draws nowhere until the next GetDC hands it out.
HRESULT Surface::ReleaseDC(HDC dc) {
  if (!dcTaken_ || dc != dc_) return DDERR_INVALIDPARAMS;
  gdi::ResetDCOverPixels(dc_, {});
  dcTaken_ = false;
  return DD_OK;
}

HRESULT Surface::IsLost() {
  if (auto planned = PlannedResult(Op::IsLost)) return *planned;
  return Lost() ? DDERR_SURFACELOST : DD_OK;
}

HRESULT Surface::Restore() {
  if (auto planned = PlannedResult(Op::Restore)) return *planned;
  const HRESULT result = RestoreSelf();
  if (FAILED(result) || !back_) return result;
  return back_->RestoreSelf();
}

HRESULT Surface::RestoreSelf() {
  if (!FitsMode()) return DDERR_WRONGMODE;
  lost_.store(false, std::memory_order_relaxed);
  return DD_OK;
}

HRESULT Surface::GetAttachedSurface(DDSCAPS2* caps, LPDIRECTDRAWSURFACE7* surface) {
  if (auto planned = PlannedResult(Op::GetAttachedSurface)) {
    if (surface) *surface = nullptr;
    return *planned;
  }
  if (!caps || !surface) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (!back_ || caps->dwCaps != DDSCAPS_BACKBUFFER || caps->dwCaps2 || caps->dwCaps3 || caps->dwCaps4)
    return DDERR_NOTFOUND;
  back_->AddRef();
  *surface = back_.get();
  return DD_OK;
}

HRESULT Surface::GetSurfaceDesc(DDSURFACEDESC2* desc) {
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  *desc = Describe();
  return DD_OK;
}

HRESULT Surface::GetGammaRamp(DWORD flags, DDGAMMARAMP* ramp) {
  if (auto planned = PlannedResult(Op::GetGammaRamp)) return *planned;
  if (!gamma_) return DDERR_UNSUPPORTED;
  if (flags != 0 || !ramp) return DDERR_INVALIDPARAMS;
  std::lock_guard lock(gamma_->mutex);
  *ramp = gamma_->ramp;
  return DD_OK;
}

HRESULT Surface::SetGammaRamp(DWORD flags, const DDGAMMARAMP* ramp) {
  if (auto planned = PlannedResult(Op::SetGammaRamp)) return *planned;
  if (!gamma_) return DDERR_UNSUPPORTED;
  if (flags != 0 || !ramp) return DDERR_INVALIDPARAMS;
  std::lock_guard lock(gamma_->mutex);
  gamma_->ramp = *ramp;
  return DD_OK;
}

void Surface::Settle() {
  if (!pendingFill_) return;
  FillPixels(Pixels(), RECT{0, 0, width_, height_}, *pendingFill_);
  pendingFill_.reset();
}

gdi::PixelBuffer Surface::Pixels() {
  gdi::PixelBuffer pixels{bits_.data(), width_, height_, pitch_, bitsPerPixel_, {}};
  if (bitsPerPixel_ == 8) pixels.palette = FixedPalette();
  return pixels;
}

DDSURFACEDESC2 Surface::Describe() const {
  DDSURFACEDESC2 desc = DescribeMode(width_, height_, bitsPerPixel_);
  desc.dwFlags |= DDSD_CAPS;
  switch (kind_) {
    case Kind::Primary:
      desc.dwFlags |= DDSD_BACKBUFFERCOUNT;
      desc.dwBackBufferCount = 1;
      desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
      break;
    case Kind::BackBuffer:
      desc.ddsCaps.dwCaps = DDSCAPS_BACKBUFFER | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
      break;
    case Kind::Offscreen:
      desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
      break;
  }
  return desc;
}

bool Surface::FitsMode() const {
  if (display_->Ended()) return false;
  const DisplayMode mode = display_->CurrentMode();
  if (mode.bitsPerPixel != bitsPerPixel_) return false;
  if (kind_ == Kind::Offscreen) return true;
  return display_->ModeSet() && mode.width == width_ && mode.height == height_;
}

void LoseSurfaces(const Display* display) {
  std::lock_guard lock(Live().mutex);
  for (Surface* surface : Live().live)
    if (!display || surface->Owner() == display) surface->MarkLost();
}

HRESULT RestoreSurfaces(const Display* display) {
  std::lock_guard lock(Live().mutex);
  HRESULT first = DD_OK;
  for (Surface* surface : Live().live) {
    if (surface->Owner() != display) continue;
    const HRESULT result = surface->RestoreSelf();
    if (FAILED(result) && SUCCEEDED(first)) first = result;
  }
  return first;
}

bool PrimaryExists(const Display* display) {
  std::lock_guard lock(Live().mutex);
  return std::any_of(Live().live.begin(), Live().live.end(), [&](const Surface* s) {
    return s->Owner() == display && s->GetKind() == Surface::Kind::Primary;
  });
}

}  // namespace ddraw::detail
