// TRegistry: which stored types and sizes each typed read accepts and which message it raises,
// opening and creating keys, and values that outlive the object that wrote them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <sstream>

#include "TempProfile.h"
#include "platform/registry/Registry.h"

namespace {

constexpr const char* kKey = "SOFTWARE\\Quillmont\\Rillmoor";

class RegistryTest : public TempProfile {
 protected:
  // A registry object with the settings key open, created when needed.
  void OpenSettings(TRegistry& reg) { ASSERT_TRUE(reg.OpenKey(kKey, true)); }

  static void PutRaw(TRegistry& reg, DWORD type, std::vector<BYTE> data) {
    ASSERT_EQ(RegSetValueExA(reg.GetCurrentKey(), "v", 0, type, data.data(),
                             static_cast<DWORD>(data.size())),
              ERROR_SUCCESS);
  }
};

// A read's value as text, or the message it raised.
template <typename Read>
std::string Outcome(Read read) {
  try {
    std::ostringstream out;
    out << std::boolalpha << read();
    return out.str();
  } catch (const ERegistryException& e) {
    return e.Message;
  }
}

const std::vector<BYTE> kDouble2_5 = {0, 0, 0, 0, 0, 0, 0x04, 0x40};

TEST_F(RegistryTest, EachReadAcceptsItsOwnTypeOnly) {
  const std::string failed = "Failed to get data for 'v'";
  const std::string invalid = "Invalid data type for 'v'";
  struct Case {
    const char* what;
    std::function<void(TRegistry&)> store;
    std::string asInteger, asBool, asString, asFloat;
  };
  const Case cases[] = {
      {"dword 10", [](TRegistry& r) { r.WriteInteger("v", 10); }, "10", "true", invalid, invalid},
      {"dword 7", [](TRegistry& r) { r.WriteInteger("v", 7); }, "7", "true", invalid, invalid},
      {"dword 0", [](TRegistry& r) { r.WriteBool("v", false); }, "0", "false", invalid, invalid},
      {"dword -1", [](TRegistry& r) { r.WriteInteger("v", -1); }, "-1", "true", invalid, invalid},
      {"text", [](TRegistry& r) { r.WriteString("v", "text"); }, invalid, invalid, "text", invalid},
      {"long text", [](TRegistry& r) { r.WriteString("v", std::string(40, 'x')); }, invalid,
       invalid, std::string(40, 'x'), invalid},
      {"expandable text", [](TRegistry& r) { PutRaw(r, REG_EXPAND_SZ, {'%', 'H', '%', 0}); },
       invalid, invalid, "%H%", invalid},
      {"text with a zero inside", [](TRegistry& r) { PutRaw(r, REG_SZ, {'a', 0, 'b', 0}); },
       invalid, invalid, "a", invalid},
      {"binary 8 bytes", [](TRegistry& r) { PutRaw(r, REG_BINARY, kDouble2_5); }, invalid,
       invalid, invalid, "2.5"},
      {"binary 4 bytes", [](TRegistry& r) { PutRaw(r, REG_BINARY, {0, 0, 0x20, 0x40}); },
       invalid, invalid, invalid, invalid},
      {"binary 12 bytes", [](TRegistry& r) { PutRaw(r, REG_BINARY, std::vector<BYTE>(12)); },
       invalid, invalid, invalid, failed},
      {"missing", [](TRegistry&) {}, failed, failed, "", failed},
  };
  for (const auto& c : cases) {
    TRegistry reg;
    OpenSettings(reg);
    reg.DeleteValue("v");
    c.store(reg);
    EXPECT_EQ(Outcome([&] { return reg.ReadInteger("v"); }), c.asInteger) << c.what;
    EXPECT_EQ(Outcome([&] { return reg.ReadBool("v"); }), c.asBool) << c.what;
    EXPECT_EQ(Outcome([&] { return reg.ReadString("v"); }), c.asString) << c.what;
    EXPECT_EQ(Outcome([&] { return reg.ReadFloat("v"); }), c.asFloat) << c.what;
  }
}

TEST_F(RegistryTest, WritesStoreTheDocumentedBytes) {
  TRegistry reg;
  OpenSettings(reg);
  reg.WriteBool("flag", true);
  reg.WriteFloat("lat", 2.5);
  reg.WriteString("name", "abc");
  reg.WriteInteger("n", 0x01020304);

  struct Expect {
    const char* name;
    TRegDataType type;
    std::vector<BYTE> bytes;
  };
  const Expect expected[] = {
      {"flag", rdInteger, {1, 0, 0, 0}},
      {"lat", rdBinary, kDouble2_5},
      {"name", rdString, {'a', 'b', 'c', 0}},
      {"n", rdInteger, {4, 3, 2, 1}},
  };
  for (const auto& e : expected) {
    EXPECT_EQ(reg.GetDataType(e.name), e.type) << e.name;
    ASSERT_EQ(reg.GetDataSize(e.name), static_cast<int>(e.bytes.size())) << e.name;
    std::vector<BYTE> bytes(e.bytes.size());
    DWORD size = static_cast<DWORD>(bytes.size());
    ASSERT_EQ(RegQueryValueExA(reg.GetCurrentKey(), e.name, nullptr, nullptr, bytes.data(), &size),
              ERROR_SUCCESS);
    EXPECT_EQ(bytes, e.bytes) << e.name;
  }
  EXPECT_EQ(reg.GetDataType("none"), rdUnknown);
  EXPECT_EQ(reg.GetDataSize("none"), -1);
}

TEST_F(RegistryTest, BinaryData) {
  TRegistry reg;
  OpenSettings(reg);
  const BYTE data[5] = {1, 2, 3, 4, 5};
  reg.WriteBinaryData("b", data, 5);
  BYTE back[8] = {};
  EXPECT_EQ(reg.ReadBinaryData("b", back, sizeof back), 5);
  EXPECT_EQ(std::memcmp(back, data, 5), 0);
  EXPECT_EQ(Outcome([&] { return reg.ReadBinaryData("b", back, 4); }),
            "Failed to get data for 'b'");
  reg.WriteInteger("i", 1);
  EXPECT_EQ(Outcome([&] { return reg.ReadBinaryData("i", back, 8); }),
            "Invalid data type for 'i'");
  EXPECT_EQ(Outcome([&] { return reg.ReadBinaryData("none", back, 8); }),
            "Failed to get data for 'none'");
  EXPECT_THROW(reg.WriteBinaryData("b", data, -1), ERegistryException);
}

TEST_F(RegistryTest, OpenWithoutCreationFailsOnAFreshProfile) {
  TRegistry reg;
  EXPECT_EQ(reg.GetRootKey(), HKEY_CURRENT_USER);
  EXPECT_FALSE(reg.OpenKey(kKey, false));
  EXPECT_FALSE(reg.KeyExists(kKey));
  EXPECT_EQ(reg.GetCurrentKey(), nullptr);
  EXPECT_EQ(reg.GetCurrentPath(), "");
  EXPECT_FALSE(std::filesystem::exists(File()));  // looking creates nothing
}

TEST_F(RegistryTest, CreationMakesTheParents) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, true));
  EXPECT_EQ(reg.GetCurrentPath(), kKey);
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE"));
  EXPECT_TRUE(reg.KeyExists("\\SOFTWARE\\Quillmont"));
  EXPECT_FALSE(reg.KeyExists("\\SOFTWARE\\Quillmont\\Sorrelin"));
}

