// Formatting, integer conversion and upper-casing of the class library's run-time.
// StrToInt accepts what the class library accepts and reports the rest as EConvertError.
#include "platform/vcl/SysUtils.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/win32/GlobalMemory.h"
#include "platform/win32/Kernel32.h"

std::uint32_t HeapAllocFlags = GMEM_MOVEABLE;

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

void Abort() { throw EAbort("Operation aborted"); }

AnsiString SysErrorMessage(std::uint32_t errorCode) { return SystemErrorText(errorCode); }

void RaiseLastWin32Error() {
  const DWORD code = GetLastError();
  if (code == ERROR_SUCCESS) throw EWin32Error("A Win32 API function failed", 0);
  throw EWin32Error(Format("Win32 Error.  Code: %u.\n%s", code, SysErrorMessage(code).c_str()), code);
}

bool Win32Check(bool RetVal) {
  if (!RetVal) RaiseLastWin32Error();
  return RetVal;
}

namespace {

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

}  // namespace

TDateTime EncodeDate(int Year, int Month, int Day) {
  static constexpr int kDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                       {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};
  const int leap = IsLeapYear(Year) ? 1 : 0;
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > kDays[leap][Month - 1])
    throw EConvertError("Invalid argument to date encode");
  long long days = Day;
  for (int m = 0; m < Month - 1; ++m) days += kDays[leap][m];
  const long long y = Year - 1;
  days += y * 365 + y / 4 - y / 100 + y / 400;
  return static_cast<TDateTime>(days - 693594);  // 693594 days from 1 January 1 to 30 December 1899
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999)
    throw EConvertError("Invalid argument to time encode");
  return ((Hour * 3600000.0) + Min * 60000.0 + Sec * 1000.0 + MSec) / 86400000.0;
}

namespace {

// Latin-1 letters: A-Z and 0xC0-0xDE (but 0xD7, the multiplication sign) pair with the same
// code plus 32; 0xDF and 0xFF have no partner in the set.
char ToUpperLatin1(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7)) return static_cast<char>(u - 32);
  return c;
}
char ToLowerLatin1(char c) {
  const auto u = static_cast<unsigned char>(c);
  if ((u >= 'A' && u <= 'Z') || (u >= 0xC0 && u <= 0xDE && u != 0xD7)) return static_cast<char>(u + 32);
  return c;
}

// Each buffer starts with its size, so StrDispose and StrBufSize need only the pointer.
constexpr std::size_t kStrHeader = alignof(std::max_align_t);

}  // namespace

AnsiString AnsiUpperCase(const AnsiString& text) {
  AnsiString out = text;
  for (char& c : out) c = ToUpperLatin1(c);
  return out;
}

AnsiString AnsiLowerCase(const AnsiString& text) {
  AnsiString out = text;
  for (char& c : out) c = ToLowerLatin1(c);
  return out;
}

AnsiString Trim(const AnsiString& text) {
  std::size_t first = 0, last = text.size();
  while (first < last && static_cast<unsigned char>(text[first]) <= ' ') ++first;
  while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') --last;
  return text.substr(first, last - first);
}

char* StrAlloc(std::size_t Size) {
  auto* block = static_cast<std::byte*>(std::calloc(1, kStrHeader + Size));
  if (!block) throw EOutOfMemory("Out of memory");
  *reinterpret_cast<std::size_t*>(block) = Size;
  return reinterpret_cast<char*>(block + kStrHeader);
}

void StrDispose(char* Str) {
  if (Str) std::free(reinterpret_cast<std::byte*>(Str) - kStrHeader);
}

std::size_t StrBufSize(const char* Str) {
  return Str ? *reinterpret_cast<const std::size_t*>(reinterpret_cast<const std::byte*>(Str) - kStrHeader) : 0;
}
