// timeGetTime: a steady millisecond clock, or the source a test has set in its place.
#include <chrono>
#include <memory>
#include <mutex>

#include "platform/winmm/MMSystem.h"

namespace {

struct TimeSource {
  std::mutex mutex;
  std::shared_ptr<const std::function<DWORD()>> source;
};

TimeSource& Source() {
  static TimeSource source;
  return source;
}

}  // namespace

DWORD timeGetTime() {
  std::shared_ptr<const std::function<DWORD()>> source;
  {
    std::lock_guard lock(Source().mutex);
    source = Source().source;
  }
  // Called outside the lock, so a source may itself be slow or reset the seam.
  if (source) return (*source)();
  const auto now = std::chrono::steady_clock::now().time_since_epoch();
  return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

namespace winmm {

void SetTimeSource(std::function<DWORD()> source) {
  auto shared = source ? std::make_shared<const std::function<DWORD()>>(std::move(source)) : nullptr;
  std::lock_guard lock(Source().mutex);
  Source().source = std::move(shared);
}

void ResetTimeSource() { SetTimeSource(nullptr); }

}  // namespace winmm
