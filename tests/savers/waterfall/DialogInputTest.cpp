// The setup dialog as a user meets it: Rillmoor.scr /c on a virtual desktop of the test's own,
// driven with real pointer and key events on every tab; "OK" stores what was chosen and the
// scene then shows the chosen city's sun times; the about links are underlined; the city box
// cuts, copies and pastes with the keyboard; "Cancel" after changes leaves the settings file
// as it was, byte for byte; an "OK" that cannot store shows its box, painted and centred.
#include <gtest/gtest.h>

#include <grp.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <functional>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/win32/Kernel32.h"
#include "savers/waterfall/CityTable.h"
#include "savers/waterfall/SunTime.h"
#include "savers/waterfall/Unit1.h"
#include "savers/waterfall/WaterfallSettings.h"
#include "tests/savers/waterfall/DesktopUser.h"
#include "tests/savers/common/Launcher.h"
#include "tests/savers/waterfall/StoredSettings.h"

namespace {

using namespace launcher;

constexpr const char* DialogCaption = "Lumivelle Waterfall  Setup";

// The tabs' captions lie along y 138.
void ShowTab(DesktopUser& User, int X) { User.Click(X, 138); }

// Whether a row of a rectangle of `Width` columns holds `Colour` unbroken from the first column
// of that colour in the rectangle to the last: a line under or through a text.
bool LinedAcross(const std::vector<std::uint32_t>& Pixels, int Width, std::uint32_t Colour) {
  const auto width = static_cast<std::size_t>(Width);
  std::size_t first = width, last = 0;
  for (std::size_t i = 0; i < Pixels.size(); ++i)
    if (Pixels[i] == Colour) {
      first = std::min(first, i % width);
      last = std::max(last, i % width);
    }
  for (std::size_t row = 0; first <= last && row < Pixels.size() / width; ++row) {
    std::size_t column = first;
    while (column <= last && Pixels[row * width + column] == Colour) ++column;
    if (column > last) return true;
  }
  return false;
}

class DialogInputTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char folder[] = "/tmp/rillmoor-dialog-XXXXXX";
    ASSERT_NE(::mkdtemp(folder), nullptr);
    Folder = folder;
    ::setenv("XDG_CONFIG_HOME", folder, 1);
    ASSERT_FALSE(Desktop.Name().empty()) << "Xvfb did not start";
  }
  void TearDown() override { fs::remove_all(Folder); }

  // Runs the dialog, lets `Use` work on it, and returns the program's exit status, which is
  // expected to be `Expected`; `InChild` runs in the program's process before it starts.
  template <class TUse>
  int RunDialog(TUse Use, int Expected = 0, const std::function<void()>& InChild = {},
                const char* FirstWindow = DialogCaption) {
    const fs::path errors = Folder / "errors.txt";
    DesktopUser user(Desktop.Name());
    const pid_t child = Launch(RILLMOOR_PROGRAM, {"/c"},
                               {{"DISPLAY", Desktop.Name()}, {"QT_QPA_PLATFORM", ""}, {"XDG_CONFIG_HOME", Folder},
                                {"LSAN_OPTIONS", "suppressions=" THIRD_PARTY_LEAKS},
                                {"TSAN_OPTIONS", "suppressions=" THIRD_PARTY_RACES}},
                               &errors, InChild);
    if (!user.WaitForWindow(FirstWindow)) {
      Stop(child);
      ADD_FAILURE() << "the dialog did not show\n" << TextOf(errors);
      return -1;
    }
    Use(user);
    const std::optional<int> status = WaitUntil(child, Clock::now() + 60s);
    if (!status) {
      Stop(child);
      ADD_FAILURE() << "the dialog did not close";
      return -1;
    }
    const int exit = WIFEXITED(*status) ? WEXITSTATUS(*status) : -1;
    EXPECT_EQ(exit, Expected) << TextOf(errors);
    return exit;
  }

  fs::path SettingsFile() const { return Folder / "quillmont" / "registry.txt"; }

  const VirtualDisplay Desktop{"1024x768x24"};
  // A client throughout: without one between two runs the server resets, and the next run's
  // connection may come while it does.
  const DesktopUser Holder{Desktop.Name()};
  fs::path Folder;
};

