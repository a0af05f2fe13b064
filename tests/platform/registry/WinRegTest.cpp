// The registry functions on HKEY_CURRENT_USER's file: result codes, sizes, case, access, key
// deletion, and how the file is written and guarded.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "TempProfile.h"
#include "platform/registry/WinReg.h"
#include "tests/support/FileSizeCap.h"

namespace {

class WinRegTest : public TempProfile {
 protected:
  // Creates (or opens) a key below HKEY_CURRENT_USER with all access.
  HKEY Create(const char* path) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    return key;
  }
  LONG Open(const char* path, HKEY& key, REGSAM access = KEY_ALL_ACCESS) {
    return RegOpenKeyExA(HKEY_CURRENT_USER, path, 0, access, &key);
  }
  static LONG SetDword(HKEY key, const char* name, DWORD v) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4);
  }
};

TEST_F(WinRegTest, FreshProfileHasNoKeysAndNoFile) {
  HKEY key = nullptr;
  EXPECT_EQ(Open("SOFTWARE\\Quillmont\\Rillmoor", key), ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(std::filesystem::exists(File()));
}

TEST_F(WinRegTest, CreateMakesParentsAndReportsWhetherItWasNew) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Quillmont\\Rillmoor", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_CREATED_NEW_KEY);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "software\\QUILLMONT\\rillmoor", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, REG_OPENED_EXISTING_KEY);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(Open("SOFTWARE\\Quillmont", key), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_NE(FileText().find("[SOFTWARE\\Quillmont\\Rillmoor]"), std::string::npos);
}

TEST_F(WinRegTest, QueryReportsSizeTypeAndShortBuffers) {
  HKEY key = Create("A");
  const char text[] = "hello";
  ASSERT_EQ(RegSetValueExA(key, "Greeting", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), 6),
            ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "GREETING", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, REG_SZ);
  EXPECT_EQ(size, 6u);

  char small[4] = {'x', 'x', 'x', 'x'};
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "greeting", nullptr, &type, reinterpret_cast<BYTE*>(small),
                             &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(std::memcmp(small, "xxxx", 4), 0);

  char exact[6] = {};
  size = sizeof exact;
  EXPECT_EQ(RegQueryValueExA(key, "Greeting", nullptr, nullptr, reinterpret_cast<BYTE*>(exact),
                             &size),
            ERROR_SUCCESS);
  EXPECT_STREQ(exact, "hello");

  EXPECT_EQ(RegQueryValueExA(key, "absent", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "Greeting", nullptr, nullptr, reinterpret_cast<BYTE*>(exact),
                             nullptr),
            ERROR_INVALID_PARAMETER);
  RegCloseKey(key);
}

TEST_F(WinRegTest, TextsAlwaysEndInAZero) {
  HKEY key = Create("A");
  ASSERT_EQ(RegSetValueExA(key, "t", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3),
            ERROR_SUCCESS);
  char buffer[8] = {};
  DWORD size = sizeof buffer;
  ASSERT_EQ(RegQueryValueExA(key, "t", nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(buffer, "abc");
  RegCloseKey(key);
}

TEST_F(WinRegTest, RefusesValuesItCannotStore) {
  HKEY key = Create("A");
  const BYTE bytes[8] = {};
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_DWORD, bytes, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "v", 0, 7, bytes, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(key, "v", 0, REG_BINARY, nullptr, 8), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegSetValueExA(HKEY_CURRENT_USER, "v", 0, REG_BINARY, bytes, 8), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(nullptr, "v", 0, REG_BINARY, bytes, 8), ERROR_INVALID_HANDLE);
  HKEY other = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &other, nullptr),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &other),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(WinRegTest, AccessRightsOfTheHandleApply) {
  RegCloseKey(Create("A"));
  HKEY readOnly = nullptr;
  ASSERT_EQ(Open("A", readOnly, KEY_READ), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(readOnly, "v", 1), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegDeleteValueA(readOnly, "v"), ERROR_ACCESS_DENIED);
  RegCloseKey(readOnly);

  HKEY writeOnly = nullptr;
  ASSERT_EQ(Open("A", writeOnly, KEY_WRITE), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(writeOnly, "v", 1), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(writeOnly, "v", nullptr, nullptr, nullptr, &size),
            ERROR_ACCESS_DENIED);
  RegCloseKey(writeOnly);
}

TEST_F(WinRegTest, DeletingValuesAndKeys) {
  HKEY key = Create("A\\B");
  ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "V"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "v"), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "A"), ERROR_ACCESS_DENIED);  // still has B
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "a\\b"), ERROR_SUCCESS);
  EXPECT_EQ(SetDword(key, "v", 1), ERROR_KEY_DELETED);  // the open handle lost its key
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "A"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "A"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(WinRegTest, SubKeysOfAnOpenHandle) {
  HKEY parent = Create("SOFTWARE");
  HKEY child = nullptr;
  ASSERT_EQ(RegCreateKeyExA(parent, "Quillmont", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &child, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(SetDword(child, "v", 7), ERROR_SUCCESS);
  HKEY again = nullptr;
  ASSERT_EQ(Open("Software\\quillmont", again), ERROR_SUCCESS);
  DWORD v = 0, size = 4;
  EXPECT_EQ(RegQueryValueExA(again, "v", nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(v, 7u);
  EXPECT_EQ(RegOpenKeyExA(parent, "A\\\\B", 0, KEY_READ, &again), ERROR_BAD_PATHNAME);
  for (HKEY k : {parent, child, again}) RegCloseKey(k);
}

TEST_F(WinRegTest, DamagedFileIsReportedAndLeftAsItIs) {
  const std::string damaged = "QUILLMONT REGISTRY 1\n[SOFTWARE]\n\"v\"=dword:zz\n";
  SetFileText(damaged);
  HKEY key = nullptr;
  EXPECT_EQ(Open("SOFTWARE", key), ERROR_BADDB);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\New", 0, nullptr,
                            REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_BADDB);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "SOFTWARE"), ERROR_BADDB);
  EXPECT_EQ(FileText(), damaged);
}

TEST_F(WinRegTest, DamageAfterOpeningFailsEachCall) {
  HKEY key = Create("A");
  ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
  const std::string foreign = "some other program's notes\n";
  SetFileText(foreign);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_BADDB);
  EXPECT_EQ(SetDword(key, "v", 2), ERROR_BADDB);
  EXPECT_EQ(FileText(), foreign);
  RegCloseKey(key);
}

TEST_F(WinRegTest, WritesReplaceTheFileAndLeaveNoTemporaryFiles) {
  HKEY key = Create("A");
  for (DWORD i = 0; i < 20; ++i) ASSERT_EQ(SetDword(key, "v", i), ERROR_SUCCESS);
  RegCloseKey(key);
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"registry.lock", "registry.txt"}));
  EXPECT_NE(FileText().find("\"v\"=dword:00000013"), std::string::npos);
}

TEST_F(WinRegTest, FailedWriteKeepsTheOldFileAndNoTemporaryFile) {
  HKEY key = Create("A");
  ASSERT_EQ(SetDword(key, "v", 1), ERROR_SUCCESS);
  const std::string before = FileText();
  {
    const FileSizeCap cap(before.size() / 2);
    EXPECT_EQ(SetDword(key, "v", 2), ERROR_WRITE_FAULT);
  }
  EXPECT_EQ(FileText(), before);
  for (const auto& entry : std::filesystem::directory_iterator(Folder()))
    EXPECT_EQ(entry.path().filename().string().find("registry.txt."), std::string::npos)
        << entry.path();
  RegCloseKey(key);
}

}  // namespace
