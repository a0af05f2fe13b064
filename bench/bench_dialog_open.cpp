// How long the setup dialog takes to open: from starting Rillmoor.scr /c, as the screensaver
// host starts it, until its window with the whole city list is shown on a virtual desktop.
// The goal is under 300 ms.
#include <benchmark/benchmark.h>

#include <X11/Xlib.h>

#include <string>

#include "tests/savers/common/Launcher.h"

namespace {

using namespace launcher;

constexpr const char* DialogCaption = "Lumivelle Waterfall  Setup";

bool IsDialog(Display* x, Window window) {
  char* name = nullptr;
  const bool is = XFetchName(x, window, &name) && name && std::string(name) == DialogCaption;
  if (name) XFree(name);
  return is;
}

// Waits for the dialog's window to be mapped; false after `timeout`.
bool WaitForDialog(Display* x, Clock::duration timeout) {
  const auto until = Clock::now() + timeout;
  while (Clock::now() < until) {
    while (XPending(x)) {
      XEvent event;
      XNextEvent(x, &event);
      if (event.type == MapNotify && IsDialog(x, event.xmap.window)) return true;
    }
    std::this_thread::sleep_for(1ms);
  }
  return false;
}

void DialogOpen(benchmark::State& state) {
  const VirtualDisplay desktop("1920x1080x24");
  char folder[] = "/tmp/rillmoor-bench-dialog-XXXXXX";
  if (desktop.Name().empty() || !::mkdtemp(folder)) {
    state.SkipWithError("no virtual desktop");
    return;
  }
  // Holds the server between launches, so each finds it ready, and watches the windows come.
  Display* x = XOpenDisplay(desktop.Name().c_str());
  if (!x) {
    state.SkipWithError("cannot connect to the virtual desktop");
    return;
  }
  XSelectInput(x, DefaultRootWindow(x), SubstructureNotifyMask);
  XSync(x, False);
  for (auto _ : state) {
    const auto start = Clock::now();
    const pid_t child = Launch(RILLMOOR_PROGRAM, {"/c"},
                               {{"DISPLAY", desktop.Name()}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", folder}});
    const bool shown = WaitForDialog(x, 10s);
    const auto opened = Clock::now();
    Stop(child);
    if (!shown) {
      state.SkipWithError("the dialog did not show");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(opened - start).count());
  }
  XCloseDisplay(x);
  fs::remove_all(folder);
}

BENCHMARK(DialogOpen)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