TEST_F(RegistryTest, KeysOpenRelativeToTheOpenKeyOrFromTheRoot) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("SOFTWARE", true));
  ASSERT_TRUE(reg.OpenKey("Quillmont", true));
  EXPECT_EQ(reg.GetCurrentPath(), "SOFTWARE\\Quillmont");
  EXPECT_FALSE(reg.OpenKey("\\Quillmont", false));
  EXPECT_EQ(reg.GetCurrentPath(), "SOFTWARE\\Quillmont");  // a failed open keeps the key
  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE", false));
  EXPECT_EQ(reg.GetCurrentPath(), "SOFTWARE");
  reg.CloseKey();
  EXPECT_EQ(reg.GetCurrentKey(), nullptr);
  EXPECT_EQ(reg.GetCurrentPath(), "");
}

TEST_F(RegistryTest, PathsAndNamesIgnoreCase) {
  {
    TRegistry reg;
    OpenSettings(reg);
    reg.WriteInteger("ResHor", 1024);
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("software\\QUILLMONT\\rillmoor", false));
  EXPECT_EQ(reg.ReadInteger("RESHOR"), 1024);
  EXPECT_TRUE(reg.ValueExists("reshor"));
  EXPECT_NE(FileText().find("\"ResHor\""), std::string::npos);
}

