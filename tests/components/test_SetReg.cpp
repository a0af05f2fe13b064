// The settings store on a fresh user profile: first-run behaviour, how each type is stored and
// read back, alone and in a set written together, and the registry class's errors for missing
// and mistyped values.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "components/SetReg.h"
#include "platform/registry/Registry.h"
#include "tests/components/PaletteCheck.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Quillmont\\Rillmoor";

struct Stored {
  DWORD Type = 0;
  std::vector<BYTE> Data;
  bool operator==(const Stored&) const = default;
};

class SetRegTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string folder = (std::filesystem::temp_directory_path() / "setreg-XXXXXX").string();
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    Folder = folder;
    ::setenv("XDG_CONFIG_HOME", Folder.c_str(), 1);
    Store.SetCompanyName("Quillmont");
    Store.SetProductName("Rillmoor");
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(Folder);
  }

  // A value as the registry holds it; Type 0 when missing.
  static Stored Get(const char* name, const char* key = kKey) {
    HKEY hkey = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &hkey) != ERROR_SUCCESS) return {};
    Stored stored;
    DWORD size = 0;
    if (RegQueryValueExA(hkey, name, nullptr, &stored.Type, nullptr, &size) == ERROR_SUCCESS) {
      stored.Data.resize(size);
      RegQueryValueExA(hkey, name, nullptr, &stored.Type, stored.Data.data(), &size);
    }
    RegCloseKey(hkey);
    return stored;
  }
  static void Put(const char* name, const Stored& value) {
    HKEY hkey = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hkey, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(hkey, name, 0, value.Type, value.Data.data(), static_cast<DWORD>(value.Data.size())),
              ERROR_SUCCESS);
    RegCloseKey(hkey);
  }
  // What the writes of EachTypeIsStoredInItsRegistryForm leave.
  static void ExpectEachInItsRegistryForm() {
    EXPECT_EQ(Get("Int"), (Stored{REG_DWORD, {0xFE, 0xFF, 0xFF, 0xFF}}));
    EXPECT_EQ(Get("True"), (Stored{REG_DWORD, {1, 0, 0, 0}}));
    EXPECT_EQ(Get("False"), (Stored{REG_DWORD, {0, 0, 0, 0}}));
    EXPECT_EQ(Get("Text"), (Stored{REG_SZ, {'O', 's', 'l', 'o', 0}}));
    EXPECT_EQ(Get("Literal"), (Stored{REG_SZ, {'B', 'e', 'r', 'g', 'e', 'n', 0}}));
    EXPECT_EQ(Get("Float"), (Stored{REG_BINARY, {0, 0, 0, 0, 0, 0, 0x04, 0x40}}));
  }
  static bool KeyExists(const char* key) {
    TRegistry registry;
    return registry.KeyExists(key);
  }

  std::filesystem::path Folder;
  TSetReg Store{nullptr};
};

TEST_F(SetRegTest, OnAFreshProfileReadsFailAndLeaveTheValuesThenAWriteCreatesTheKey) {
  int number = 17;
  bool flag = true;
  AnsiString text = "kept";
  float level = 1.5f;
  EXPECT_FALSE(Store.Read("Gamma", &number));
  EXPECT_FALSE(Store.Read("Clock", &flag));
  EXPECT_FALSE(Store.Read("City", &text));
  EXPECT_FALSE(Store.Read("Level", &level));
  EXPECT_EQ(number, 17);
  EXPECT_TRUE(flag);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(level, 1.5f);
  EXPECT_FALSE(KeyExists("SOFTWARE\\Quillmont"));

  EXPECT_TRUE(Store.Write("Gamma", 256));
  EXPECT_TRUE(KeyExists(kKey));
  EXPECT_TRUE(Store.Read("Gamma", &number));
  EXPECT_EQ(number, 256);
}

TEST_F(SetRegTest, EachTypeIsStoredInItsRegistryForm) {
  ASSERT_TRUE(Store.Write("Int", -2));
  ASSERT_TRUE(Store.Write("True", true));
  ASSERT_TRUE(Store.Write("False", false));
  ASSERT_TRUE(Store.Write("Text", AnsiString("Oslo")));
  ASSERT_TRUE(Store.Write("Literal", "Bergen"));
  ASSERT_TRUE(Store.Write("Float", 2.5f));
  ExpectEachInItsRegistryForm();
}

// The same values written together, on a fresh profile; where the key cannot be made, nothing of
// them is stored and the store raises with the first value's name.
TEST_F(SetRegTest, ValuesWrittenTogetherAreStoredInTheSameFormOrRaise) {
  TSetReg::TValues values;
  values.Add("Int", -2);
  values.Add("True", true);
  values.Add("False", false);
  values.Add("Text", AnsiString("Oslo"));
  values.Add("Literal", "Bergen");
  values.Add("Float", 2.5f);
  Store.Write(values);
  ExpectEachInItsRegistryForm();
  Store.SetProductName("");  // an empty key name
  try {
    Store.Write(values);
    ADD_FAILURE() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, "Failed to set data for 'Int'");
  }
}

