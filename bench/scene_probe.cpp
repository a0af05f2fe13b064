// Watches a program from outside on an X display: starts it, counts the frames that reach the
// screen (damage reports on the root window), notes when the first picture appears, samples its
// CPU time and peak memory, and ends it with a key press as a user would. The CPU time the
// program took until its first picture shows what the start costs on a busy machine too.
//
//   scene_probe [--seconds N] [--warmup S] [--server-pid PID] -- program [arguments]
//
// The screen must be black before the program shows anything (Xvfb -br).
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

struct Options {
  double seconds = 20.0;
  double warmup = 2.0;
  pid_t server = 0;
  std::vector<char*> command;
};

std::optional<Options> Parse(int argc, char** argv) {
  Options options;
  int i = 1;
  for (; i < argc && std::strcmp(argv[i], "--") != 0; ++i) {
    if (i + 1 >= argc) return std::nullopt;
    if (!std::strcmp(argv[i], "--seconds")) {
      options.seconds = std::atof(argv[++i]);
    } else if (!std::strcmp(argv[i], "--warmup")) {
      options.warmup = std::atof(argv[++i]);
    } else if (!std::strcmp(argv[i], "--server-pid")) {
      options.server = static_cast<pid_t>(std::atoi(argv[++i]));
    } else {
      return std::nullopt;
    }
  }
  for (++i; i < argc; ++i) options.command.push_back(argv[i]);
  if (options.command.empty()) return std::nullopt;
  options.command.push_back(nullptr);
  return options;
}

// User plus system time of every thread of a process, in seconds; 0 once it is gone.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const auto end = text.rfind(')');  // the command name may hold spaces
  if (end == std::string::npos) return 0.0;
  std::istringstream fields(text.substr(end + 2));
  std::string field;
  unsigned long long user = 0, system = 0;
  for (int n = 3; fields >> field; ++n) {
    if (n == 14) user = std::stoull(field);
    if (n == 15) {
      system = std::stoull(field);
      break;
    }
  }
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

long PeakKilobytes(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
  return 0;
}

// Whether the middle row of the screen holds anything but black.
bool PictureShown(Display* display, Window root, int width, int height) {
  XImage* row = XGetImage(display, root, 0, height / 2, static_cast<unsigned>(width), 1, AllPlanes, ZPixmap);
  if (!row) return false;
  bool lit = false;
  for (int x = 0; x < width && !lit; ++x) lit = XGetPixel(row, x, 0) != 0;
  XDestroyImage(row);
  return lit;
}

pid_t Start(std::vector<char*>& command) {
  const pid_t pid = fork();
  if (pid == 0) {
    execv(command[0], command.data());
    std::perror(command[0]);
    _exit(127);
  }
  return pid;
}

// Escape ends a run in every setting; the program gets a few seconds to close.
int End(Display* display, pid_t pid) {
  const KeyCode escape = XKeysymToKeycode(display, XK_Escape);
  XTestFakeKeyEvent(display, escape, True, 0);
  XTestFakeKeyEvent(display, escape, False, 0);
  XFlush(display);
  int status = 0;
  for (int i = 0; i < 50; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    usleep(100000);
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
  return -2;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Options> options = Parse(argc, argv);
  if (!options) {
    std::fprintf(stderr, "usage: %s [--seconds N] [--warmup S] [--server-pid PID] -- program [arguments]\n", argv[0]);
    return 2;
  }
  Display* display = XOpenDisplay(nullptr);
  int damageEvent = 0, damageError = 0, major = 0, minor = 0, xtestEvent = 0, xtestError = 0;
  if (!display || !XDamageQueryExtension(display, &damageEvent, &damageError) ||
      !XTestQueryExtension(display, &xtestEvent, &xtestError, &major, &minor)) {
    std::fprintf(stderr, "scene_probe: no X display with the DAMAGE and XTEST extensions\n");
    return 2;
  }
  const Window root = DefaultRootWindow(display);
  const int width = DisplayWidth(display, DefaultScreen(display));
  const int height = DisplayHeight(display, DefaultScreen(display));
  XDamageCreate(display, root, XDamageReportRawRectangles);
  XSync(display, False);

  const Clock::time_point started = Clock::now();
  const pid_t pid = Start(options->command);
  const Clock::time_point until = started + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options->seconds));

  std::optional<Clock::time_point> firstFrame, windowStart;
  long frames = 0, framesAtWindow = 0;
  double cpuAtFirstFrame = 0.0, cpuAtWindow = 0.0, serverAtWindow = 0.0;
  pollfd connection{ConnectionNumber(display), POLLIN, 0};
  for (Clock::time_point now = started; now < until; now = Clock::now()) {
    if (waitpid(pid, nullptr, WNOHANG) == pid) {
      std::fprintf(stderr, "scene_probe: the program ended early\n");
      return 1;
    }
    if (!XPending(display)) poll(&connection, 1, 10);
    while (XPending(display)) {
      XEvent event;
      XNextEvent(display, &event);
      if (event.type != damageEvent + XDamageNotify) continue;
      if (reinterpret_cast<XDamageNotifyEvent&>(event).more) continue;  // one count per drawing request
      ++frames;
      if (!firstFrame && PictureShown(display, root, width, height)) {
        firstFrame = Clock::now();
        cpuAtFirstFrame = CpuSeconds(pid);
        frames = 0;
      }
    }
    if (firstFrame && !windowStart && now >= *firstFrame + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(options->warmup))) {
      windowStart = now;
      framesAtWindow = frames;
      cpuAtWindow = CpuSeconds(pid);
      if (options->server) serverAtWindow = CpuSeconds(options->server);
    }
  }
  const Clock::time_point windowEnd = Clock::now();
  const double cpu = CpuSeconds(pid) - cpuAtWindow;
  const double server = options->server ? CpuSeconds(options->server) - serverAtWindow : 0.0;
  const long peak = PeakKilobytes(pid);
  const int exitCode = End(display, pid);

  if (!firstFrame || !windowStart) {
    std::fprintf(stderr, "scene_probe: no picture reached the screen\n");
    return 1;
  }
  const double wall = Seconds(windowEnd - *windowStart);
  const long counted = frames - framesAtWindow;
  std::printf("frames_per_second %.1f\n", static_cast<double>(counted) / wall);
  std::printf("cpu_ms_per_frame %.3f\n", counted ? 1000.0 * cpu / static_cast<double>(counted) : 0.0);
  std::printf("cpu_share_percent %.1f\n", 100.0 * cpu / wall);
  std::printf("peak_memory_mb %.1f\n", static_cast<double>(peak) / 1024.0);
  std::printf("first_frame_ms %.0f\n", 1000.0 * Seconds(*firstFrame - started));
  std::printf("first_frame_cpu_ms %.0f\n", 1000.0 * cpuAtFirstFrame);
  if (options->server) std::printf("server_cpu_share_percent %.1f\n", 100.0 * server / wall);
  std::printf("exit_code %d\n", exitCode);
  XCloseDisplay(display);
  return 0;
}
