// TRegistry over the registry functions: key opening relative to the open key or the root,
// and the type and size rules of each typed read.
#include "platform/registry/Registry.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {

[[noreturn]] void Raise(const char* message, const AnsiString& name) {
  throw ERegistryException(Format(message, name.c_str()));
}

constexpr const char* kGetFailed = "Failed to get data for '%s'";
constexpr const char* kBadType = "Invalid data type for '%s'";
constexpr const char* kSetFailed = "Failed to set data for '%s'";

AnsiString JoinPath(const AnsiString& base, const AnsiString& sub) {
  if (base.empty()) return sub;
  if (sub.empty()) return base;
  return base + '\\' + sub;
}

std::uint64_t LittleEndian(const std::vector<BYTE>& bytes) {
  std::uint64_t v = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) v = v << 8 | bytes[i];
  return v;
}

template <std::size_t N>
std::vector<BYTE> LittleEndianBytes(std::uint64_t v) {
  std::vector<BYTE> bytes(N);
  for (auto& b : bytes) {
    b = static_cast<BYTE>(v);
    v >>= 8;
  }
  return bytes;
}

// Each type in the form the registry class stores it.
registry::Value IntegerValue(const AnsiString& name, int value) {
  return {name, REG_DWORD, LittleEndianBytes<4>(static_cast<std::uint32_t>(value))};
}

registry::Value FloatValue(const AnsiString& name, double value) {
  return {name, REG_BINARY, LittleEndianBytes<8>(std::bit_cast<std::uint64_t>(value))};
}

registry::Value StringValue(const AnsiString& name, const AnsiString& value) {
  // The terminating zero is part of the stored text.
  const auto* text = reinterpret_cast<const BYTE*>(value.c_str());
  return {name, REG_SZ, std::vector<BYTE>(text, text + value.size() + 1)};
}

}  // namespace

TRegistry::TRegistry(DWORD access) : access_(access) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY value) {
  if (value == rootKey_) return;
  CloseKey();
  rootKey_ = value;
}

HKEY TRegistry::BaseKey(const AnsiString& key) const {
  const bool relative = !key.starts_with('\\');
  return relative && currentKey_ != nullptr ? currentKey_ : rootKey_;
}

AnsiString TRegistry::SubKey(const AnsiString& key) {
  return key.starts_with('\\') ? key.substr(1) : key;
}

bool TRegistry::OpenKey(const AnsiString& key, bool canCreate) {
  const HKEY base = BaseKey(key);
  const AnsiString sub = SubKey(key);
  HKEY opened = nullptr;
  const LONG rc = canCreate ? RegCreateKeyExA(base, sub.c_str(), 0, nullptr,
                                              REG_OPTION_NON_VOLATILE, access_, nullptr,
                                              &opened, nullptr)
                            : RegOpenKeyExA(base, sub.c_str(), 0, access_, &opened);
  if (rc != ERROR_SUCCESS) return false;
  const AnsiString path = base == currentKey_ ? JoinPath(currentPath_, sub) : sub;
  CloseKey();
  currentKey_ = opened;
  currentPath_ = path;
  return true;
}

void TRegistry::CloseKey() {
  if (currentKey_ == nullptr) return;
  RegCloseKey(currentKey_);
  currentKey_ = nullptr;
  currentPath_.clear();
}

bool TRegistry::KeyExists(const AnsiString& key) {
  HKEY opened = nullptr;
  if (RegOpenKeyExA(BaseKey(key), SubKey(key).c_str(), 0, access_, &opened) != ERROR_SUCCESS)
    return false;
  RegCloseKey(opened);
  return true;
}

