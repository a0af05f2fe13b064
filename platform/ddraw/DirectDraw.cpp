// The DirectDraw object (both its interfaces), DirectDrawCreate and DirectDrawEnumerateExA,
// and the built-in module "ddraw.dll" that the monitor enumeration loads by name.
#include <atomic>
#include <string>

#include "platform/ddraw/DriverState.h"
#include "platform/ddraw/PixelFormat.h"
#include "platform/ddraw/Surface.h"
#include "platform/win32/Kernel32.h"

namespace ddraw::detail {
namespace {

class DirectDraw final : public IDirectDraw, public IDirectDraw7 {
 public:
  explicit DirectDraw(int monitor) : display_(std::make_shared<Display>(monitor)) {}
  HRESULT QueryInterface(REFIID iid, LPVOID* object) override;
  ULONG AddRef() override { return refs_.fetch_add(1, std::memory_order_relaxed) + 1; }
  ULONG Release() override;

  HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) override;
  HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                           LPDDENUMMODESCALLBACK2 callback) override;
  HRESULT SetCooperativeLevel(HWND window, DWORD flags) override;
  HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) override;
  HRESULT GetDisplayMode(DDSURFACEDESC2* mode) override;
  HRESULT CreateSurface(DDSURFACEDESC2* desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) override;
  HRESULT RestoreAllSurfaces() override;

 private:
  ~DirectDraw() { display_->End(); }

  std::atomic<ULONG> refs_{1};
  std::shared_ptr<Display> display_;
};

HRESULT DirectDraw::QueryInterface(REFIID iid, LPVOID* object) {
  if (auto planned = PlannedResult(Op::QueryInterface)) {
    if (object) *object = nullptr;
    return *planned;
  }
  if (!object) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDirectDraw) {
    *object = static_cast<IDirectDraw*>(this);
  } else if (iid == IID_IDirectDraw7) {
    *object = static_cast<IDirectDraw7*>(this);
  } else {
    return E_NOINTERFACE;
  }
  AddRef();
  return DD_OK;
}

ULONG DirectDraw::Release() {
  const ULONG left = refs_.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (left == 0) delete this;
  return left;
}

HRESULT DirectDraw::GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) {
  if (auto planned = PlannedResult(Op::GetCaps)) return *planned;
  if ((!driverCaps && !emulationCaps) || (driverCaps && driverCaps->dwSize != sizeof(DDCAPS)) ||
      (emulationCaps && emulationCaps->dwSize != sizeof(DDCAPS)))
    return DDERR_INVALIDPARAMS;
  const DDCAPS caps{sizeof(DDCAPS), DDCAPS_BLT | DDCAPS_BLTCOLORFILL | DDCAPS_COLORKEY,
                    GammaOffered() ? DDCAPS2_PRIMARYGAMMA : 0, {}};
  if (driverCaps) *driverCaps = caps;
  if (emulationCaps) *emulationCaps = caps;
  return DD_OK;
}

HRESULT DirectDraw::EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                                     LPDDENUMMODESCALLBACK2 callback) {
  if (auto planned = PlannedResult(Op::EnumDisplayModes)) return *planned;
  if (flags != 0 || !callback) return DDERR_INVALIDPARAMS;
  if (filter) return DDERR_UNSUPPORTED;
  for (const DisplayMode& mode : ListedModes()) {
    DDSURFACEDESC2 desc = DescribeMode(mode.width, mode.height, mode.bitsPerPixel);
    if (callback(&desc, context) == DDENUMRET_CANCEL) break;
  }
  return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
  if (auto planned = PlannedResult(Op::SetCooperativeLevel)) return *planned;
  return display_->SetCooperativeLevel(window, flags);
}

HRESULT DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) {
  if (auto planned = PlannedResult(Op::SetDisplayMode)) return *planned;
  if (flags != 0) return DDERR_INVALIDPARAMS;
  if (refreshRate != 0) return DDERR_INVALIDMODE;
  return display_->SetDisplayMode(
      {static_cast<int>(width), static_cast<int>(height), static_cast<int>(bitsPerPixel)});
}

