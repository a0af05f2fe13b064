// Writing and strict reading of the hive's text form:
//   [SOFTWARE\Quillmont]
//   "count"=dword:0000000a   "name"="a \"b\" \\ \x01"   "path"=expand:"..."   "raw"=hex:00,ff
#include "platform/registry/HiveText.h"

#include <cstdio>
#include <set>

#include "platform/registry/WinReg.h"
#include "platform/win32/NameKey.h"

namespace registry {

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// Printable ASCII: the only bytes written unescaped.
bool IsPlain(char c) { return c >= 0x20 && c <= 0x7E; }

void AppendHexByte(std::string& out, BYTE b) {
  out += kHexDigits[b >> 4];
  out += kHexDigits[b & 0x0F];
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (!IsPlain(c)) {
      out += "\\x";
      AppendHexByte(out, static_cast<BYTE>(c));
    } else {
      out += c;
    }
  }
  out += '"';
}

void AppendData(std::string& out, const Value& value) {
  const auto& d = value.data;
  switch (value.type) {
    case REG_DWORD: {
      char digits[16];
      const DWORD v = DWORD{d[0]} | DWORD{d[1]} << 8 | DWORD{d[2]} << 16 | DWORD{d[3]} << 24;
      std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(v));
      out += "dword:";
      out += digits;
      return;
    }
    case REG_SZ:
    case REG_EXPAND_SZ: {
      if (value.type == REG_EXPAND_SZ) out += "expand:";
      std::string_view text(reinterpret_cast<const char*>(d.data()), d.size());
      if (!text.empty() && text.back() == '\0') text.remove_suffix(1);
      AppendQuoted(out, text);
      return;
    }
    default:
      out += "hex:";
      for (std::size_t i = 0; i < d.size(); ++i) {
        if (i != 0) out += ',';
        AppendHexByte(out, d[i]);
      }
  }
}

// Reads one line from left to right; every step fails rather than skips.
class LineReader {
 public:
  explicit LineReader(std::string_view line) : rest_(line) {}

  bool AtEnd() const { return rest_.empty(); }

  bool Take(std::string_view word) {
    if (!rest_.starts_with(word)) return false;
    rest_.remove_prefix(word.size());
    return true;
  }

  std::optional<BYTE> HexByte() {
    if (rest_.size() < 2) return std::nullopt;
    const int hi = HexValue(rest_[0]), lo = HexValue(rest_[1]);
    if (hi < 0 || lo < 0) return std::nullopt;
    rest_.remove_prefix(2);
    return static_cast<BYTE>(hi << 4 | lo);
  }

  std::optional<std::string> Quoted() {
    if (!Take("\"")) return std::nullopt;
    std::string text;
    while (!rest_.empty()) {
      const char c = rest_.front();
      rest_.remove_prefix(1);
      if (c == '"') return text;
      if (!IsPlain(c)) return std::nullopt;
      if (c != '\\') {
        text += c;
      } else if (!rest_.empty() && (rest_.front() == '"' || rest_.front() == '\\')) {
        text += rest_.front();
        rest_.remove_prefix(1);
      } else if (Take("x")) {
        const auto b = HexByte();
        if (!b) return std::nullopt;
        text += static_cast<char>(*b);
      } else {
        return std::nullopt;
      }
    }
    return std::nullopt;  // no closing quote
  }

 private:
  static int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  std::string_view rest_;
};

std::vector<BYTE> TextData(const std::string& text) {
  std::vector<BYTE> data(text.begin(), text.end());
  data.push_back(0);
  return data;
}

std::optional<Value> ParseValueData(LineReader& in) {
  Value value;
  if (in.Take("dword:")) {
    DWORD v = 0;
    for (int i = 0; i < 4; ++i) {
      const auto b = in.HexByte();
      if (!b) return std::nullopt;
      v = v << 8 | *b;
    }
    value.type = REG_DWORD;
    value.data = {BYTE(v), BYTE(v >> 8), BYTE(v >> 16), BYTE(v >> 24)};
  } else if (in.Take("hex:")) {
    value.type = REG_BINARY;
    if (!in.AtEnd()) {
      do {
        const auto b = in.HexByte();
        if (!b) return std::nullopt;
        value.data.push_back(*b);
      } while (in.Take(","));
    }
  } else {
    value.type = in.Take("expand:") ? REG_EXPAND_SZ : REG_SZ;
    const auto text = in.Quoted();
    if (!text) return std::nullopt;
    value.data = TextData(*text);
  }
  if (!in.AtEnd()) return std::nullopt;
  return value;
}

// Adds the key of a "[path]" line; null for a bad path or a key listed twice.
Key* ParseKeyLine(Hive& hive, std::set<std::string>& listed, std::string_view line) {
  if (line.size() < 2 || line.back() != ']') return nullptr;
  const auto path = line.substr(1, line.size() - 2);
  const auto names = SplitKeyPath(path);
  if (!names || names->empty()) return nullptr;
  if (!listed.insert(win32::NameKey(path)).second) return nullptr;
  CreateKey(hive, *names);
  Key* key = FindKey(hive, path);
  key->path = std::string(path);  // an implied parent takes the spelling of its own line
  return key;
}

bool ParseValueLine(Key* key, std::string_view line) {
  if (key == nullptr) return false;  // a value before any key
  LineReader in(line);
  const auto name = in.Quoted();
  if (!name || !in.Take("=")) return false;
  auto value = ParseValueData(in);
  if (!value) return false;
  value->name = *name;
  return key->values.try_emplace(win32::NameKey(*name), std::move(*value)).second;
}

}  // namespace

std::optional<Hive> ParseHive(std::string_view text, int* damagedLine) {
  if (text.ends_with('\n')) text.remove_suffix(1);
  Hive hive;
  std::set<std::string> listed;
  Key* key = nullptr;
  for (int number = 1;; ++number) {
    const auto cut = text.find('\n');
    const auto line = text.substr(0, cut);
    bool good = true;
    if (number == 1) {
      good = line == kHiveHeader;
    } else if (line.starts_with('[')) {
      key = ParseKeyLine(hive, listed, line);
      good = key != nullptr;
    } else if (!line.empty()) {
      good = ParseValueLine(key, line);
    }
    if (!good) {
      if (damagedLine) *damagedLine = number;
      return std::nullopt;
    }
    if (cut == std::string_view::npos) return hive;
    text.remove_prefix(cut + 1);
  }
}

std::string FormatHive(const Hive& hive) {
  std::string out(kHiveHeader);
  out += '\n';
  for (const auto& [id, key] : hive.keys) {
    out += "\n[";
    out += key.path;
    out += "]\n";
    for (const auto& [valueId, value] : key.values) {
      AppendQuoted(out, value.name);
      out += '=';
      AppendData(out, value);
      out += '\n';
    }
  }
  return out;
}

}  // namespace registry
