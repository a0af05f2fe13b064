// Sorrelin.scr as the screensaver host starts it: a first and a second run on a common desktop,
// each ended by the mouse as a user ends it; and without a display.
#include <gtest/gtest.h>

#include "tests/savers/common/EndByMouse.h"

namespace {

using namespace launcher;

class LaunchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/sorrelin-launch-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    Folder = folder;
  }
  void TearDown() override { fs::remove_all(Folder); }
  fs::path Folder;
};

TEST_F(LaunchTest, FirstAndSecondRunStartAndEndWithStatusZero) {
  const VirtualDisplay display("1920x1080x24");
  ASSERT_FALSE(display.Name().empty()) << "Xvfb did not start";
  const fs::path settings = Folder / "quillmont" / "registry.txt";
  for (int run = 1; run <= 2; ++run) {
    SCOPED_TRACE(run);
    const fs::path errors = Folder / "errors.txt";
    const auto before = fs::exists(settings) ? fs::last_write_time(settings) : fs::file_time_type{};
    const pid_t child = Launch(SORRELIN_PROGRAM, {"/s"},
                               {{"DISPLAY", display.Name()}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", Folder},
                                {"LSAN_OPTIONS", "suppressions=" THIRD_PARTY_LEAKS},
                                {"TSAN_OPTIONS", "suppressions=" THIRD_PARTY_RACES}},
                               &errors);
    // The first run writes its settings once its window system is up; a second run is given
    // the same moment to hold the server before this test connects.
    std::optional<int> status;
    const auto until = Clock::now() + 120s;
    while (!status && run == 1 && !fs::exists(settings) && Clock::now() < until)
      status = WaitUntil(child, Clock::now() + 20ms);
    if (!status && run == 2) status = WaitUntil(child, Clock::now() + 3s);
    if (!status) status = EndByMouse(display.Name(), child);
    if (!status) {
      Stop(child);
      FAIL() << "the run did not end";
    }
    ASSERT_TRUE(WIFEXITED(*status)) << "ended by signal " << WTERMSIG(*status) << "\n" << TextOf(errors);
    ASSERT_EQ(WEXITSTATUS(*status), 0) << TextOf(errors);
    EXPECT_TRUE(fs::exists(settings));
    if (run == 2) EXPECT_EQ(fs::last_write_time(settings), before);  // a second run only reads
  }
}

TEST_F(LaunchTest, WithoutADisplayEveryModeSaysSoAndFails) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"/s"}, {"/c"}, {"/p", "1234"}}) {
    SCOPED_TRACE(args[0]);
    const fs::path errors = Folder / "errors.txt";
    const pid_t child =
        Launch(SORRELIN_PROGRAM, args, {{"DISPLAY", ":4321"}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", Folder}}, &errors);
    const std::optional<int> status = WaitUntil(child, Clock::now() + 60s);
    if (!status) {
      Stop(child);
      FAIL() << "still running without a display";
    }
    ASSERT_TRUE(WIFEXITED(*status));
    EXPECT_NE(WEXITSTATUS(*status), 0);
    EXPECT_EQ(TextOf(errors), "Sorrelin.scr: cannot open the display \":4321\"\n");
  }
}

}  // namespace
