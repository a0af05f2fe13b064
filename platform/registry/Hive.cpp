// The key tree of a registry root: path checks, look-up without regard to case, creation of
// missing parents.
#include "platform/registry/Hive.h"

#include "platform/win32/NameKey.h"

namespace registry {

namespace {

constexpr std::size_t kMaxKeyName = 255;

bool IsKeyName(std::string_view name) {
  if (name.empty() || name.size() > kMaxKeyName) return false;
  for (const char c : name)
    if (c < 0x20 || c > 0x7E) return false;
  return true;
}

}  // namespace

std::optional<std::vector<std::string>> SplitKeyPath(std::string_view path) {
  std::vector<std::string> names;
  if (path.empty()) return names;
  for (;;) {
    const auto cut = path.find('\\');
    const auto name = path.substr(0, cut);
    if (!IsKeyName(name)) return std::nullopt;
    names.emplace_back(name);
    if (cut == std::string_view::npos) return names;
    path.remove_prefix(cut + 1);
  }
}

Key* FindKey(Hive& hive, std::string_view path) {
  const auto it = hive.keys.find(win32::NameKey(path));
  return it == hive.keys.end() ? nullptr : &it->second;
}

const Key* FindKey(const Hive& hive, std::string_view path) {
  const auto it = hive.keys.find(win32::NameKey(path));
  return it == hive.keys.end() ? nullptr : &it->second;
}

bool KeyExists(const Hive& hive, std::string_view path) {
  return path.empty() || FindKey(hive, path) != nullptr;
}

bool HasSubKeys(const Hive& hive, std::string_view path) {
  // Sub-keys sort right after their parent's path and a separator.
  const std::string prefix = path.empty() ? std::string() : win32::NameKey(path) + '\\';
  const auto it = hive.keys.lower_bound(prefix);
  return it != hive.keys.end() && it->first.starts_with(prefix);
}

bool CreateKey(Hive& hive, const std::vector<std::string>& names) {
  bool created = false;
  std::string path;
  for (const auto& name : names) {
    if (!path.empty()) path += '\\';
    path += name;
    const auto [it, added] = hive.keys.try_emplace(win32::NameKey(path), Key{path, {}});
    path = it->second.path;  // an existing parent keeps its own spelling
    created = added;
  }
  return created;
}

}  // namespace registry
