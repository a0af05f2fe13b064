// A DirectDraw surface in memory: the primary of a flipping chain (with its attached back
// buffer and gamma ramp), a back buffer, or an offscreen plain surface; and the live-surface list.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/ddraw/ComRef.h"
#include "platform/ddraw/Display.h"
#include "platform/gdi/ZeroedBytes.h"

namespace ddraw::detail {

class Surface final : public IDirectDrawSurface7, public IDirectDrawGammaControl {
 public:
  enum class Kind { Primary, BackBuffer, Offscreen };

  // A surface of `kind` in the display's current format, with one reference for the caller;
  // the primary comes with its back buffer attached.
  static HRESULT Make(const std::shared_ptr<Display>& display, Kind kind, int width, int height, Surface** made);

  HRESULT QueryInterface(REFIID iid, LPVOID* object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override;
  HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags, DDBLTFX* fx) override;
  HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags) override;
  HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) override;
  HRESULT Lock(LPRECT rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) override;
  HRESULT Unlock(LPRECT rect) override;
  HRESULT GetDC(HDC* dc) override;
  HRESULT ReleaseDC(HDC dc) override;
  HRESULT IsLost() override;
  HRESULT Restore() override;
  HRESULT GetAttachedSurface(DDSCAPS2* caps, LPDIRECTDRAWSURFACE7* surface) override;
  HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) override;

  HRESULT GetGammaRamp(DWORD flags, DDGAMMARAMP* ramp) override;
  HRESULT SetGammaRamp(DWORD flags, const DDGAMMARAMP* ramp) override;

  const Display* Owner() const { return display_.get(); }
  Kind GetKind() const { return kind_; }
  void MarkLost() { lost_.store(true, std::memory_order_relaxed); }
  // Brings the surface back when it still fits its display's mode.
  HRESULT RestoreSelf();

 private:
  struct Gamma {
    std::mutex mutex;
    DDGAMMARAMP ramp;   // guarded by mutex; read and written from any thread
    DDGAMMARAMP shown;  // the flipping thread's copy for the frame being presented
  };

  Surface(std::shared_ptr<Display> display, Kind kind, int width, int height, int bitsPerPixel);
  ~Surface();

  bool Lost() const { return lost_.load(std::memory_order_relaxed); }
  bool Busy() const { return locked_ || dcTaken_; }
  // Writes a colour fill of the whole surface that is still pending.
  void Settle();
  gdi::PixelBuffer Pixels();
  DDSURFACEDESC2 Describe() const;
  bool FitsMode() const;

  std::atomic<ULONG> refs_{1};
  std::shared_ptr<Display> display_;
  Kind kind_;
  int width_;
  int height_;
  int bitsPerPixel_;
  int pitch_;
  // The scenes' sprite sheets make tens of megabytes of surfaces at set-up.
  gdi::ZeroedBytes bits_;
  std::atomic<bool> lost_{false};
  bool locked_ = false;
  HDC dc_ = nullptr;  // made by the first GetDC and kept, so a frame's text costs no allocation
  bool dcTaken_ = false;
  std::optional<DWORD> sourceKey_;
  // A colour fill of the whole surface not written yet: an opaque blit onto the surface then
  // writes only the fill around it, which spares a frame's clear where its background covers.
  std::optional<DWORD> pendingFill_;
  Ref<Surface> back_;             // the primary's attached back buffer
  std::unique_ptr<Gamma> gamma_;  // primary only
};

// Marks lost every live surface of `display` (all surfaces when null).
void LoseSurfaces(const Display* display);
// Restores every live surface of `display`; the first failure, else DD_OK.
HRESULT RestoreSurfaces(const Display* display);
bool PrimaryExists(const Display* display);

}  // namespace ddraw::detail