bool TRegistry::DeleteKey(const AnsiString& key) {
  return RegDeleteKeyA(BaseKey(key), SubKey(key).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::ValueExists(const AnsiString& name) {
  return RegQueryValueExA(currentKey_, name.c_str(), nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const AnsiString& name) {
  return RegDeleteValueA(currentKey_, name.c_str()) == ERROR_SUCCESS;
}

TRegDataType TRegistry::GetDataType(const AnsiString& name) {
  DWORD type = 0;
  if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, &type, nullptr, nullptr) !=
      ERROR_SUCCESS)
    return rdUnknown;
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

int TRegistry::GetDataSize(const AnsiString& name) {
  DWORD size = 0;
  if (RegQueryValueExA(currentKey_, name.c_str(), nullptr, nullptr, nullptr, &size) !=
      ERROR_SUCCESS)
    return -1;
  return static_cast<int>(size);
}

std::optional<TRegistry::Data> TRegistry::Query(const AnsiString& name) {
  Data data;
  DWORD size = 0;
  LONG rc = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &data.type, nullptr, &size);
  // Another process may enlarge the value between the two calls; then ask again.
  for (int attempt = 0; rc == ERROR_SUCCESS && attempt < 3; ++attempt) {
    data.bytes.resize(size);
    rc = RegQueryValueExA(currentKey_, name.c_str(), nullptr, &data.type, data.bytes.data(),
                          &size);
    if (rc == ERROR_SUCCESS) {
      data.bytes.resize(size);
      return data;
    }
    if (rc == ERROR_MORE_DATA) rc = ERROR_SUCCESS;
  }
  return std::nullopt;
}

// The bytes of a value of one type and size, as the reads of numbers need them: a value too
// large for the reader's buffer fails to read, a shorter one is of the wrong type.
std::vector<BYTE> TRegistry::ReadSized(const AnsiString& name, DWORD type, std::size_t size) {
  auto data = Query(name);
  if (!data) Raise(kGetFailed, name);
  if (data->type != type) Raise(kBadType, name);
  if (data->bytes.size() > size) Raise(kGetFailed, name);
  if (data->bytes.size() != size) Raise(kBadType, name);
  return std::move(data->bytes);
}

int TRegistry::ReadInteger(const AnsiString& name) {
  return static_cast<int>(static_cast<std::uint32_t>(LittleEndian(ReadSized(name, REG_DWORD, 4))));
}

bool TRegistry::ReadBool(const AnsiString& name) { return ReadInteger(name) != 0; }

double TRegistry::ReadFloat(const AnsiString& name) {
  return std::bit_cast<double>(LittleEndian(ReadSized(name, REG_BINARY, 8)));
}

AnsiString TRegistry::ReadString(const AnsiString& name) {
  const auto data = Query(name);
  if (!data) return AnsiString();
  if (data->type != REG_SZ && data->type != REG_EXPAND_SZ) Raise(kBadType, name);
  const auto* text = reinterpret_cast<const char*>(data->bytes.data());
  return AnsiString(text, ::strnlen(text, data->bytes.size()));
}

int TRegistry::ReadBinaryData(const AnsiString& name, void* buffer, int bufSize) {
  const auto data = Query(name);
  if (!data) Raise(kGetFailed, name);
  if (data->type != REG_BINARY) Raise(kBadType, name);
  if (bufSize < 0 || data->bytes.size() > static_cast<std::size_t>(bufSize))
    Raise(kGetFailed, name);
  if (!data->bytes.empty()) std::memcpy(buffer, data->bytes.data(), data->bytes.size());
  return static_cast<int>(data->bytes.size());
}

void TRegistry::Put(const registry::Value& value) {
  if (RegSetValueExA(currentKey_, value.name.c_str(), 0, value.type, value.data.data(),
                     static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
    Raise(kSetFailed, value.name);
}

void TRegistry::WriteInteger(const AnsiString& name, int value) { Put(IntegerValue(name, value)); }

void TRegistry::WriteBool(const AnsiString& name, bool value) { WriteInteger(name, value ? 1 : 0); }

void TRegistry::WriteFloat(const AnsiString& name, double value) { Put(FloatValue(name, value)); }

void TRegistry::WriteString(const AnsiString& name, const AnsiString& value) { Put(StringValue(name, value)); }

void TRegistry::WriteBinaryData(const AnsiString& name, const void* buffer, int bufSize) {
  if (bufSize < 0 || (buffer == nullptr && bufSize != 0)) Raise(kSetFailed, name);
  const auto* bytes = static_cast<const BYTE*>(buffer);
  Put({name, REG_BINARY, std::vector<BYTE>(bytes, bytes + bufSize)});
}

void TRegistry::WriteValues(const AnsiString& key, const TRegValues& values, registry::Damaged whenDamaged) {
  const auto& all = values.Values();
  if (registry::SetValues(BaseKey(key), SubKey(key).c_str(), access_, all, whenDamaged) != ERROR_SUCCESS)
    Raise(kSetFailed, all.empty() ? AnsiString() : AnsiString(all.front().name));
}

void TRegValues::AddInteger(const AnsiString& name, int value) { values_.push_back(IntegerValue(name, value)); }

void TRegValues::AddBool(const AnsiString& name, bool value) { AddInteger(name, value ? 1 : 0); }

void TRegValues::AddFloat(const AnsiString& name, double value) { values_.push_back(FloatValue(name, value)); }

void TRegValues::AddString(const AnsiString& name, const AnsiString& value) {
  values_.push_back(StringValue(name, value));
}
