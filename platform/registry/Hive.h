// The contents of one registry root in memory: its keys by path, each with its values, and
// the few operations on the key tree that the registry functions share.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win32/Win32Types.h"

namespace registry {

struct Value {
  std::string name;        // as first written
  DWORD type = 0;          // REG_SZ, REG_EXPAND_SZ, REG_BINARY or REG_DWORD
  std::vector<BYTE> data;  // a text ends in a zero; a REG_DWORD is 4 bytes, little-endian
  bool operator==(const Value&) const = default;
};

struct Key {
  std::string path;                     // "\"-separated, spelled as when it was created
  std::map<std::string, Value> values;  // by win32::NameKey of the name
  bool operator==(const Key&) const = default;
};

// Keys by win32::NameKey of their path. The root itself (path "") always exists and is not
// stored; the parents of every stored key are stored too.
struct Hive {
  std::map<std::string, Key> keys;
  bool operator==(const Hive&) const = default;
};

// A path split into its key names ("" is the root: no names). Null when a name is empty,
// longer than 255 characters or holds a character outside printable ASCII.
std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path);

// Null for the root and for a key that does not exist.
Key* FindKey(Hive& hive, std::string_view path);
const Key* FindKey(const Hive& hive, std::string_view path);
bool KeyExists(const Hive& hive, std::string_view path);
bool HasSubKeys(const Hive& hive, std::string_view path);

// Adds the key of these names and any missing parents; false when it existed already.
bool CreateKey(Hive& hive, const std::vector<std::string>& names);

}  // namespace registry