HRESULT DirectDraw::GetDisplayMode(DDSURFACEDESC2* mode) {
  if (!mode || mode->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
  const DisplayMode current = display_->CurrentMode();
  *mode = DescribeMode(current.width, current.height, current.bitsPerPixel);
  return DD_OK;
}

HRESULT DirectDraw::CreateSurface(DDSURFACEDESC2* desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) {
  if (auto planned = PlannedResult(Op::CreateSurface)) {
    if (surface) *surface = nullptr;
    return *planned;
  }
  if (!surface) return DDERR_INVALIDPARAMS;
  *surface = nullptr;
  if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2) || outer || (desc->dwFlags & DDSD_CAPS) == 0)
    return DDERR_INVALIDPARAMS;
  Surface* made = nullptr;
  HRESULT result;
  if (desc->ddsCaps.dwCaps == (DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX)) {
    if (desc->dwFlags != (DDSD_CAPS | DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount != 1)
      return DDERR_INVALIDPARAMS;
    const auto& mode = display_->ModeSet();
    if (!display_->Exclusive() || !mode) return DDERR_NOEXCLUSIVEMODE;
    if (PrimaryExists(display_.get())) return DDERR_PRIMARYSURFACEALREADYEXISTS;
    result = Surface::Make(display_, Surface::Kind::Primary, mode->width, mode->height, &made);
  } else if (desc->ddsCaps.dwCaps == DDSCAPS_OFFSCREENPLAIN) {
    if (desc->dwFlags != (DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    result = Surface::Make(display_, Surface::Kind::Offscreen, static_cast<int>(desc->dwWidth),
                           static_cast<int>(desc->dwHeight), &made);
  } else {
    return DDERR_INVALIDCAPS;
  }
  *surface = made;
  return result;
}

HRESULT DirectDraw::RestoreAllSurfaces() {
  if (auto planned = PlannedResult(Op::RestoreAllSurfaces)) return *planned;
  return RestoreSurfaces(display_.get());
}

// The monitor whose device has this GUID; none when no device has it.
std::optional<int> MonitorOf(const GUID& guid) {
  const std::vector<Device> devices = Devices();
  for (std::size_t i = 0; i < devices.size(); ++i)
    if (devices[i].guid && *devices[i].guid == guid) return static_cast<int>(i);
  return std::nullopt;
}

// Registered before main, from the unit every DirectDraw user links.
[[maybe_unused]] const bool kModuleRegistered = (RegisterModule(), true);

}  // namespace

void RegisterModule() {
  win32::RegisterModule("ddraw.dll",
                        {{"DirectDrawEnumerateExA", reinterpret_cast<FARPROC>(&DirectDrawEnumerateExA)}});
}

}  // namespace ddraw::detail

HRESULT DirectDrawCreate(GUID* guid, LPDIRECTDRAW* object, IUnknown* outer) {
  using namespace ddraw::detail;
  if (auto planned = PlannedResult(ddraw::Op::DirectDrawCreate)) {
    if (object) *object = nullptr;
    return *planned;
  }
  if (!object) return DDERR_INVALIDPARAMS;
  *object = nullptr;
  if (outer) return DDERR_INVALIDPARAMS;
  const std::optional<int> monitor = guid ? MonitorOf(*guid) : 0;
  if (!monitor) return DDERR_INVALIDDIRECTDRAWGUID;
  *object = static_cast<IDirectDraw*>(new DirectDraw(*monitor));
  return DD_OK;
}

HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags) {
  using namespace ddraw::detail;
  if (auto planned = PlannedResult(ddraw::Op::DirectDrawEnumerateExA)) return *planned;
  if (!callback || (flags & ~DDENUM_ATTACHEDSECONDARYDEVICES) != 0) return DDERR_INVALIDPARAMS;
  for (Device& device : Devices()) {
    if (device.guid && (flags & DDENUM_ATTACHEDSECONDARYDEVICES) == 0) break;
    // The callback gets copies: what it does to them cannot reach the driver.
    GUID guid = device.guid.value_or(GUID{});
    if (!callback(device.guid ? &guid : nullptr, device.description.data(), device.name.data(), context,
                  device.monitor))
      break;
  }
  return DD_OK;
}
