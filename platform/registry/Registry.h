// The class library's registry access object: one root key, at most one open key below it,
// and typed reads and writes of that key's values that raise ERegistryException.
#pragma once

#include <optional>
#include <vector>

#include "platform/registry/WinReg.h"
#include "platform/vcl/SysUtils.h"

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

// Messages: "Failed to get data for '%s'", "Invalid data type for '%s'",
// "Failed to set data for '%s'", with the value's name.
class ERegistryException : public Exception {
 public:
  using Exception::Exception;
};

// Values to be written together by TRegistry::WriteValues, each in the form its typed write
// stores it, in the order added.
class TRegValues {
 public:
  void AddInteger(const AnsiString& name, int value);
  void AddBool(const AnsiString& name, bool value);
  void AddFloat(const AnsiString& name, double value);
  void AddString(const AnsiString& name, const AnsiString& value);
  const std::vector<registry::Value>& Values() const { return values_; }

 private:
  std::vector<registry::Value> values_;
};

class TRegistry {
 public:
  explicit TRegistry(DWORD access = KEY_ALL_ACCESS);
  ~TRegistry();  // closes the open key
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;

  // Default HKEY_CURRENT_USER. Choosing another root closes the open key.
  HKEY GetRootKey() const { return rootKey_; }
  void SetRootKey(HKEY value);
  // The open key (null when none) and its path below the root.
  HKEY GetCurrentKey() const { return currentKey_; }
  const AnsiString& GetCurrentPath() const { return currentPath_; }

  // A key starting with "\" is taken from the root, any other from the open key (or the root
  // when none is open). With `canCreate` the key and its missing parents are created. On
  // success the new key replaces the open one; on failure the open key stays.
  bool OpenKey(const AnsiString& key, bool canCreate);
  void CloseKey();
  bool KeyExists(const AnsiString& key);
  // Deletes a key without sub-keys of its own; false otherwise.
  bool DeleteKey(const AnsiString& key);

  // The value operations act on the open key.
  bool ValueExists(const AnsiString& name);
  bool DeleteValue(const AnsiString& name);
  TRegDataType GetDataType(const AnsiString& name);  // rdUnknown when missing
  int GetDataSize(const AnsiString& name);           // -1 when missing

  // A missing value, or one larger than the type's size, raises "Failed to get data"; any
  // other stored type or size raises "Invalid data type". A bool is any nonzero REG_DWORD;
  // a float is a double in 8 bytes of REG_BINARY.
  int ReadInteger(const AnsiString& name);
  bool ReadBool(const AnsiString& name);
  double ReadFloat(const AnsiString& name);
  // REG_SZ or REG_EXPAND_SZ (not expanded), up to its first zero; "" when missing.
  AnsiString ReadString(const AnsiString& name);
  // Copies a REG_BINARY value into the buffer and returns its size; a value larger than
  // `bufSize` raises "Failed to get data".
  int ReadBinaryData(const AnsiString& name, void* buffer, int bufSize);

  // A write the registry refuses (no open key, no write access, file trouble) raises
  // "Failed to set data".
  void WriteInteger(const AnsiString& name, int value);
  void WriteBool(const AnsiString& name, bool value);
  void WriteFloat(const AnsiString& name, double value);
  void WriteString(const AnsiString& name, const AnsiString& value);
  void WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize);
  // All the values in one replace of the file, `key` (named as OpenKey names it) and its
  // parents created when missing, so a program killed meanwhile leaves all of them or none; the
  // open key stays as it is. When the registry refuses them (write access, file trouble),
  // nothing of them is stored and "Failed to set data" is raised with the first value's name.
  // `whenDamaged` says what becomes of a damaged file.
  void WriteValues(const AnsiString& key, const TRegValues& values,
                   registry::Damaged whenDamaged = registry::Damaged::Refuse);

 private:
  struct Data {
    DWORD type = 0;
    std::vector<BYTE> bytes;
  };

  // Where a key name starts from, and the name the platform functions take.
  HKEY BaseKey(const AnsiString& key) const;
  static AnsiString SubKey(const AnsiString& key);
  std::optional<Data> Query(const AnsiString& name);
  std::vector<BYTE> ReadSized(const AnsiString& name, DWORD type, std::size_t size);
  void Put(const registry::Value& value);

  DWORD access_;
  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY currentKey_ = nullptr;
  AnsiString currentPath_;
};
