// The KERNEL32 stand-in: reported version and its override, the built-in module table, the
// local clock and its seam, and the tick counter.
#include "platform/win32/Kernel32.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <ctime>
#include <thread>

namespace {

OSVERSIONINFOA VersionRecord() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
  return info;
}

TEST(GetVersionExA, ReportsTheNtFamilyByDefault) {
  OSVERSIONINFOA info = VersionRecord();
  ASSERT_EQ(GetVersionExA(&info), TRUE);
  EXPECT_EQ(info.dwOSVersionInfoSize, 148u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
  EXPECT_EQ(info.szCSDVersion[0], '\0');
}

TEST(GetVersionExA, RefusesARecordOfAnotherSize) {
  for (DWORD size : {0u, 147u, 149u, 156u}) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = size;
    info.dwPlatformId = 77;
    EXPECT_EQ(GetVersionExA(&info), FALSE) << size;
    EXPECT_EQ(info.dwPlatformId, 77u) << size;
  }
  EXPECT_EQ(GetVersionExA(nullptr), FALSE);
}

TEST(GetVersionExA, ReportsWhatATestSetsUntilReset) {
  OSVERSIONINFOA set{};
  set.dwOSVersionInfoSize = 3;  // not used by the seam
  set.dwMajorVersion = 4;
  set.dwMinorVersion = 10;
  set.dwBuildNumber = 67;
  set.dwPlatformId = VER_PLATFORM_WIN32_WINDOWS;
  std::memset(set.szCSDVersion, 'A', sizeof set.szCSDVersion);  // unterminated on purpose
  win32::SetVersionInfo(set);

  OSVERSIONINFOA info = VersionRecord();
  ASSERT_EQ(GetVersionExA(&info), TRUE);
  EXPECT_EQ(info.dwOSVersionInfoSize, sizeof(OSVERSIONINFOA));
  EXPECT_EQ(info.dwMajorVersion, 4u);
  EXPECT_EQ(info.dwMinorVersion, 10u);
  EXPECT_EQ(info.dwBuildNumber, 67u);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_WINDOWS);
  EXPECT_EQ(std::strlen(info.szCSDVersion), sizeof info.szCSDVersion - 1);

  win32::ResetVersionInfo();
  info = VersionRecord();
  ASSERT_EQ(GetVersionExA(&info), TRUE);
  EXPECT_EQ(info.dwPlatformId, VER_PLATFORM_WIN32_NT);
}

using VerifyProc = BOOL (*)(HWND);
BOOL AcceptPassword(HWND) { return TRUE; }
BOOL RefusePassword(HWND) { return FALSE; }

// Registers a fake password provider for one test and removes it afterwards.
class ModuleTable : public testing::Test {
 protected:
  void SetUp() override {
    win32::RegisterModule("PASSWORD.CPL", {{"VerifyScreenSavePwd", reinterpret_cast<FARPROC>(&AcceptPassword)}});
  }
  void TearDown() override { win32::UnregisterModule("password.cpl"); }

  static FARPROC Verify(HMODULE module) { return GetProcAddress(module, "VerifyScreenSavePwd"); }
};

TEST_F(ModuleTable, LoadsByNameWithoutRegardToCase) {
  for (const char* name : {"PASSWORD.CPL", "password.cpl", "Password.Cpl"}) {
    HMODULE module = LoadLibraryA(name);
    ASSERT_NE(module, nullptr) << name;
    const auto verify = reinterpret_cast<VerifyProc>(Verify(module));
    ASSERT_NE(verify, nullptr) << name;
    EXPECT_EQ(verify(nullptr), TRUE);
    EXPECT_EQ(FreeLibrary(module), TRUE);
  }
}

TEST_F(ModuleTable, ExportNamesMatchExactly) {
  HMODULE module = LoadLibraryA("PASSWORD.CPL");
  EXPECT_EQ(GetProcAddress(module, "verifyscreensavepwd"), nullptr);
  EXPECT_EQ(GetProcAddress(module, "PwdChangePasswordA"), nullptr);
  EXPECT_EQ(GetProcAddress(module, nullptr), nullptr);
  EXPECT_EQ(GetProcAddress(module, reinterpret_cast<LPCSTR>(std::uintptr_t{1})), nullptr);  // ordinal
  FreeLibrary(module);
}

TEST_F(ModuleTable, UnknownNamesAndHandlesResolveNothing) {
  EXPECT_EQ(LoadLibraryA("MPR.DLL"), nullptr);
  EXPECT_EQ(LoadLibraryA("PASSWORD"), nullptr);
  EXPECT_EQ(LoadLibraryA(""), nullptr);
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetModuleHandleA("MPR.DLL"), nullptr);
  const HMODULE bogus = reinterpret_cast<HMODULE>(std::uintptr_t{0x1234});
  EXPECT_EQ(Verify(bogus), nullptr);
  EXPECT_EQ(Verify(nullptr), nullptr);
  EXPECT_EQ(FreeLibrary(bogus), FALSE);
  EXPECT_EQ(FreeLibrary(nullptr), FALSE);
  EXPECT_EQ(FreeLibrary(GetModuleHandleA(nullptr)), FALSE);
}

