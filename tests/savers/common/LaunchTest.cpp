// Each program's executable as the screensaver host starts it: on a virtual X server of the
// test's own, launched again and again, ended by the mouse as a user ends it, or killed by SIGTERM
// while its first run stores its settings; without a display, on a desktop or a Qt platform it
// cannot use, and previewing into windows that are or are not there.
#include <gtest/gtest.h>

#include "tests/savers/common/EndByMouse.h"

#include <X11/Xutil.h>

#include <memory>

namespace {

using namespace launcher;

struct Program {
  const char* Path;
  int Launches;  // in a row, each the first run of a settings folder of its own
  int Values;    // what its first run stores
};
std::ostream& operator<<(std::ostream& Out, const Program& P) { return Out << fs::path(P.Path).filename().string(); }

class LaunchTest : public ::testing::TestWithParam<Program> {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/rillmoor-launch-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    Folder = folder;
  }
  void TearDown() override { fs::remove_all(Folder); }

  // Runs the program with `args` to its end: how it ended and its standard error. Fails when
  // it is still running after a minute.
  struct Ended {
    int Wait = -1;  // the wait status
    std::string Errors;
  };
  Ended RunToEnd(const std::vector<std::string>& args, std::vector<std::pair<std::string, std::string>> set) const {
    const fs::path errors = Folder / "errors.txt";
    set.emplace_back("XDG_CONFIG_HOME", Folder);
    const pid_t child = Launch(GetParam().Path, args, set, &errors);
    const std::optional<int> status = WaitUntil(child, Clock::now() + 60s);
    if (!status) {
      Stop(child);
      ADD_FAILURE() << "still running";
      return {};
    }
    return {*status, TextOf(errors)};
  }
  // What the program says on standard error: its name, a colon and `said`.
  std::string Line(const std::string& said) const { return fs::path(GetParam().Path).filename().string() + ": " + said + "\n"; }

  // The program in full screen on `display`, with its settings in `config`.
  static pid_t LaunchFullScreen(const std::string& display, const fs::path& config, const fs::path& errors) {
    return Launch(GetParam().Path, {"/s"},
                  {{"DISPLAY", display}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", config},
                   {"LSAN_OPTIONS", "suppressions=" THIRD_PARTY_LEAKS}, {"TSAN_OPTIONS", "suppressions=" THIRD_PARTY_RACES}},
                  &errors);
  }
  fs::path Folder;
};

// The test's own connection to the virtual display; it also holds the server between runs.
using Connection = std::unique_ptr<Display, decltype(&XCloseDisplay)>;
Connection Connect(const VirtualDisplay& Server) { return {XOpenDisplay(Server.Name().c_str()), &XCloseDisplay}; }

// A window of the test's own on the virtual display, in a colour of its own.
class HostWindow {
 public:
  HostWindow(Display* x, int width, int height, unsigned long color)
      : x_(x), id_(XCreateSimpleWindow(x, DefaultRootWindow(x), 0, 0, width, height, 0, 0, color)) {
    XSync(x_, False);
  }
  ~HostWindow() {
    XDestroyWindow(x_, id_);
    XSync(x_, False);
  }
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  Window Id() const { return id_; }

 private:
  Display* x_;
  Window id_;
};

// Another client that connects and leaves again and again, as short-lived desktop clients do:
// whenever it leaves last, the server resets. It stops when this goes out of scope.
class ComingAndGoingClient {
 public:
  explicit ComingAndGoingClient(const std::string& display) : pid_(::fork()) {
    if (pid_ != 0) return;
    for (;;) {
      if (Display* x = XOpenDisplay(display.c_str())) XCloseDisplay(x);
      ::usleep(2000);
    }
  }
  ~ComingAndGoingClient() {
    if (pid_ > 0) Stop(pid_);
  }
  ComingAndGoingClient(const ComingAndGoingClient&) = delete;
  ComingAndGoingClient& operator=(const ComingAndGoingClient&) = delete;

 private:
  pid_t pid_;
};

