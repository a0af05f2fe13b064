// Lookup keys for the platform's names (modules, resources), which compare without regard to
// case. Only the ASCII letters are folded; other 8-bit characters must match exactly.
#pragma once

#include <string>
#include <string_view>

namespace win32 {

inline std::string NameKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

}  // namespace win32
