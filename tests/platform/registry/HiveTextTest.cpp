// The registry file's text form: what is written reads back the same, escapes keep any byte,
// and anything but that form is refused.
#include <gtest/gtest.h>

#include "platform/registry/HiveText.h"
#include "platform/registry/WinReg.h"
#include "platform/win32/NameKey.h"

namespace {

using registry::Hive;
using registry::ParseHive;

void Put(Hive& hive, const std::string& path, const std::string& name, DWORD type,
         std::vector<BYTE> data) {
  registry::CreateKey(hive, *registry::SplitKeyPath(path));
  registry::FindKey(hive, path)->values[win32::NameKey(name)] = {name, type, std::move(data)};
}

std::vector<BYTE> Text(std::string_view s) {
  std::vector<BYTE> data(s.begin(), s.end());
  data.push_back(0);
  return data;
}

TEST(HiveText, WritesTheDocumentedForm) {
  Hive hive;
  Put(hive, "SOFTWARE\\Quillmont", "count", REG_DWORD, {0x0a, 0, 0, 0});
  Put(hive, "SOFTWARE\\Quillmont", "quote", REG_SZ, Text("say \"hi\" \\ done"));
  Put(hive, "SOFTWARE\\Quillmont", "path", REG_EXPAND_SZ, Text("%HOME%"));
  Put(hive, "SOFTWARE\\Quillmont", "raw", REG_BINARY, {0x00, 0xff, 0x40});
  EXPECT_EQ(registry::FormatHive(hive),
            "QUILLMONT REGISTRY 1\n"
            "\n[SOFTWARE]\n"
            "\n[SOFTWARE\\Quillmont]\n"
            "\"count\"=dword:0000000a\n"
            "\"path\"=expand:\"%HOME%\"\n"
            "\"quote\"=\"say \\\"hi\\\" \\\\ done\"\n"
            "\"raw\"=hex:00,ff,40\n");
}

TEST(HiveText, EveryByteSurvivesARoundTrip) {
  std::string all;
  for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
  Hive hive;
  Put(hive, "A\\b [x] c", all, REG_SZ, Text(all));
  Put(hive, "A\\b [x] c", "", REG_BINARY, {});
  Put(hive, "A", "zero inside", REG_SZ, Text(std::string("x\0y", 3)));
  const std::string text = registry::FormatHive(hive);
  for (const char c : text) EXPECT_TRUE(c == '\n' || (c >= 0x20 && c <= 0x7E)) << int(c);
  const auto back = ParseHive(text);
  ASSERT_TRUE(back);
  EXPECT_EQ(*back, hive);
}

TEST(HiveText, ParentsLeftOutAreImplied) {
  const auto hive = ParseHive("QUILLMONT REGISTRY 1\n[A\\B\\C]\n\"v\"=dword:00000001");
  ASSERT_TRUE(hive);
  EXPECT_TRUE(registry::KeyExists(*hive, "a"));
  EXPECT_TRUE(registry::KeyExists(*hive, "a\\b"));
  EXPECT_TRUE(registry::HasSubKeys(*hive, "A\\b"));
  EXPECT_FALSE(registry::HasSubKeys(*hive, "A\\B\\C"));
}

TEST(HiveText, RefusesAnythingElse) {
  const char* damaged[] = {
      "",
      "QUILLMONT REGISTRY 2\n",
      "\n",
      "QUILLMONT REGISTRY 1\n\"v\"=dword:00000001\n",         // value before any key
      "QUILLMONT REGISTRY 1\n[A]\n[a]\n",                      // key listed twice
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=dword:1\n\"V\"=dword:2\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=dword:1\n",            // not 8 digits
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=dword:0000000g\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=dword:000000001\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=hex:0,1\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=hex:00,\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=\"open\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=\"bad \\n escape\"\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=\"raw \x80 byte\"\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=\"x\" \n",            // trailing text
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=\"x\"\r\n",
      "QUILLMONT REGISTRY 1\n[A]\n\"v\"=qword:0000000000000001\n",
      "QUILLMONT REGISTRY 1\n[A]\nv=dword:00000001\n",
      "QUILLMONT REGISTRY 1\n[]\n",
      "QUILLMONT REGISTRY 1\n[A\\\\B]\n",
      "QUILLMONT REGISTRY 1\n[\\A]\n",
      "QUILLMONT REGISTRY 1\n[A\n",
      "QUILLMONT REGISTRY 1\n[A]\ngarbage\n",
  };
  for (const char* text : damaged) EXPECT_FALSE(ParseHive(text)) << text;
}

TEST(HiveText, NamesTheFirstDamagedLine) {
  const std::pair<const char*, int> cases[] = {
      {"", 1},
      {"QUILLMONT REGISTRY 2\n[A]\n", 1},
      {"QUILLMONT REGISTRY 1\n\n[A]\n\"v\"=dword:1\n[B]\n", 4},
      {"QUILLMONT REGISTRY 1\n[A]\n\"v\"=dword:00000001\n\n[a]\n", 5},
      {"QUILLMONT REGISTRY 1\n[A]\ngarbage", 3},
  };
  for (const auto& [text, line] : cases) {
    int damaged = 0;
    EXPECT_FALSE(ParseHive(text, &damaged));
    EXPECT_EQ(damaged, line) << text;
  }
}

TEST(HiveText, KeyNamesAreChecked) {
  EXPECT_TRUE(registry::SplitKeyPath(""));
  EXPECT_EQ(registry::SplitKeyPath("SOFTWARE\\Quillmont")->size(), 2u);
  EXPECT_TRUE(registry::SplitKeyPath(std::string(255, 'k')));
  EXPECT_FALSE(registry::SplitKeyPath(std::string(256, 'k')));
  EXPECT_FALSE(registry::SplitKeyPath("A\\"));
  EXPECT_FALSE(registry::SplitKeyPath("A\nB"));
  EXPECT_FALSE(registry::SplitKeyPath("caf\xe9"));
}

}  // namespace
