// A virtual X server of a test's own, on a display number the server picks.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace launcher {

// Nothing else connects to it, so it resets whenever its last client leaves, as a fresh desktop
// session's server may. It ends when this object goes, or with the test process, also one that
// crashed.
class VirtualDisplay {
 public:
  // `screen`: width x height x depth.
  explicit VirtualDisplay(const char* screen) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    const pid_t test = ::getpid();
    server_ = ::fork();
    if (server_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != test) ::_exit(1);  // the test ended before the line above
      ::close(ready[0]);
      const int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(quiet, STDERR_FILENO);
      ::dup2(quiet, STDOUT_FILENO);
      const std::string fd = std::to_string(ready[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen, "-nolisten", "tcp", nullptr);
      ::_exit(127);
    }
    ::close(ready[1]);
    // Written once it accepts clients, the number and then its line end: the server ends if
    // the pipe is closed before the line end is written.
    std::string number;
    char c = 0;
    while (::read(ready[0], &c, 1) == 1 && c != '\n') number += c;
    ::close(ready[0]);
    if (!number.empty() && c == '\n') name_ = ":" + number;
  }
  ~VirtualDisplay() {
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  // ":N", or empty when the server did not start.
  const std::string& Name() const { return name_; }

 private:
  pid_t server_ = -1;
  std::string name_;
};

}  // namespace launcher