TEST_F(ModuleTable, EachLoadHoldsOneReference) {
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);  // registered, not loaded
  HMODULE first = LoadLibraryA("PASSWORD.CPL");
  HMODULE second = LoadLibraryA("password.cpl");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(GetModuleHandleA("Password.cpl"), first);

  EXPECT_EQ(FreeLibrary(first), TRUE);
  EXPECT_NE(Verify(first), nullptr);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), first);

  EXPECT_EQ(FreeLibrary(first), TRUE);
  EXPECT_EQ(Verify(first), nullptr);
  EXPECT_EQ(GetModuleHandleA("PASSWORD.CPL"), nullptr);
  EXPECT_EQ(FreeLibrary(first), FALSE);

  EXPECT_EQ(LoadLibraryA("PASSWORD.CPL"), first);  // loading again gives the same module back
  FreeLibrary(first);
}

TEST_F(ModuleTable, RegisteringAgainReplacesTheExports) {
  HMODULE module = LoadLibraryA("PASSWORD.CPL");
  win32::RegisterModule("Password.CPL", {{"VerifyScreenSavePwd", reinterpret_cast<FARPROC>(&RefusePassword)}});
  EXPECT_EQ(Verify(module), reinterpret_cast<FARPROC>(&RefusePassword));
  EXPECT_EQ(FreeLibrary(module), TRUE);
  EXPECT_EQ(FreeLibrary(module), FALSE);
}

TEST_F(ModuleTable, AnUnregisteredModuleLeavesItsHandlesDead) {
  HMODULE old = LoadLibraryA("PASSWORD.CPL");
  win32::UnregisterModule("PASSWORD.CPL");
  EXPECT_EQ(Verify(old), nullptr);
  EXPECT_EQ(FreeLibrary(old), FALSE);

  SetUp();
  HMODULE fresh = LoadLibraryA("PASSWORD.CPL");
  EXPECT_NE(fresh, old);
  EXPECT_EQ(Verify(old), nullptr);
  EXPECT_NE(Verify(fresh), nullptr);
  FreeLibrary(fresh);
}

TEST(GetModuleHandleA, NullNameIsThisProgram) {
  const HMODULE self = GetModuleHandleA(nullptr);
  EXPECT_NE(self, nullptr);
  EXPECT_EQ(GetModuleHandleA(nullptr), self);
}

SYSTEMTIME Noon() {
  SYSTEMTIME st{};
  st.wYear = 2003;
  st.wMonth = 6;
  st.wDayOfWeek = 6;
  st.wDay = 21;
  st.wHour = 12;
  st.wMinute = 34;
  st.wSecond = 56;
  st.wMilliseconds = 789;
  return st;
}

bool Same(const SYSTEMTIME& a, const SYSTEMTIME& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

class LocalClock : public testing::Test {
 protected:
  void TearDown() override { win32::ResetLocalTimeSource(); }
};

TEST_F(LocalClock, AFixedTimeIsReportedAsSet) {
  win32::SetLocalTimeSource(Noon());
  SYSTEMTIME st{};
  GetLocalTime(&st);
  EXPECT_TRUE(Same(st, Noon()));
}

TEST_F(LocalClock, ASourceIsAskedOnEveryCall) {
  int calls = 0;
  win32::SetLocalTimeSource([&calls] {
    SYSTEMTIME st = Noon();
    st.wSecond = static_cast<WORD>(calls++);
    return st;
  });
  SYSTEMTIME st{};
  GetLocalTime(&st);
  GetLocalTime(&st);
  EXPECT_EQ(st.wSecond, 1);
  EXPECT_EQ(calls, 2);
}

TEST_F(LocalClock, ResetGivesTheComputersLocalTime) {
  win32::SetLocalTimeSource(Noon());
  win32::ResetLocalTimeSource();
  // time() may read a coarser clock than the one the local time comes from.
  const auto now = [] {
    return std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now()));
  };
  const std::time_t before = now();
  SYSTEMTIME st{};
  GetLocalTime(&st);
  const std::time_t after = now();

  std::tm tm{};
  tm.tm_year = st.wYear - 1900;
  tm.tm_mon = st.wMonth - 1;
  tm.tm_mday = st.wDay;
  tm.tm_hour = st.wHour;
  tm.tm_min = st.wMinute;
  tm.tm_sec = st.wSecond;
  tm.tm_isdst = -1;
  const std::time_t reported = std::mktime(&tm);
  EXPECT_GE(reported, before);
  EXPECT_LE(reported, after);
  EXPECT_EQ(st.wDayOfWeek, tm.tm_wday);
  EXPECT_LT(st.wMilliseconds, 1000);
}

TEST_F(LocalClock, ASourceMaySwapWhileAnotherThreadReads) {
  std::atomic<bool> stop{false};
  std::thread reader([&stop] {
    SYSTEMTIME st{};
    while (!stop.load(std::memory_order_relaxed)) GetLocalTime(&st);
  });
  for (int i = 0; i < 200; ++i) {
    win32::SetLocalTimeSource(Noon());
    win32::ResetLocalTimeSource();
  }
  stop = true;
  reader.join();
}

TEST(TickCount, AdvancesAtLeastByTheTimeSlept) {
  const DWORD start = GetTickCount();
  Sleep(5);
  EXPECT_GE(GetTickCount() - start, 5u);
}

}  // namespace
