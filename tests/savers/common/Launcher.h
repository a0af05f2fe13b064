// Starting the real executable as the screensaver host does, on a virtual X server of the
// test's own, and waiting for it to end.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/support/VirtualDisplay.h"

namespace launcher {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs `program` with `args`; the environment is this process's with `set` (name, value; an
// empty value removes the variable). Standard error goes to `errors` when given. `inChild` runs
// in the program's process just before it starts (a limit, another user).
inline pid_t Launch(const std::string& program, const std::vector<std::string>& args,
                    const std::vector<std::pair<std::string, std::string>>& set, const fs::path* errors = nullptr,
                    const std::function<void()>& inChild = {}) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  for (const auto& [name, value] : set)
    if (value.empty()) ::unsetenv(name.c_str());
    else ::setenv(name.c_str(), value.c_str(), 1);
  const int quiet = ::open(errors ? errors->c_str() : "/dev/null", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(quiet, STDERR_FILENO);
  ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
  if (inChild) inChild();
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

// The wait status once the child ended, or none when it is still running at `until`.
inline std::optional<int> WaitUntil(pid_t child, Clock::time_point until) {
  for (;;) {
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == child) return status;
    if (Clock::now() > until) return std::nullopt;
    std::this_thread::sleep_for(20ms);
  }
}

inline void Stop(pid_t child) {
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

inline std::string TextOf(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace launcher
