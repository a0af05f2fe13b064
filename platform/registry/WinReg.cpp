// The registry functions over the hive file: open keys are handles to a root and a path,
// looked up anew in the file on every call, so changes by other processes are seen at once.
#include "platform/registry/WinReg.h"

#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/HiveFile.h"
#include "platform/win32/NameKey.h"

namespace {

using registry::Hive;

enum class Root { CurrentUser, Other };

// What a handle stands for, or a root plus a sub-key resolves to.
struct KeyRef {
  Root root = Root::CurrentUser;
  std::string path;  // "" is the root itself
  REGSAM access = KEY_ALL_ACCESS;
};

class KeyHandles {
 public:
  HKEY Add(KeyRef key) {
    std::lock_guard lock(mutex_);
    const auto id = ++lastId_;
    keys_.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
  }
  bool Remove(HKEY handle) {
    std::lock_guard lock(mutex_);
    return keys_.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
  }
  std::optional<KeyRef> Find(HKEY handle) {
    std::lock_guard lock(mutex_);
    const auto it = keys_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == keys_.end()) return std::nullopt;
    return it->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::uintptr_t, KeyRef> keys_;
  std::uintptr_t lastId_ = 0;  // counts up from 1, far below the roots' values
};

KeyHandles& Handles() {
  static KeyHandles handles;
  return handles;
}

std::optional<KeyRef> RootRef(HKEY handle) {
  if (handle == HKEY_CURRENT_USER) return KeyRef{Root::CurrentUser, "", KEY_ALL_ACCESS};
  for (HKEY other : {HKEY_CLASSES_ROOT, HKEY_LOCAL_MACHINE, HKEY_USERS, HKEY_CURRENT_CONFIG})
    if (handle == other) return KeyRef{Root::Other, "", KEY_ALL_ACCESS};
  return std::nullopt;
}

// The key a handle and a sub-key name together; a null sub-key is the handle's own key.
LONG Resolve(HKEY handle, LPCSTR subKey, KeyRef& out) {
  auto base = RootRef(handle);
  if (!base) base = Handles().Find(handle);
  if (!base) return ERROR_INVALID_HANDLE;
  const std::string sub = subKey != nullptr ? subKey : "";
  if (!registry::SplitKeyPath(sub)) return ERROR_BAD_PATHNAME;
  out = *base;
  if (!sub.empty()) out.path = out.path.empty() ? sub : out.path + '\\' + sub;
  return ERROR_SUCCESS;
}

LONG LoadRoot(Root root, std::shared_ptr<const Hive>& hive) {
  if (root == Root::CurrentUser) return registry::LoadHive(hive);
  static const auto empty = std::make_shared<const Hive>();  // the other roots stay empty
  hive = empty;
  return ERROR_SUCCESS;
}

LONG UpdateRoot(Root root, const std::function<LONG(Hive&)>& change,
                registry::Damaged whenDamaged = registry::Damaged::Refuse) {
  if (root != Root::CurrentUser) return ERROR_ACCESS_DENIED;
  return registry::UpdateHive(change, whenDamaged);
}

// The value a handle's key holds under `name` ("" when null), for a read; `hive` keeps it.
LONG FindValue(HKEY handle, LPCSTR name, std::shared_ptr<const Hive>& hive, const registry::Value*& value) {
  KeyRef key;
  if (const LONG rc = Resolve(handle, nullptr, key); rc != ERROR_SUCCESS) return rc;
  if ((key.access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
  if (const LONG rc = LoadRoot(key.root, hive); rc != ERROR_SUCCESS) return rc;
  if (!registry::KeyExists(*hive, key.path)) return ERROR_KEY_DELETED;
  const registry::Key* found = registry::FindKey(*hive, key.path);
  if (found == nullptr) return ERROR_FILE_NOT_FOUND;  // the root holds no values
  const auto it = found->values.find(win32::NameKey(name != nullptr ? name : ""));
  if (it == found->values.end()) return ERROR_FILE_NOT_FOUND;
  value = &it->second;
  return ERROR_SUCCESS;
}

// Runs `edit` on the values of a handle's key inside a locked update.
LONG EditValues(HKEY handle,
                const std::function<LONG(std::map<std::string, registry::Value>&)>& edit) {
  KeyRef key;
  if (const LONG rc = Resolve(handle, nullptr, key); rc != ERROR_SUCCESS) return rc;
  if ((key.access & KEY_SET_VALUE) == 0) return ERROR_ACCESS_DENIED;
  return UpdateRoot(key.root, [&](Hive& hive) {
    if (!registry::KeyExists(hive, key.path)) return ERROR_KEY_DELETED;
    registry::Key* found = registry::FindKey(hive, key.path);
    if (found == nullptr) return ERROR_ACCESS_DENIED;  // no values on the root itself
    return edit(found->values);
  });
}

bool IsStoredType(DWORD type) {
  return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_BINARY || type == REG_DWORD;
}

// The value a write stores; none for a type that is not stored or data that does not fit it.
std::optional<registry::Value> StoredValue(const std::string& name, DWORD type, const BYTE* data, DWORD size) {
  if (!IsStoredType(type) || (type == REG_DWORD && size != 4) || (data == nullptr && size != 0)) return std::nullopt;
  registry::Value value{name, type, std::vector<BYTE>(data, data + size)};
  // A text always ends in a zero, so every reader finds its end.
  if ((type == REG_SZ || type == REG_EXPAND_SZ) && (size == 0 || data[size - 1] != 0)) value.data.push_back(0);
  return value;
}

void Store(std::map<std::string, registry::Value>& values, const registry::Value& value) {
  const auto [it, added] = values.try_emplace(win32::NameKey(value.name), value);
  if (!added) {  // an existing value keeps the spelling of its name
    it->second.type = value.type;
    it->second.data = value.data;
  }
}

// No exception leaves a registry function: one raised inside (memory running out) fails the
// call with `failure`.
template <class TCall>
LONG Guarded(LONG failure, TCall call) noexcept {
  try {
    return call();
  } catch (...) {
    return failure;
  }
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                   PHKEY phkResult) {
  return Guarded(ERROR_READ_FAULT, [&]() -> LONG {
    if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    if (const LONG rc = Resolve(hKey, lpSubKey, key); rc != ERROR_SUCCESS) return rc;
    std::shared_ptr<const Hive> hive;
    if (const LONG rc = LoadRoot(key.root, hive); rc != ERROR_SUCCESS) return rc;
    if (!registry::KeyExists(*hive, key.path)) return ERROR_FILE_NOT_FOUND;
    key.access = samDesired;
    *phkResult = Handles().Add(std::move(key));
    return ERROR_SUCCESS;
  });
}

LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                     DWORD dwOptions, REGSAM samDesired,
                     LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                     LPDWORD lpdwDisposition) {
  return Guarded(ERROR_WRITE_FAULT, [&]() -> LONG {
    if (phkResult == nullptr || lpSubKey == nullptr || dwOptions != REG_OPTION_NON_VOLATILE)
      return ERROR_INVALID_PARAMETER;
    KeyRef key;
    if (const LONG rc = Resolve(hKey, lpSubKey, key); rc != ERROR_SUCCESS) return rc;
    bool created = false;
    const LONG rc = UpdateRoot(key.root, [&](Hive& hive) {
      created = registry::CreateKey(hive, *registry::SplitKeyPath(key.path));
      return ERROR_SUCCESS;
    });
    if (rc != ERROR_SUCCESS) return rc;
    if (lpdwDisposition != nullptr)
      *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    key.access = samDesired;
    *phkResult = Handles().Add(std::move(key));
    return ERROR_SUCCESS;
  });
}

LONG RegCloseKey(HKEY hKey) {
  if (RootRef(hKey)) return ERROR_SUCCESS;
  return Handles().Remove(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType,
                      LPBYTE lpData, LPDWORD lpcbData) {
  return Guarded(ERROR_READ_FAULT, [&]() -> LONG {
    if (lpReserved != nullptr || (lpData != nullptr && lpcbData == nullptr))
      return ERROR_INVALID_PARAMETER;
    std::shared_ptr<const Hive> hive;
    const registry::Value* value = nullptr;
    if (const LONG rc = FindValue(hKey, lpValueName, hive, value); rc != ERROR_SUCCESS) return rc;
    if (lpType != nullptr) *lpType = value->type;
    if (lpcbData == nullptr) return ERROR_SUCCESS;
    const auto size = static_cast<DWORD>(value->data.size());
    if (lpData != nullptr) {
      if (*lpcbData < size) {
        *lpcbData = size;
        return ERROR_MORE_DATA;
      }
      if (size != 0) std::memcpy(lpData, value->data.data(), size);
    }
    *lpcbData = size;
    return ERROR_SUCCESS;
  });
}

LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                    const BYTE* lpData, DWORD cbData) {
  return Guarded(ERROR_WRITE_FAULT, [&]() -> LONG {
    const auto value = StoredValue(lpValueName != nullptr ? lpValueName : "", dwType, lpData, cbData);
    if (!value) return ERROR_INVALID_PARAMETER;
    return EditValues(hKey, [&](std::map<std::string, registry::Value>& values) {
      Store(values, *value);
      return ERROR_SUCCESS;
    });
  });
}

LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  return Guarded(ERROR_WRITE_FAULT, [&]() -> LONG {
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    return EditValues(hKey, [&](std::map<std::string, registry::Value>& values) {
      return values.erase(win32::NameKey(name)) != 0 ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
  });
}

LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  return Guarded(ERROR_WRITE_FAULT, [&]() -> LONG {
    if (lpSubKey == nullptr) return ERROR_INVALID_PARAMETER;
    KeyRef key;
    if (const LONG rc = Resolve(hKey, lpSubKey, key); rc != ERROR_SUCCESS) return rc;
    if (key.path.empty()) return ERROR_ACCESS_DENIED;  // a root is never deleted
    return UpdateRoot(key.root, [&](Hive& hive) {
      if (!registry::KeyExists(hive, key.path)) return ERROR_FILE_NOT_FOUND;
      if (registry::HasSubKeys(hive, key.path)) return ERROR_ACCESS_DENIED;
      hive.keys.erase(win32::NameKey(key.path));
      return ERROR_SUCCESS;
    });
  });
}

LONG registry::SetValues(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, std::span<const Value> values,
                         Damaged whenDamaged) {
  return Guarded(ERROR_WRITE_FAULT, [&]() -> LONG {
    KeyRef key;
    if (const LONG rc = Resolve(hKey, lpSubKey, key); rc != ERROR_SUCCESS) return rc;
    if ((samDesired & KEY_SET_VALUE) == 0 || key.path.empty()) return ERROR_ACCESS_DENIED;
    std::vector<Value> stored;
    for (const Value& v : values) {
      auto value = StoredValue(v.name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
      if (!value) return ERROR_INVALID_PARAMETER;
      stored.push_back(std::move(*value));
    }
    const auto names = *SplitKeyPath(key.path);
    return UpdateRoot(key.root, [&](Hive& hive) {
      CreateKey(hive, names);
      Key& target = *FindKey(hive, key.path);
      for (const Value& value : stored) Store(target.values, value);
      return ERROR_SUCCESS;
    }, whenDamaged);
  });
}
