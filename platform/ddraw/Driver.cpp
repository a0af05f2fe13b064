// The scriptable driver's state behind one lock: listed modes, gamma capability, devices,
// the fault plan, the exclusive owner and the display device factory.
#include <algorithm>
#include <array>
#include <mutex>

#include "platform/ddraw/DriverState.h"
#include "platform/ddraw/HeadlessDevice.h"
#include "platform/ddraw/PixelFormat.h"
#include "platform/ddraw/Surface.h"

namespace ddraw {
namespace {

constexpr std::size_t kOpCount = static_cast<std::size_t>(Op::SetGammaRamp) + 1;

struct Fault {
  Op op;
  long call;  // the call number (counted since the last reset) that fails
  HRESULT result;
};

struct State {
  std::optional<std::vector<DisplayMode>> modes;  // none: derived from the desktop
  bool gamma = true;
  std::optional<int> monitors;  // none: from the source
  std::function<int()> monitorSource;
  std::array<long, kOpCount> calls{};
  std::vector<Fault> faults;
  const void* exclusiveOwner = nullptr;
  DeviceFactory factory;
};

std::mutex& Lock() {
  static std::mutex mutex;
  return mutex;
}

State& Shared() {
  static State state;
  return state;
}

std::vector<DisplayMode> DesktopModes() {
  static constexpr DisplayMode kSizes[] = {{640, 480, 0}, {800, 600, 0}, {1024, 768, 0}, {1152, 864, 0},
                                           {1280, 1024, 0}};
  const gdi::DesktopMode desktop = gdi::GetDesktopMode();
  std::vector<DisplayMode> modes;
  const auto add = [&modes](const DisplayMode& mode) {
    if (std::find(modes.begin(), modes.end(), mode) == modes.end()) modes.push_back(mode);
  };
  // The display device shows any mode scaled to the screen, so every size is offered, also one
  // larger than the desktop.
  for (const DisplayMode& size : kSizes)
    for (int depth : {16, 24, 32}) add({size.width, size.height, depth});
  // The desktop's own size at every depth too: the settings may store it with a depth other
  // than the desktop's (the 32-bit probe does), and that mode must open again on the next run.
  if (desktop.width > 0 && desktop.height > 0) {
    for (int depth : {16, 24, 32}) add({desktop.width, desktop.height, depth});
    if (IsDisplayDepth(desktop.bitsPerPixel)) add({desktop.width, desktop.height, desktop.bitsPerPixel});
  }
  return modes;
}

}  // namespace

void SetModes(std::vector<DisplayMode> modes) {
  std::erase_if(modes, [](const DisplayMode& m) {
    return m.width <= 0 || m.height <= 0 || !IsDisplayDepth(m.bitsPerPixel);
  });
  std::lock_guard lock(Lock());
  Shared().modes = std::move(modes);
}

std::vector<DisplayMode> ListedModes() {
  {
    std::lock_guard lock(Lock());
    if (Shared().modes) return *Shared().modes;
  }
  return DesktopModes();
}

void SetGammaCapability(bool offered) {
  std::lock_guard lock(Lock());
  Shared().gamma = offered;
}

void SetMonitorCount(int monitors) {
  std::lock_guard lock(Lock());
  Shared().monitors = std::max(monitors, 0);
}

void SetMonitorSource(std::function<int()> monitors) {
  std::lock_guard lock(Lock());
  Shared().monitorSource = std::move(monitors);
}

void FailCall(Op op, int nth, HRESULT result) {
  if (nth < 1) return;
  std::lock_guard lock(Lock());
  State& state = Shared();
  state.faults.push_back({op, state.calls[static_cast<std::size_t>(op)] + nth, result});
}

void LoseAllSurfaces() { detail::LoseSurfaces(nullptr); }

void SetDeviceFactory(DeviceFactory factory) {
  std::lock_guard lock(Lock());
  Shared().factory = std::move(factory);
}

void ResetDriver() {
  {
    std::lock_guard lock(Lock());
    State& state = Shared();
    const void* owner = state.exclusiveOwner;  // a live object keeps its exclusive mode
    state = State{};
    state.exclusiveOwner = owner;
  }
  ResetHeadlessDisplay();
  detail::RegisterModule();
}

namespace detail {

std::optional<HRESULT> PlannedResult(Op op) {
  std::lock_guard lock(Lock());
  State& state = Shared();
  const long call = ++state.calls[static_cast<std::size_t>(op)];
  const auto fault = std::find_if(state.faults.begin(), state.faults.end(),
                                  [&](const Fault& f) { return f.op == op && f.call == call; });
  if (fault == state.faults.end()) return std::nullopt;
  const HRESULT result = fault->result;
  state.faults.erase(fault);
  return result;
}

bool GammaOffered() {
  std::lock_guard lock(Lock());
  return Shared().gamma;
}

std::vector<Device> Devices() {
  std::optional<int> monitors;
  std::function<int()> source;
  {
    std::lock_guard lock(Lock());
    monitors = Shared().monitors;
    source = Shared().monitorSource;
  }
  if (!monitors) monitors = source ? std::max(source(), 1) : 1;
  std::vector<Device> devices{{std::nullopt, "Primary Display Driver", "display", nullptr}};
  for (int i = 1; i <= *monitors; ++i) {
    const GUID guid{0x4D0E1700u + static_cast<DWORD>(i), 0x2B3C, 0x4A5D,
                    {0x8E, 0x9F, 0x00, 0x00, 0x00, 0x00, 0x00, static_cast<BYTE>(i)}};
    const std::string number = std::to_string(i);
    devices.push_back({guid, "Display " + number, "DISPLAY" + number,
                       reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(i))});
  }
  return devices;
}

bool ClaimExclusive(const void* owner) {
  std::lock_guard lock(Lock());
  State& state = Shared();
  if (state.exclusiveOwner && state.exclusiveOwner != owner) return false;
  state.exclusiveOwner = owner;
  return true;
}

void ReleaseExclusive(const void* owner) {
  std::lock_guard lock(Lock());
  if (Shared().exclusiveOwner == owner) Shared().exclusiveOwner = nullptr;
}

std::unique_ptr<DisplayDevice> MakeDevice(HWND window, int monitor) {
  DeviceFactory factory;
  {
    std::lock_guard lock(Lock());
    factory = Shared().factory;
  }
  return factory ? factory(window, monitor) : MakeHeadlessDevice(monitor);
}

}  // namespace detail
}  // namespace ddraw