TEST_F(RegistryTest, ValuesPersistInTheFile) {
  {
    TRegistry reg;
    OpenSettings(reg);
    reg.WriteInteger("Gamma", 200);
    reg.WriteString("City", "AACHEN GE");
  }
  {
    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey(kKey, false));
    EXPECT_EQ(reg.ReadInteger("Gamma"), 200);
    EXPECT_EQ(reg.ReadString("City"), "AACHEN GE");
  }
  // Another program's change to the file is what the next read sees.
  SetFileText("QUILLMONT REGISTRY 1\n[SOFTWARE\\Quillmont\\Rillmoor]\n\"Gamma\"=dword:00000080\n");
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey(kKey, false));
  EXPECT_EQ(reg.ReadInteger("Gamma"), 128);
  EXPECT_FALSE(reg.ValueExists("City"));
}

TEST_F(RegistryTest, RefusedWritesRaise) {
  TRegistry none;
  EXPECT_EQ(Outcome([&] { none.WriteInteger("v", 1); return 0; }), "Failed to set data for 'v'");

  { TRegistry create; OpenSettings(create); }
  TRegistry readOnly(KEY_READ);
  ASSERT_TRUE(readOnly.OpenKey(kKey, false));
  EXPECT_EQ(Outcome([&] { readOnly.WriteString("v", "x"); return 0; }),
            "Failed to set data for 'v'");
  EXPECT_FALSE(readOnly.ValueExists("v"));
}

// Values written together are stored as their typed writes store them, with the key made for
// them, in one go; a set the registry refuses raises with its first value's name and stores
// nothing of it.
TEST_F(RegistryTest, ValuesWrittenTogetherAreStoredAsTheTypedWritesStoreThem) {
  TRegistry single;
  OpenSettings(single);
  single.WriteInteger("Int", -2);
  single.WriteBool("Flag", true);
  single.WriteFloat("Level", 2.5);
  single.WriteString("City", "Oslo");
  const std::string singly = FileText();
  single.DeleteKey("\\SOFTWARE\\Quillmont\\Rillmoor");
  single.CloseKey();
  single.DeleteKey("\\SOFTWARE\\Quillmont");
  single.DeleteKey("\\SOFTWARE");

  TRegValues values;
  values.AddInteger("Int", -2);
  values.AddBool("Flag", true);
  values.AddFloat("Level", 2.5);
  values.AddString("City", "Oslo");
  TRegistry reg;
  reg.WriteValues(kKey, values);
  EXPECT_EQ(FileText(), singly);
  EXPECT_EQ(reg.GetCurrentKey(), nullptr);  // the open key stays as it was

  TRegistry readOnly(KEY_READ);
  EXPECT_EQ(Outcome([&] { readOnly.WriteValues(kKey, values); return 0; }), "Failed to set data for 'Int'");
  TRegValues other;
  other.AddInteger("Other", 1);
  EXPECT_EQ(Outcome([&] { reg.WriteValues("", other); return 0; }), "Failed to set data for 'Other'");  // the root
  EXPECT_EQ(FileText(), singly);
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
  TRegistry reg;
  OpenSettings(reg);
  reg.WriteInteger("v", 1);
  EXPECT_TRUE(reg.ValueExists("v"));
  EXPECT_TRUE(reg.DeleteValue("v"));
  EXPECT_FALSE(reg.ValueExists("v"));
  EXPECT_FALSE(reg.DeleteValue("v"));
  reg.CloseKey();
  EXPECT_FALSE(reg.DeleteKey("\\SOFTWARE\\Quillmont"));  // has a sub-key
  EXPECT_TRUE(reg.DeleteKey(kKey));
  EXPECT_FALSE(reg.KeyExists(kKey));
  EXPECT_TRUE(reg.KeyExists("SOFTWARE\\Quillmont"));
}

TEST_F(RegistryTest, DestructorAndRootChangeCloseTheKey) {
  HKEY handle = nullptr;
  {
    TRegistry reg;
    OpenSettings(reg);
    handle = reg.GetCurrentKey();
  }
  EXPECT_EQ(RegCloseKey(handle), ERROR_INVALID_HANDLE);

  TRegistry reg;
  OpenSettings(reg);
  reg.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(reg.GetCurrentKey(), nullptr);
  EXPECT_FALSE(reg.OpenKey("SOFTWARE", true));  // only the user's own root can be written
}

TEST_F(RegistryTest, DamagedFileFailsToOpenAndIsKeptByteForByte) {
  const std::string damaged = "QUILLMONT REGISTRY 1\n[SOFTWARE\\Quillmont\\Rillmoor\n";
  SetFileText(damaged);
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey(kKey, false));
  EXPECT_FALSE(reg.OpenKey(kKey, true));
  EXPECT_EQ(FileText(), damaged);
}

}  // namespace