TEST_F(SetRegTest, WrittenValuesReadBack) {
  Store.Write("Int", -2);
  Store.Write("Flag", true);
  Store.Write("Text", AnsiString("Oslo"));
  Store.Write("Float", 0.1f);
  int number = 0;
  bool flag = false;
  AnsiString text;
  float level = 0;
  EXPECT_TRUE(Store.Read("Int", &number));
  EXPECT_TRUE(Store.Read("Flag", &flag));
  EXPECT_TRUE(Store.Read("Text", &text));
  EXPECT_TRUE(Store.Read("Float", &level));
  EXPECT_EQ(number, -2);
  EXPECT_TRUE(flag);
  EXPECT_EQ(text, "Oslo");
  EXPECT_EQ(level, 0.1f);
}

TEST_F(SetRegTest, StoredValuesReadAsTheirType) {
  Put("Seven", {REG_DWORD, {7, 0, 0, 0}});
  Put("Zero", {REG_DWORD, {0, 0, 0, 0}});
  Put("Expand", {REG_EXPAND_SZ, {'%', 'H', 'O', 'M', 'E', '%', 0}});
  Put("Cut", {REG_SZ, {'a', 'b', 0, 'c', 0}});
  bool seven = false, zero = true;
  AnsiString expand, cut, missing = "x";
  EXPECT_TRUE(Store.Read("Seven", &seven));
  EXPECT_TRUE(Store.Read("Zero", &zero));
  EXPECT_TRUE(Store.Read("Expand", &expand));
  EXPECT_TRUE(Store.Read("Cut", &cut));
  EXPECT_TRUE(Store.Read("Missing", &missing));
  EXPECT_TRUE(seven);
  EXPECT_FALSE(zero);
  EXPECT_EQ(expand, "%HOME%");
  EXPECT_EQ(cut, "ab");
  EXPECT_EQ(missing, "");
}

enum class Kind { Int, Bool, Float };

struct ReadError {
  const char* Name;
  std::optional<Stored> Value;  // none: the value is missing
  Kind ReadAs;
  const char* Message;
};

class SetRegReadError : public SetRegTest, public ::testing::WithParamInterface<ReadError> {};

TEST_P(SetRegReadError, RaisesTheRegistryClassError) {
  const ReadError& c = GetParam();
  Store.Write("Other", 1);  // the key exists
  if (c.Value) Put(c.Name, *c.Value);
  int number = 3;
  bool flag = true;
  float level = 4;
  try {
    switch (c.ReadAs) {
      case Kind::Int:
        Store.Read(c.Name, &number);
        break;
      case Kind::Bool:
        Store.Read(c.Name, &flag);
        break;
      case Kind::Float:
        Store.Read(c.Name, &level);
        break;
    }
    ADD_FAILURE() << "no exception";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message, c.Message);
  }
  EXPECT_EQ(number, 3);
  EXPECT_TRUE(flag);
  EXPECT_EQ(level, 4);
}

INSTANTIATE_TEST_SUITE_P(
    MissingAndMistyped, SetRegReadError,
    ::testing::Values(
        ReadError{"X", std::nullopt, Kind::Int, "Failed to get data for 'X'"},
        ReadError{"Clock", std::nullopt, Kind::Bool, "Failed to get data for 'Clock'"},
        ReadError{"Level", std::nullopt, Kind::Float, "Failed to get data for 'Level'"},
        ReadError{"City", Stored{REG_SZ, {'A', 0}}, Kind::Int, "Invalid data type for 'City'"},
        ReadError{"Gamma", Stored{REG_DWORD, {1, 0, 0, 0}}, Kind::Float, "Invalid data type for 'Gamma'"},
        ReadError{"Short", Stored{REG_BINARY, {0, 0, 0x20, 0x40}}, Kind::Float, "Invalid data type for 'Short'"},
        ReadError{"Long", Stored{REG_BINARY, std::vector<BYTE>(12, 0)}, Kind::Float, "Failed to get data for 'Long'"}));

TEST_F(SetRegTest, ChangingTheProductMovesTheNextCallToTheOtherKey) {
  Store.Write("Gamma", 200);
  Store.SetProductName("Sorrelin");
  int number = 0;
  EXPECT_FALSE(Store.Read("Gamma", &number));
  Store.Write("Gamma", 100);
  EXPECT_EQ(Get("Gamma", "SOFTWARE\\Quillmont\\Sorrelin"), (Stored{REG_DWORD, {100, 0, 0, 0}}));
  EXPECT_EQ(Get("Gamma"), (Stored{REG_DWORD, {200, 0, 0, 0}}));
}

TEST_F(SetRegTest, AKeyThatCannotBeOpenedGivesFalse) {
  Store.SetCompanyName("");  // an empty key name
  EXPECT_FALSE(Store.Write("Gamma", 1));
  int number = 9;
  EXPECT_FALSE(Store.Read("Gamma", &number));
  EXPECT_EQ(number, 9);
}

TEST(SetRegRegister, PutsTheClassOnThePalettePage) {
  SetReg::Register();
  palette_test::ExpectOnPalettePage<TSetReg>("TSetReg", "roVivavaV");
}

}  // namespace