TEST_F(DialogInputTest, OKStoresWhatWasChosenOnEveryTabAndTheSceneShowsTheCitysSunTimes) {
  const int status = RunDialog([](DesktopUser& user) {
    // Settings: the sheets start at (12, 152).
    user.Click(42, 184);  // "Play Sound" off
    user.Click(42, 320);  // "Fast"
    user.Click(274, 204);  // "Keybord only (ESC key)"
    user.Click(372, 250);  // the eagles' count, then one up
    user.Key("Up");
    user.Click(270, 312);  // "Show Butterfly" off
    // Display.
    ShowTab(user, 100);
    user.Click(42, 184);  // "800x600", which puts the clock at (710, 90), radius 70
    user.Click(42, 288);  // "16-bit color"
    user.Click(420, 185);  // the gamma bar's thumb, then two steps darker
    user.Key("Left");
    user.Key("Left");
    // Time of Day.
    ShowTab(user, 175);
    user.Click(38, 228);  // "Real time of day"
    user.Click(226, 228);  // "Daylight Saving Time"
    user.Retype(260, 202, "BERGEN NO");
    // Clock.
    ShowTab(user, 240);
    user.Retype(175, 250, "300");  // Y
    user.Key("Tab");
    user.Retype(330, 250, "1000");  // the radius: at most 260 at 600 rows, the centre then moved in
    user.Key("Tab");
    user.Click(82, 192);  // "Show clock" off
    user.Click(333, 364);  // "OK"
  });
  ASSERT_EQ(status, 0);

  TWaterfallSettings expected = FirstRunSettings({1024, 768, 24});
  expected.flag_clock = false;
  expected.flag_PlaySound = false;
  expected.TermMouse = false;
  expected.Gamma = 254;
  expected.flag_defres = false;
  expected.ResHor = 800;
  expected.ResVert = 600;
  expected.ColorDepth = 16;
  expected.clockX = 520;
  expected.clockY = 300;
  expected.clockRad = 260;
  expected.SetSpeed = 2;
  expected.NumEagles = 3;
  expected.FlagShowButterfly = false;
  expected.FlagDaytime = true;
  expected.FlagDemoDaytime = false;
  expected.FlagDaylightSavingTime = true;
  expected.RegLat = CityTable[347].Lat;
  expected.RegLng = CityTable[347].Lng;
  expected.RegOfUTC = CityTable[347].OfUTC;
  expected.IndexCity = 347;
  waterfall_test::ExpectSameSettings(waterfall_test::StoredSettings(), expected);

  // The scene's lines, headless here, on the settings stored.
  TForm1* scene = nullptr;
  Application->CreateForm(scene);
  scene->DDtimer1->SetEnabled(false);
  SYSTEMTIME today;
  GetLocalTime(&today);
  const auto at = [&](bool rising) {
    return CalcSunTime(rising, CityTable[347].Lat, CityTable[347].Lng, 1, today.wYear, today.wMonth, today.wDay).Hour +
           1.0f;
  };
  EXPECT_EQ(scene->DDmain1->GetTestString2(), "Sunrise at: " + FormatHour(at(true)));
  EXPECT_EQ(scene->DDmain1->GetTestString3(), "Sunset at: " + FormatHour(at(false)));
  ResetApplicationForTest();
}

TEST_F(DialogInputTest, TheAboutLinksAreUnderlinedInTheirColour) {
  constexpr std::uint32_t Navy = 0x000080, Black = 0x000000;
  std::vector<std::uint32_t> page, mail, caption;
  const int status = RunDialog([&](DesktopUser& user) {
    // A slow build may show the window before its first paint has reached it.
    for (int tries = 0; tries < 100 && std::find(mail.begin(), mail.end(), Navy) == mail.end(); ++tries) {
      std::this_thread::sleep_for(100ms);
      mail = user.Pixels(352, 56, 98, 13);
    }
    page = user.Pixels(176, 56, 112, 13);
    caption = user.Pixels(312, 56, 30, 13);  // "e-mail:", no link
    user.Click(413, 364);  // "Cancel"
  });
  ASSERT_EQ(status, 0);
  EXPECT_TRUE(LinedAcross(page, 112, Navy));
  EXPECT_TRUE(LinedAcross(mail, 98, Navy));
  ASSERT_NE(std::find(caption.begin(), caption.end(), Black), caption.end());
  EXPECT_FALSE(LinedAcross(caption, 30, Black));
}

// Each key changes what the later ones work on, so the city stored is London only when every
// one of them did its part.
TEST_F(DialogInputTest, TheCityBoxCutsCopiesAndPastesWithTheKeyboard) {
  constexpr bool Shift = true, Ctrl = true;
  const int status = RunDialog([&](DesktopUser& user) {
    ShowTab(user, 175);
    user.Retype(260, 202, " GBLONDON");
    user.Key("Home");
    for (int i = 0; i < 3; ++i) user.Key("Right", Shift);
    user.Key("x", !Shift, Ctrl);  // " GB" to the clipboard
    user.Key("End");
    user.Key("Insert", Shift);  // "LONDON GB"
    user.Key("a", !Shift, Ctrl);
    user.Key("c", !Shift, Ctrl);  // "LONDON GB" to the clipboard
    user.Key("Down");  // the next city, its name selected
    user.Key("a", !Shift, Ctrl);
    user.Key("v", !Shift, Ctrl);  // "LONDON GB" again
    user.Click(333, 364);  // "OK"
  });
  ASSERT_EQ(status, 0);
  const auto london = std::find_if(CityTable.begin(), CityTable.end(),
                                   [](const TCity& City) { return std::string_view(City.Name) == "LONDON GB"; });
  const TWaterfallSettings stored = waterfall_test::StoredSettings();
  EXPECT_EQ(stored.IndexCity, london - CityTable.begin());
  EXPECT_EQ(stored.RegLat, london->Lat);
  EXPECT_EQ(stored.RegLng, london->Lng);
}

