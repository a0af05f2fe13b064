// The screen's cursors from resources: the two start-up cursors, numbers from 100 for each
// registration, animated cursors through a temporary file, and the nesting wait cursor.
#include <gtest/gtest.h>

#include <filesystem>

#include "imaging/QmUtils.h"
#include "imaging/Qmconst.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/Resources.h"
#include "tests/support/IconFiles.h"

namespace {

HINSTANCE Program() { return GetModuleHandleA(nullptr); }

TEST(StartUpCursors, TheHandAndTheDraggingHandAreRegisteredOnce) {
  QmconstInitialization();
  const HCURSOR hand = Screen->GetCursors(crHand), drag = Screen->GetCursors(crDragHand);
  ASSERT_NE(hand, Screen->GetCursors(crDefault));
  ASSERT_NE(drag, Screen->GetCursors(crDefault));
  const auto handImage = user::ImageOfCursor(hand), dragImage = user::ImageOfCursor(drag);
  EXPECT_EQ(handImage->width, 32);
  EXPECT_EQ(handImage->height, 32);
  EXPECT_EQ(handImage->hotSpot.x, 6);
  EXPECT_EQ(handImage->hotSpot.y, 16);
  EXPECT_EQ(dragImage->hotSpot.x, 15);
  EXPECT_EQ(dragImage->hotSpot.y, 16);
  EXPECT_EQ(handImage->pixels[16 * 32 + 6], 0xFF000000u);  // the fingertip's outline is under the hot spot
  QmconstInitialization();
  EXPECT_EQ(Screen->GetCursors(crHand), hand);
}

TEST(DefineCursor, EachRegistrationTakesTheNextFreeNumber) {
  EXPECT_EQ(DefineCursor(Program(), "QM_HANDCUR"), 100);
  EXPECT_EQ(DefineCursor(Program(), "QM_HANDCUR"), 101);
  EXPECT_NE(Screen->GetCursors(100), Screen->GetCursors(101));
  Screen->SetCursors(100, nullptr);
  EXPECT_EQ(DefineCursor(Program(), "QM_DRAGCUR"), 100);  // a freed number is taken again
  Screen->SetCursors(100, nullptr);
  Screen->SetCursors(101, nullptr);
  try {
    DefineCursor(Program(), "QM_NONE");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource QM_NONE not found");
  }
}

TEST(DefineCursor, NoFreeNumberIsOutOfResources) {
  HCURSOR shared = LoadCursorA(nullptr, IDC_CROSS);  // the system's: not destroyed when replaced
  for (int n = 100; n <= 32767; ++n) Screen->SetCursors(n, shared);
  try {
    DefineCursor(Program(), "QM_HANDCUR");
    FAIL();
  } catch (const EOutOfResources& e) {
    EXPECT_EQ(e.Message, "Out of system resources");
  }
  for (int n = 100; n <= 32767; ++n) Screen->SetCursors(n, nullptr);
}

TEST(DefineCursor, AnimatedCursorsGoThroughATemporaryFileThatIsDeleted) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) / "qm_ani";
  std::filesystem::create_directories(folder);
  setenv("TMPDIR", folder.c_str(), 1);
  static const auto ani = iconfiles::AnimatedCursorFile(
      {iconfiles::File(2, {{iconfiles::Square(32, 'W'), 1, {9, 3}}}), iconfiles::File(2, {{iconfiles::Square(32, 'K'), 1}})});
  win32::RegisterResource("QM_TEST_ANI", RT_ANICURSOR, ani.data(), ani.size());
  EXPECT_EQ(LoadAniCursor(Program(), "QM_NONE"), nullptr);
  const TCursor number = DefineCursor(Program(), "QM_TEST_ANI");
  const auto image = user::ImageOfCursor(Screen->GetCursors(number));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->hotSpot.x, 9);  // the first frame
  EXPECT_TRUE(std::filesystem::is_empty(folder));
  Screen->SetCursors(number, nullptr);
  unsetenv("TMPDIR");
}

TEST(WaitCursor, NestedCallsAndAStopWithoutAStart) {
  Screen->SetCursor(crIBeam);
  StopWait();
  EXPECT_EQ(Screen->GetCursor(), crIBeam);
  StartWait();
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  StartWait();
  StopWait();
  EXPECT_EQ(Screen->GetCursor(), crHourGlass);
  StopWait();
  EXPECT_EQ(Screen->GetCursor(), crIBeam);
  Screen->SetCursor(crDefault);
}

}  // namespace
