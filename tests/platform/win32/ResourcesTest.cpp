// Resources compiled in with qm_embed_resource (into this program and through a library) and
// registered at run time: lookup by text or number without regard to case, bytes, sizes,
// and what a missing resource or a foreign handle gives.
#include "platform/win32/Resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32/Kernel32.h"

namespace {

// Sample.bin is a six-byte header followed by the bytes 0 to 255.
std::vector<unsigned char> SampleBytes(bool withHeader) {
  std::vector<unsigned char> bytes;
  if (withHeader)
    for (char c : std::string("QMHDR!")) bytes.push_back(static_cast<unsigned char>(c));
  for (int i = 0; i < 256; ++i) bytes.push_back(static_cast<unsigned char>(i));
  return bytes;
}

// The bytes of a resource as a program reads them, empty when it is not found.
std::vector<unsigned char> Read(HMODULE module, LPCSTR name, LPCSTR type) {
  HRSRC found = FindResourceA(module, name, type);
  if (found == nullptr) return {};
  const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
  if (data == nullptr) return {};
  return {data, data + SizeofResource(module, found)};
}

struct EmbeddedCase {
  LPCSTR name;
  LPCSTR type;
  bool withHeader;
};

class Embedded : public testing::TestWithParam<EmbeddedCase> {};

TEST_P(Embedded, ReadsBackByteForByte) {
  const EmbeddedCase& c = GetParam();
  EXPECT_EQ(Read(nullptr, c.name, c.type), SampleBytes(c.withHeader));
  EXPECT_EQ(Read(GetModuleHandleA(nullptr), c.name, c.type), SampleBytes(c.withHeader));
}

INSTANTIATE_TEST_SUITE_P(Lookups, Embedded,
                         testing::Values(EmbeddedCase{"SOUNDNAME", "WAVE", true},
                                         EmbeddedCase{"SoundName", "wave", true},
                                         EmbeddedCase{MAKEINTRESOURCEA(101), RT_RCDATA, false},
                                         EmbeddedCase{"Library_Sample", RT_BITMAP, false}));

TEST(Resources, AResourceMaySkipTheWholeFile) {
  HRSRC found = FindResourceA(nullptr, "EMPTY", "DATA");
  ASSERT_NE(found, nullptr);
  EXPECT_NE(LoadResource(nullptr, found), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 0u);
}

TEST(Resources, NamesAndNumbersAreDistinct) {
  EXPECT_EQ(FindResourceA(nullptr, "101", RT_RCDATA), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(102), RT_RCDATA), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, MAKEINTRESOURCEA(101), "10"), nullptr);
}

TEST(Resources, MissingResourcesAreNotFound) {
  EXPECT_EQ(FindResourceA(nullptr, "SOUNDNAME", "BITMAP"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "SOUNDNAMES", "WAVE"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, nullptr, "WAVE"), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "SOUNDNAME", nullptr), nullptr);
}

TEST(Resources, AnotherModuleHasNoneOfThem) {
  win32::RegisterModule("OTHER.DLL", {});
  HMODULE other = LoadLibraryA("OTHER.DLL");
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(FindResourceA(other, "SOUNDNAME", "WAVE"), nullptr);
  HRSRC found = FindResourceA(nullptr, "SOUNDNAME", "WAVE");
  EXPECT_EQ(LoadResource(other, found), nullptr);
  EXPECT_EQ(SizeofResource(other, found), 0u);
  FreeLibrary(other);
  win32::UnregisterModule("OTHER.DLL");
}

TEST(Resources, ForeignHandlesAreRefused) {
  int notAResource = 0;
  const HRSRC bogus = reinterpret_cast<HRSRC>(&notAResource);
  EXPECT_EQ(LoadResource(nullptr, bogus), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, bogus), 0u);
  EXPECT_EQ(LoadResource(nullptr, nullptr), nullptr);
  EXPECT_EQ(SizeofResource(nullptr, nullptr), 0u);
  EXPECT_EQ(LockResource(nullptr), nullptr);
}

TEST(Resources, RegisteringAgainReplacesTheData) {
  static const char first[] = "first";
  static const char second[] = "second!";
  win32::RegisterResource("Replaced", RT_RCDATA, first, sizeof first);
  HRSRC found = FindResourceA(nullptr, "REPLACED", RT_RCDATA);
  win32::RegisterResource("REPLACED", RT_RCDATA, second, sizeof second);
  EXPECT_EQ(FindResourceA(nullptr, "replaced", RT_RCDATA), found);
  EXPECT_EQ(LoadResource(nullptr, found), second);
  EXPECT_EQ(SizeofResource(nullptr, found), sizeof second);
}

}  // namespace
