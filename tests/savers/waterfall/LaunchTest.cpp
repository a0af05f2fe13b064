// The real executable as the screensaver host starts it: on a virtual X server of the test's
// own, launched again and again, ended by the mouse as a user ends it; and without a display.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Runs `program` with `args`; the environment is this process's with `set` (name, value; an
// empty value removes the variable). Standard error goes to `errors` when given.
pid_t Launch(const std::string& program, const std::vector<std::string>& args,
             const std::vector<std::pair<std::string, std::string>>& set, const fs::path* errors = nullptr) {
  const pid_t child = ::fork();
  if (child != 0) return child;
  for (const auto& [name, value] : set)
    if (value.empty()) ::unsetenv(name.c_str());
    else ::setenv(name.c_str(), value.c_str(), 1);
  const int quiet = ::open(errors ? errors->c_str() : "/dev/null", O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(quiet, STDERR_FILENO);
  ::dup2(::open("/dev/null", O_WRONLY), STDOUT_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  ::execv(program.c_str(), argv.data());
  ::_exit(127);
}

// The wait status once the child ended, or none when it is still running at `until`.
std::optional<int> WaitUntil(pid_t child, Clock::time_point until) {
  for (;;) {
    int status = 0;
    if (::waitpid(child, &status, WNOHANG) == child) return status;
    if (Clock::now() > until) return std::nullopt;
    std::this_thread::sleep_for(20ms);
  }
}

void Stop(pid_t child) {
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

// A virtual X server of this test's own: nothing else connects to it, so it resets whenever
// its last client leaves, as a fresh desktop session's server may.
class VirtualDisplay {
 public:
  VirtualDisplay() {
    int ready[2];
    if (::pipe(ready) != 0) return;
    server_ = ::fork();
    if (server_ == 0) {
      ::close(ready[0]);
      const int quiet = ::open("/dev/null", O_WRONLY);
      ::dup2(quiet, STDERR_FILENO);
      ::dup2(quiet, STDOUT_FILENO);
      const std::string fd = std::to_string(ready[1]);
      ::execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24", "-nolisten", "tcp", nullptr);
      ::_exit(127);
    }
    ::close(ready[1]);
    char number[16] = {};
    const ssize_t n = ::read(ready[0], number, sizeof number - 1);  // written once it accepts clients
    ::close(ready[0]);
    if (n > 0) name_ = ":" + std::to_string(std::atoi(number));
  }
  ~VirtualDisplay() {
    if (server_ > 0) {
      ::kill(server_, SIGTERM);
      ::waitpid(server_, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;
  const std::string& Name() const { return name_; }

 private:
  pid_t server_ = -1;
  std::string name_;
};

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/rillmoor-launch-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    Folder = folder;
  }
  void TearDown() override { fs::remove_all(Folder); }
  fs::path Folder;
};

std::string TextOf(const fs::path& file) {
  std::ifstream in(file);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Moves the pointer to and fro over the display until the program ends, as a user ending the
// screensaver does; the wait status, or none when it did not end in time.
std::optional<int> EndByMouse(const std::string& display, pid_t child) {
  Display* x = XOpenDisplay(display.c_str());
  if (!x) return std::nullopt;
  std::optional<int> status;
  const auto until = Clock::now() + 120s;
  for (int move = 0; !status && Clock::now() < until; ++move) {
    XWarpPointer(x, None, DefaultRootWindow(x), 0, 0, 0, 0, move % 2 ? 400 : 200, move % 2 ? 300 : 200);
    XFlush(x);
    status = WaitUntil(child, Clock::now() + 100ms);
  }
  XCloseDisplay(x);
  return status;
}

// Each launch holds the server until Qt has its own connection: none may find it resetting.
TEST_F(LaunchTest, EveryLaunchStartsAndEndsWithStatusZero) {
  const VirtualDisplay display;
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  for (int launch = 1; launch <= 20; ++launch) {
    SCOPED_TRACE(launch);
    const fs::path config = Folder / std::to_string(launch);
    fs::create_directories(config);
    const fs::path errors = config / "errors.txt";
    const pid_t child = Launch(RILLMOOR_PROGRAM, {"/s"},
                               {{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", config},
                                {"LSAN_OPTIONS", "suppressions=" THIRD_PARTY_LEAKS},
                                {"TSAN_OPTIONS", "suppressions=" THIRD_PARTY_RACES}},
                               &errors);
    // The first run writes its settings once its window system is up: from then on the
    // program holds the server, and this test may connect without it resetting on the way.
    const fs::path settings = config / "quillmont" / "registry.txt";
    std::optional<int> status;
    const auto until = Clock::now() + 120s;
    while (!status && !fs::exists(settings) && Clock::now() < until) status = WaitUntil(child, Clock::now() + 20ms);
    if (!status) status = EndByMouse(display.Name(), child);
    if (!status) {
      Stop(child);
      FAIL() << "the run did not end";
    }
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status) << "\n" << TextOf(errors);
    ASSERT_EQ(WEXITSTATUS(*status), 0) << TextOf(errors);
  }
}

// Every mode says which display it cannot open, in one line, and fails.
TEST_F(LaunchTest, WithoutADisplayEveryModeSaysSoAndFails) {
  const std::vector<std::vector<std::string>> modes = {{}, {"/s"}, {"/c"}, {"/p", "1234"}, {"/a", "1234"}};
  for (const auto& [display, said] : {std::pair<std::string, std::string>{":4321", "cannot open the display \":4321\""},
                                      {"", "cannot open the display: DISPLAY is not set"}}) {
    for (const auto& args : modes) {
      SCOPED_TRACE(display + " " + (args.empty() ? "" : args[0]));
      const fs::path errors = Folder / "errors.txt";
      const pid_t child =
          Launch(RILLMOOR_PROGRAM, args, {{"DISPLAY", display}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", Folder}}, &errors);
      const std::optional<int> status = WaitUntil(child, Clock::now() + 60s);
      if (!status) {
        Stop(child);
        FAIL() << "still running without a display";
      }
      ASSERT_TRUE(WIFEXITED(*status));
      EXPECT_NE(WEXITSTATUS(*status), 0);
      EXPECT_EQ(TextOf(errors), fs::path(RILLMOOR_PROGRAM).filename().string() + ": " + said + "\n");
    }
  }
  EXPECT_FALSE(fs::exists(Folder / "quillmont"));  // no mode ran
}

}  // namespace
