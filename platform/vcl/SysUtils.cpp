// Formatting, integer conversion and upper-casing of the class library's run-time.
// StrToInt accepts what the class library accepts and reports the rest as EConvertError.
#include "platform/vcl/SysUtils.h"

#include <cstdarg>
#include <cstdio>
#include <limits>
#include <locale>

AnsiString Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  AnsiString out;
  if (length > 0) {
    out.resize(static_cast<std::size_t>(length));
    std::vsnprintf(out.data(), out.size() + 1, format, again);
  }
  va_end(again);
  return out;
}

namespace {

int DigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 99;
}

// Moves the ASCII letters from one case's range to the other's.
AnsiString ShiftLetters(const AnsiString& text, char first, char offsetTo) {
  AnsiString out = text;
  for (char& c : out)
    if (c >= first && c <= first + 25) c = static_cast<char>(c - first + offsetTo);
  return out;
}

}  // namespace

int StrToInt(const AnsiString& text) {
  const auto fail = [&text]() -> int { throw EConvertError(Format("'%s' is not a valid integer value", text.c_str())); };
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && text[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  if (i == text.size()) return fail();
  // Hexadecimal numbers may fill all 32 bits (the sign bit included); decimal ones keep the range.
  const std::int64_t limit = base == 16 ? 0xFFFFFFFFll : (negative ? 0x80000000ll : 0x7FFFFFFFll);
  std::int64_t value = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i]);
    if (digit >= base) return fail();
    value = value * base + digit;
    if (value > limit) return fail();
  }
  if (base == 16) value = static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
  return static_cast<int>(negative ? -value : value);
}

AnsiString IntToStr(std::int64_t value) { return std::to_string(value); }

AnsiString UpperCase(const AnsiString& text) { return ShiftLetters(text, 'a', 'A'); }
AnsiString LowerCase(const AnsiString& text) { return ShiftLetters(text, 'A', 'a'); }

char DecimalSeparator = [] {
  try {
    return std::use_facet<std::numpunct<char>>(std::locale("")).decimal_point();
  } catch (const std::exception&) {
    return '.';  // the environment names a locale this system does not have
  }
}();