TEST_F(DialogInputTest, CancelAfterChangesOnEveryTabLeavesTheFileAsItWas) {
  ASSERT_EQ(RunDialog([](DesktopUser& user) { user.Click(333, 364); }), 0);  // a first run, then "OK"
  const std::string before = TextOf(SettingsFile());
  ASSERT_FALSE(before.empty());
  const int status = RunDialog([](DesktopUser& user) {
    user.Click(42, 184);  // "Play Sound"
    user.Click(42, 288);  // "Slow"
    ShowTab(user, 100);
    user.Click(42, 200);  // "1024x768"
    ShowTab(user, 175);
    user.Click(38, 188);  // "Off"
    user.Retype(260, 202, "LONDON GB");
    ShowTab(user, 240);
    user.Retype(88, 250, "500");  // X
    user.Key("Tab");
    user.Click(413, 364);  // "Cancel"
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(TextOf(SettingsFile()), before);
}

// A message box as the user sees it: drawn (its face light, its text dark; a box never painted
// shows black), and in the middle of the screen, not in a corner.
void ExpectABoxSeen(DesktopUser& User, const char* Title) {
  ASSERT_TRUE(User.WaitForWindow(Title)) << Title;
  const std::vector<std::uint32_t> pixels = User.Pixels();
  ASSERT_FALSE(pixels.empty());
  const auto light = std::ranges::count_if(pixels, [](std::uint32_t p) {
    return (p >> 16 & 0xFF) >= 0x80 && (p >> 8 & 0xFF) >= 0x80 && (p & 0xFF) >= 0x80;
  });
  const auto dark = std::ranges::count_if(pixels, [](std::uint32_t p) {
    return (p >> 16 & 0xFF) < 0x40 && (p >> 8 & 0xFF) < 0x40 && (p & 0xFF) < 0x40;
  });
  EXPECT_GT(light, std::ssize(pixels) / 2) << Title;
  EXPECT_GT(dark, 0) << Title;
  EXPECT_LT(dark, std::ssize(pixels) / 2) << Title;
  const DesktopUser::Area box = User.Place();
  const int x = box.left + box.width / 2, y = box.top + box.height / 2;
  EXPECT_TRUE(x > 1024 / 3 && x < 1024 * 2 / 3 && y > 768 / 3 && y < 768 * 2 / 3) << Title << " centred at " << x << "," << y;
}

// Makes the program a user whom the folder's modes hold: root passes them by.
void AsUserHeldByModes() {
  constexpr uid_t kNobody = 65534;
  if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) ::_exit(100);
}

// A disk with no room: no file can grow beyond a few bytes.
void OnAFullDisk() {
  ::signal(SIGXFSZ, SIG_IGN);
  const rlimit cap{64, 64};
  ::setrlimit(RLIMIT_FSIZE, &cap);
}

// "OK" into a folder that takes no file, and onto a full disk with a damaged file: the box says
// that the settings could not be stored, painted and centred, the dialog stays open until
// "Cancel", the run ends with an error status, and the folder is as it was: no new file, the
// damaged one where it was and nothing set aside.
TEST_F(DialogInputTest, OKThatCannotStoreShowsItsBoxAndTheRunEndsWithAnError) {
  const auto press = [](DesktopUser& user) {
    user.Click(42, 184);  // "Play Sound" off
    user.Click(333, 364);  // "OK"
    ExpectABoxSeen(user, "Lumivelle Waterfall Screensaver ");
    user.Key("Return");
    ASSERT_TRUE(user.WaitForWindow(DialogCaption));  // still open
    user.Click(413, 364);  // "Cancel"
  };
  const fs::path settings = Folder / "quillmont";
  fs::permissions(Folder, fs::perms::all);  // the other user passes through
  fs::create_directories(settings);
  fs::permissions(settings, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read | fs::perms::others_exec);
  RunDialog(press, 1, AsUserHeldByModes);
  fs::permissions(settings, fs::perms::all);
  EXPECT_TRUE(fs::is_empty(settings));

  const std::string damaged = "QUILLMONT REGISTRY 1\n\n[SOFTWARE]\nthis is no value\n";
  std::ofstream(settings / "registry.txt", std::ios::binary) << damaged;
  RunDialog(
      [&](DesktopUser& user) {
        ExpectABoxSeen(user, "Screen saver");  // the damaged file named at open
        user.Key("Return");
        ASSERT_TRUE(user.WaitForWindow(DialogCaption));
        press(user);
      },
      1, OnAFullDisk, "Screen saver");
  EXPECT_EQ(TextOf(SettingsFile()), damaged);
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(settings)) names.push_back(entry.path().filename().string());
  std::ranges::sort(names);
  EXPECT_EQ(names, (std::vector<std::string>{"registry.lock", "registry.txt"}));
}

}  // namespace