// Each launch holds the server until Qt has its own connection: none may find it resetting,
// though another client comes and goes meanwhile.
TEST_P(LaunchTest, EveryLaunchStartsAndEndsWithStatusZero) {
  const VirtualDisplay display("1920x1080x24");
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const ComingAndGoingClient other(display.Name());
  for (int launch = 1; launch <= GetParam().Launches; ++launch) {
    SCOPED_TRACE(launch);
    const fs::path config = Folder / std::to_string(launch);
    fs::create_directories(config);
    const fs::path errors = config / "errors.txt";
    const pid_t child = LaunchFullScreen(display.Name(), config, errors);
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
TEST_P(LaunchTest, WithoutADisplayEveryModeSaysSoAndFails) {
  const std::vector<std::vector<std::string>> modes = {{}, {"/s"}, {"/c"}, {"/p", "1234"}, {"/a", "1234"}};
  for (const auto& [display, said] : {std::pair<std::string, std::string>{":4321", "cannot open the display \":4321\""},
                                      {"", "cannot open the display: DISPLAY is not set"}}) {
    for (const auto& args : modes) {
      SCOPED_TRACE(display + " " + (args.empty() ? "" : args[0]));
      const Ended run = RunToEnd(args, {{"DISPLAY", display}, {"QT_QPA_PLATFORM", ""}});
      ASSERT_TRUE(WIFEXITED(run.Wait));
      EXPECT_NE(WEXITSTATUS(run.Wait), 0);
      EXPECT_EQ(run.Errors, Line(said));
    }
  }
  EXPECT_FALSE(fs::exists(Folder / "quillmont"));  // no mode ran
}

// Qt's windows stay black on colour-mapped pixels: every mode says what the desktop lacks, in
// one line, before Qt makes a window, and fails. The preview would have its window.
TEST_P(LaunchTest, OnAnEightBitDesktopEveryModeSaysSoAndFails) {
  const VirtualDisplay display("1024x768x8");
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const Connection x = Connect(display);
  ASSERT_NE(x, nullptr);
  const std::vector<std::vector<std::string>> modes = {{}, {"/s"}, {"/c"}, {"/p", std::to_string(DefaultRootWindow(x.get()))}};
  for (const auto& args : modes) {
    SCOPED_TRACE(args.empty() ? "" : args[0]);
    const Ended run = RunToEnd(args, {{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", ""}});
    ASSERT_TRUE(WIFEXITED(run.Wait)) << run.Errors;
    EXPECT_EQ(WEXITSTATUS(run.Wait), 1);
    EXPECT_EQ(run.Errors, Line("the desktop has 8 bits per pixel; it must have 16, 24 or 32"));
  }
  EXPECT_FALSE(fs::exists(Folder / "quillmont"));
}

// Qt aborts when none of the platforms it is asked for is there; the program names them first.
TEST_P(LaunchTest, AQtPlatformThatIsNotInstalledIsNamedAndTheProgramFails) {
  for (const auto& [platform, said] :
       {std::pair<std::string, std::string>{"nosuch", "the Qt platform \"nosuch\" is not installed"},
        {"nosuch:fontengine=freetype", "the Qt platform \"nosuch\" is not installed"},
        {"nosuch;other", "none of the Qt platforms \"nosuch\", \"other\" is installed"}}) {
    SCOPED_TRACE(platform);
    const Ended run = RunToEnd({"/s"}, {{"QT_QPA_PLATFORM", platform}, {"DISPLAY", ""}});
    ASSERT_TRUE(WIFEXITED(run.Wait)) << "ended by signal " << WTERMSIG(run.Wait) << "\n" << run.Errors;
    EXPECT_EQ(WEXITSTATUS(run.Wait), 1);
    EXPECT_EQ(run.Errors, Line(said));
  }
  // As Qt does, a platform named further on serves (any case): the preview then finds no window.
  const Ended run = RunToEnd({"/p", "99999999"}, {{"QT_QPA_PLATFORM", "nosuch;OffScreen"}, {"DISPLAY", ""}});
  ASSERT_TRUE(WIFEXITED(run.Wait)) << run.Errors;
  EXPECT_EQ(run.Errors, Line("there is no window 99999999 to show the preview in"));
}

// The host names a window that is not there (none, or one that has gone): the program says so.
TEST_P(LaunchTest, APreviewIntoAWindowThatDoesNotExistSaysSoAndFails) {
  const VirtualDisplay display("640x480x24");
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const Connection x = Connect(display);
  ASSERT_NE(x, nullptr);
  const std::string gone = std::to_string(HostWindow(x.get(), 20, 20, 0).Id());
  for (const std::string& id : {std::string("0"), std::string("-1"), std::string("99999999"), gone}) {
    SCOPED_TRACE(id);
    const Ended run = RunToEnd({"/p", id}, {{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", ""}});
    ASSERT_TRUE(WIFEXITED(run.Wait)) << run.Errors;
    EXPECT_EQ(WEXITSTATUS(run.Wait), 1);
    EXPECT_EQ(run.Errors, Line("there is no window " + id + " to show the preview in"));
  }
}

// The host shows its preview window a moment after starting the program, which waits for it and
// draws its picture, unscaled, at the top left.
TEST_P(LaunchTest, APreviewWindowShownLaterGetsThePicture) {
  const VirtualDisplay display("640x480x24");
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const Connection x = Connect(display);
  ASSERT_NE(x, nullptr);
  constexpr unsigned long kHostColor = 0x010203;
  const HostWindow host(x.get(), 200, 150, kHostColor);
  const fs::path errors = Folder / "errors.txt";
  const pid_t child = Launch(GetParam().Path, {"/p", std::to_string(host.Id())},
                             {{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", Folder}}, &errors);
  EXPECT_FALSE(WaitUntil(child, Clock::now() + 500ms)) << "ended before its window was shown\n" << TextOf(errors);
  XMapWindow(x.get(), host.Id());
  XSync(x.get(), False);
  const std::optional<int> status = WaitUntil(child, Clock::now() + 60s);
  if (!status) Stop(child);
  ASSERT_TRUE(status && WIFEXITED(*status)) << TextOf(errors);
  EXPECT_EQ(WEXITSTATUS(*status), 0) << TextOf(errors);
  XImage* image = XGetImage(x.get(), host.Id(), 0, 0, 200, 150, AllPlanes, ZPixmap);
  ASSERT_NE(image, nullptr);
  int drawn = 0;
  for (int py = 0; py < 116; ++py)
    for (int px = 0; px < 154; ++px) drawn += (XGetPixel(image, px, py) & 0xFFFFFF) != kHostColor;
  EXPECT_GT(drawn, 154 * 116 / 2);
  for (const auto& [px, py] : {std::pair{154, 0}, std::pair{0, 116}, std::pair{199, 149}})
    EXPECT_EQ(XGetPixel(image, px, py) & 0xFFFFFF, kHostColor) << px << "," << py;
  XDestroyImage(image);
}

// How many values a settings file holds (each on a line of its own that starts with its quoted
// name), and whether a writer's temporary copy is beside it.
struct SettingsLeft {
  int Values = 0;
  bool Copy = false;
};
SettingsLeft LeftIn(const fs::path& Folder) {
  SettingsLeft left;
  if (!fs::exists(Folder)) return left;
  for (const auto& entry : fs::directory_iterator(Folder))
    left.Copy = left.Copy || entry.path().filename().string().starts_with("registry.txt.new-");
  std::ifstream in(Folder / "registry.txt");
  for (std::string line; std::getline(in, line);) left.Values += line.starts_with('"');
  return left;
}

// A host ends a saver by SIGTERM as soon as the user moves the mouse, so a first run is often
// killed while it stores its settings: it leaves no settings file or one with every value, and
// no temporary copy. The kills fall around the moment a first run here stores its settings.
TEST_P(LaunchTest, AFirstRunKilledAtAnyMomentLeavesAllItsValuesOrNone) {
  const VirtualDisplay display("1024x768x24");
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  // A client throughout, so the server does not reset between the runs.
  const Connection holder = Connect(display);
  constexpr int kKills = 12;
  Clock::duration stored{};  // from the start to the settings file, in the first run
  for (int launch = 0; launch <= kKills; ++launch) {
    SCOPED_TRACE(launch);
    const fs::path config = Folder / std::to_string(launch);
    const fs::path errors = Folder / ("errors-" + std::to_string(launch) + ".txt");
    fs::create_directories(config);
    const auto start = Clock::now();
    const pid_t child = LaunchFullScreen(display.Name(), config, errors);
    const fs::path settings = config / "quillmont" / "registry.txt";
    if (launch == 0) {  // the first run, killed once it has stored its settings
      while (!fs::exists(settings) && Clock::now() < start + 60s && !WaitUntil(child, Clock::now()))
        std::this_thread::sleep_for(1ms);
      stored = Clock::now() - start;
    } else {  // from half that time to a third more, evenly
      std::this_thread::sleep_until(start + stored / 2 + stored * 5 * (launch - 1) / (6 * (kKills - 1)));
    }
    ::kill(child, SIGTERM);
    const std::optional<int> status = WaitUntil(child, Clock::now() + 60s);
    if (!status) Stop(child);
    ASSERT_TRUE(status && WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << TextOf(errors);
    const SettingsLeft left = LeftIn(config / "quillmont");
    EXPECT_TRUE(left.Values == 0 || left.Values == GetParam().Values) << left.Values << " values";
    EXPECT_TRUE(left.Values != 0 || !fs::exists(settings)) << "a file without values";
    EXPECT_FALSE(left.Copy);
  }
}

INSTANTIATE_TEST_SUITE_P(Programs, LaunchTest,
                         ::testing::Values(Program{RILLMOOR_PROGRAM, 20, 26}, Program{SORRELIN_PROGRAM, 3, 14}),
                         [](const auto& info) { return fs::path(info.param.Path).stem().string(); });

}  // namespace
