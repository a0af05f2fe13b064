// The utilities that draw nothing: rectangles, memory blocks, errors, texts, the command line
// and the version string.
#include "imaging/QmUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "platform/user/UserPeer.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/GlobalMemory.h"
#include "platform/win32/Kernel32.h"

namespace {

TEST(QmUtilsRect, WidthHeightAndInclusiveEdges) {
  const TRect r(10, 20, 30, 60);
  EXPECT_EQ(WidthOf(r), 20);
  EXPECT_EQ(HeightOf(r), 40);
  struct Case {
    TPoint p;
    bool inside;
  };
  for (const Case& c : {Case{{10, 20}, true}, Case{{30, 60}, true}, Case{{30, 40}, true}, Case{{20, 60}, true},
                        Case{{31, 40}, false}, Case{{20, 61}, false}, Case{{9, 20}, false}})
    EXPECT_EQ(PointInRect(c.p, r), c.inside) << c.p.x << "," << c.p.y;
}

TEST(QmUtilsRect, PointInPolyRgnFillsByTheWindingRule) {
  // A five-pointed star drawn in one stroke: its centre is inside only by the winding rule.
  const TPoint star[] = {{50, 0}, {79, 90}, {2, 35}, {98, 35}, {21, 90}};
  EXPECT_TRUE(PointInPolyRgn(TPoint(50, 50), star));
  EXPECT_TRUE(PointInPolyRgn(TPoint(50, 10), star));
  EXPECT_FALSE(PointInPolyRgn(TPoint(5, 80), star));
  const TPoint square[] = {{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_TRUE(PointInPolyRgn(TPoint(0, 0), square));
  EXPECT_FALSE(PointInPolyRgn(TPoint(10, 5), square));  // the right edge is outside, as filled
  EXPECT_FALSE(PointInPolyRgn(TPoint(1, 1), std::span<const TPoint>(square, 2)));
}

TEST(QmUtilsRect, DialogUnitsAndTheWorkArea) {
  const LONG base = GetDialogBaseUnits();
  const auto bx = static_cast<WORD>(base & 0xFFFF), by = static_cast<WORD>(static_cast<DWORD>(base) >> 16);
  ASSERT_GT(bx, 0);
  ASSERT_GT(by, 0);
  EXPECT_EQ(DialogUnitsToPixelsX(4), bx);
  EXPECT_EQ(DialogUnitsToPixelsY(8), by);
  EXPECT_EQ(DialogUnitsToPixelsX(3), 3 * bx / 4);  // rounded down
  EXPECT_EQ(PixelsToDialogUnitsX(bx), 4);
  EXPECT_EQ(PixelsToDialogUnitsY(static_cast<WORD>(by - 1)), 8 * (by - 1) / by);
  EXPECT_EQ(ScreenWorkArea(), Rect(0, 0, Screen->GetWidth(), Screen->GetHeight()));
}

TEST(QmUtilsRect, PaletteEntriesCountsTheEntries) {
  std::vector<std::byte> storage(sizeof(LOGPALETTE) + 3 * sizeof(PALETTEENTRY));
  auto* pal = reinterpret_cast<LOGPALETTE*>(storage.data());
  pal->palVersion = 0x300;
  pal->palNumEntries = 3;
  HPALETTE palette = CreatePalette(pal);
  EXPECT_EQ(PaletteEntries(palette), 3);
  DeleteObject(palette);
  EXPECT_EQ(PaletteEntries(nullptr), 0);
}

class QmUtilsMemory : public ::testing::Test {
 protected:
  void TearDown() override { win32::SetGlobalMemoryLimit(0); }
};

TEST_F(QmUtilsMemory, BlocksAreZeroFilledAndSizedAndFreedToNone) {
  EXPECT_EQ(AllocMemo(0), nullptr);
  EXPECT_EQ(AllocMemo(-4), nullptr);
  void* block = AllocMemo(16);
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(GetMemoSize(block), 16);
  EXPECT_TRUE(std::all_of(static_cast<std::byte*>(block), static_cast<std::byte*>(block) + 16,
                          [](std::byte b) { return b == std::byte{0}; }));
  int notABlock = 0;
  EXPECT_EQ(GetMemoSize(&notABlock), 0);
  EXPECT_EQ(GetMemoSize(HugeOffset(block, 4)), 0);
  FreeMemo(block);
  EXPECT_EQ(block, nullptr);
  FreeMemo(block);  // none stays none
  EXPECT_EQ(block, nullptr);
}

TEST_F(QmUtilsMemory, ExhaustedMemoryGivesNoneWithoutAnException) {
  win32::SetGlobalMemoryLimit(1000);
  void* kept = AllocMemo(600);
  ASSERT_NE(kept, nullptr);
  EXPECT_EQ(AllocMemo(600), nullptr);
  std::memset(kept, 0x5A, 600);
  // Growth beyond the limit fails and leaves the block as it was, still usable.
  EXPECT_EQ(ReallocMemo(kept, 2000), nullptr);
  EXPECT_EQ(GetMemoSize(kept), 600);
  EXPECT_EQ(static_cast<unsigned char*>(kept)[599], 0x5A);
  void* grown = ReallocMemo(kept, 900);
  ASSERT_NE(grown, nullptr);
  EXPECT_EQ(GetMemoSize(grown), 900);
  EXPECT_EQ(static_cast<unsigned char*>(grown)[599], 0x5A);
  EXPECT_EQ(static_cast<unsigned char*>(grown)[600], 0);  // growth is zero-filled
  FreeMemo(grown);
  void* again = AllocMemo(1000);
  EXPECT_NE(again, nullptr);
  FreeMemo(again);
}

TEST_F(QmUtilsMemory, CompareMemWordsThenBytes) {
  const unsigned char a[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  struct Case {
    int differAt;
    DWORD count;
    bool equal;
  };
  for (const Case& c : {Case{0, 0, true}, Case{4, 5, false}, Case{5, 5, true}, Case{3, 5, false}, Case{7, 8, false},
                        Case{7, 7, true}}) {
    unsigned char b[8];
    std::memcpy(b, a, sizeof b);
    b[c.differAt] ^= 0x80;
    EXPECT_EQ(CompareMem(a, b, c.count), c.equal) << "differ at " << c.differAt << ", count " << c.count;
  }
}

TEST_F(QmUtilsMemory, PointerArithmeticAndOverlappingMoves) {
  unsigned char bytes[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  void* p = bytes;
  HugeInc(p, 5);
  EXPECT_EQ(p, bytes + 5);
  HugeDec(p, 2);
  EXPECT_EQ(p, bytes + 3);
  HMemCpy(bytes + 1, bytes, 6);
  EXPECT_EQ(std::vector<int>(bytes, bytes + 8), (std::vector<int>{0, 0, 1, 2, 3, 4, 5, 7}));
  std::uint32_t items[5] = {10, 11, 12, 13, 14};
  HugeMove(items, 0, 1, 4);
  EXPECT_EQ(std::vector<std::uint32_t>(items, items + 5), (std::vector<std::uint32_t>{11, 12, 13, 14, 14}));
}

TEST(GlobalMemory, FixedHandlesAreTheirAddressMovableOnesAreNot) {
  HGLOBAL fixed = GlobalAlloc(GPTR, 8);
  EXPECT_EQ(GlobalLock(fixed), fixed);
  EXPECT_EQ(GlobalHandle(fixed), fixed);
  HGLOBAL movable = GlobalAlloc(GHND, 8);
  void* address = GlobalLock(movable);
  EXPECT_NE(address, movable);
  EXPECT_EQ(GlobalHandle(address), movable);
  EXPECT_EQ(GlobalUnlock(movable), FALSE);
  EXPECT_EQ(GlobalFree(movable), nullptr);
  EXPECT_EQ(GlobalFree(movable), movable);  // a stale handle names nothing
  EXPECT_EQ(GlobalSize(movable), 0u);
  EXPECT_EQ(GlobalAlloc(GHND, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  GlobalFree(fixed);
}

TEST(QmUtilsErrors, ResourceNotFoundNamesTheResource) {
  try {
    ResourceNotFound("QM_MISSING");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource QM_MISSING not found");
  }
  try {
    ResourceNotFound(MAKEINTRESOURCEA(14000));
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message, "Resource 14000 not found");
  }
}

TEST(QmUtilsErrors, Win32ErrorsCarryCodeAndText) {
  EXPECT_NO_THROW(RaiseWin32Error(0));
  try {
    RaiseWin32Error(ERROR_ACCESS_DENIED);
    FAIL();
  } catch (const EWin32Error& e) {
    EXPECT_EQ(e.ErrorCode, 5u);
    EXPECT_EQ(e.Message, "Win32 Error.  Code: 5.\nAccess is denied.");
  }
  EXPECT_TRUE(CheckWin32(true));
  SetLastError(ERROR_SUCCESS);
  try {
    CheckWin32(false);
    FAIL();
  } catch (const EWin32Error& e) {
    EXPECT_EQ(e.Message, "A Win32 API function failed");
  }
  SetLastError(ERROR_FILE_NOT_FOUND);
  try {
    CheckWin32(false);
    FAIL();
  } catch (const EWin32Error& e) {
    EXPECT_EQ(e.ErrorCode, 2u);
  }
}

TEST(QmUtilsErrors, NotImplementedTellsTheUserAndAbortsSilently) {
  vcl::ScopedMessageDialogSink dialogs;
  user::ScopedMessageBoxSink boxes;
  Screen->SetCursor(crHourGlass);
  try {
    NotImplemented();
    FAIL();
  } catch (EAbort& e) {
    Application->ShowException(&e);  // the application object shows nothing for it
  }
  EXPECT_EQ(Screen->GetCursor(), crDefault);
  ASSERT_EQ(dialogs.Calls.size(), 1u);
  EXPECT_EQ(dialogs.Calls[0].text, "Функция не реализована");
  EXPECT_EQ(dialogs.Calls[0].caption, "Information");
  EXPECT_EQ(dialogs.Calls[0].icon, MB_ICONINFORMATION);
  ASSERT_EQ(dialogs.Calls[0].buttons.size(), 1u);
  EXPECT_EQ(dialogs.Calls[0].buttons[0].result, mrOk);
  EXPECT_TRUE(boxes.Calls().empty());
}

TEST(QmUtilsTexts, EnvironmentValuesAreReturnedWhole) {
  unsetenv("QM_TEST_ABSENT");
  EXPECT_EQ(GetEnvVar("QM_TEST_ABSENT"), "");
  for (std::size_t length : {1u, 2047u, 2048u, 5000u}) {
    const std::string value(length, 'v');
    setenv("QM_TEST_VALUE", value.c_str(), 1);
    EXPECT_EQ(GetEnvVar("QM_TEST_VALUE"), value) << length;
  }
  unsetenv("QM_TEST_VALUE");
}

TEST(QmUtilsTexts, SplitCommandLine) {
  struct Case {
    const char* line;
    const char* program;
    const char* params;
  };
  const std::string longToken(300, 'x');
  const std::string longLine = "prog " + longToken;
  for (const Case& c : {
           Case{"", "", ""},
           Case{"   \t ", "", ""},
           Case{"saver.scr /c", "saver.scr", "/c"},
           Case{"saver.scr \"C:\\My Pictures\\a.gif\" /s", "saver.scr", "\"C:\\My Pictures\\a.gif\" /s"},
           Case{"saver.scr \"\" /p 1234", "saver.scr", "/p 1234"},
           Case{"  \"C:\\Program Files\\saver.scr\"  one\ttwo", "C:\\Program Files\\saver.scr", "one two"},
           Case{"a b\"c d\"e", "a", "\"bc de\""},
           Case{"a \"unclosed b", "a", "\"unclosed b\""},
           Case{longLine.c_str(), "prog", longToken.c_str()},
       }) {
    AnsiString program = "old", params = "old";
    SplitCommandLine(c.line, program, params);
    EXPECT_EQ(program, c.program) << c.line;
    EXPECT_EQ(params, c.params) << c.line;
  }
  // The line may be one of the results.
  AnsiString line = "p.exe x y", params;
  SplitCommandLine(line, line, params);
  EXPECT_EQ(line, "p.exe");
  EXPECT_EQ(params, "x y");
}

TEST(QmUtilsTexts, DropTAndCase) {
  struct Case {
    const char* in;
    const char* out;
  };
  for (const Case& c : {Case{"TBitmap", "Bitmap"}, Case{"tIcon", "Icon"}, Case{"T", "T"}, Case{"", ""},
                        Case{"Bitmap", "Bitmap"}})
    EXPECT_EQ(DropT(c.in), c.out) << c.in;
  EXPECT_EQ(AnsiUpperFirstChar("hELLO wORLD"), "Hello world");
  EXPECT_EQ(AnsiUpperFirstChar("\xE9" "COLE"), "\xC9" "cole");
  EXPECT_EQ(AnsiUpperFirstChar(""), "");
  char* copy = StrPAlloc("abc");
  EXPECT_STREQ(copy, "abc");
  EXPECT_EQ(StrBufSize(copy), 4u);
  StrDispose(copy);
  AnsiString s = "text";
  EXPECT_EQ(StringToPChar(s), s.c_str());
}

TEST(QmUtilsTexts, WindowsVersion) {
  struct Case {
    DWORD platform, major, minor, build;
    const char* servicePack;
    const char* expected;
  };
  for (const Case& c : {
           Case{VER_PLATFORM_WIN32_NT, 5, 0, 2195, "", "Windows NT 5.00.2195"},
           Case{VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6", "Windows NT 4.00.1381 Service Pack 6"},
           Case{VER_PLATFORM_WIN32_WINDOWS, 4, 10, 67, "", "Windows 98 4.10.067"},
           Case{VER_PLATFORM_WIN32_WINDOWS, 4, 0, 0x040003B6, " B", "Windows 95 4.00.950  B"},
           Case{VER_PLATFORM_WIN32s, 3, 11, 7, "", "Windows 32s 3.11.007"},
       }) {
    OSVERSIONINFOA info{};
    info.dwPlatformId = c.platform;
    info.dwMajorVersion = c.major;
    info.dwMinorVersion = c.minor;
    info.dwBuildNumber = c.build;
    std::strcpy(info.szCSDVersion, c.servicePack);
    win32::SetVersionInfo(info);
    EXPECT_EQ(GetWindowsVersion(), c.expected);
  }
  win32::ResetVersionInfo();
}

TEST(QmUtilsTexts, MakeVariant) {
  EXPECT_TRUE(MakeVariant({}).IsNull());
  EXPECT_EQ(MakeVariant({Variant(7)}).VarType(), varInteger);
  const Variant both = MakeVariant({Variant(7), Variant("seven")});
  ASSERT_TRUE(both.IsArray());
  ASSERT_EQ(both.Elements().size(), 2u);
  EXPECT_EQ(both.Elements()[1].AsString(), "seven");
}

}  // namespace
