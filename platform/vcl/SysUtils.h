// The class library's text type, exception base and family, and text and number helpers.
// Exceptions are C++ exceptions; `Message` is what the application object shows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

// 8-bit text. The class library's strings are reference-counted; a value string serves the
// same purpose here.
using AnsiString = std::string;

// printf-style formatting into a new text.
AnsiString Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Base of every exception the class library raises; `Message` is what a message box shows.
class Exception : public std::exception {
 public:
  explicit Exception(AnsiString message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }
  AnsiString Message;
};

// A text or value that does not convert, or an object that cannot be assigned to another.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// Memory or system resources ran out ("Out of memory", "Out of system resources").
class EOutOfMemory : public Exception {
 public:
  using Exception::Exception;
};

// An operation the object's state does not allow.
class EInvalidOperation : public Exception {
 public:
  using Exception::Exception;
};

// A platform call failed; `ErrorCode` is the platform's error code.
class EWin32Error : public Exception {
 public:
  EWin32Error(AnsiString message, std::uint32_t errorCode) : Exception(std::move(message)), ErrorCode(errorCode) {}
  std::uint32_t ErrorCode;
};

// The silent exception: it ends an operation, and the application object shows nothing for it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
};
[[noreturn]] void Abort();

// The platform's text for an error code.
AnsiString SysErrorMessage(std::uint32_t errorCode);
// EWin32Error "Win32 Error.  Code: %u." with a line break and the platform's text, for the
// calling thread's last error code; "A Win32 API function failed" when that code is 0.
[[noreturn]] void RaiseLastWin32Error();
// Returns a true RetVal; a false one raises the last error.
bool Win32Check(bool RetVal);

// The flags the run-time's heap blocks of the platform's global memory are allocated with
// (movable unless the program changes them).
extern std::uint32_t HeapAllocFlags;

// Days since 30 December 1899, the time of day as the fraction.
using TDateTime = double;
// EConvertError "Invalid argument to date encode" / "... time encode" outside the calendar.
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);

// Decimal text to a 32-bit integer: optional blanks before, optional sign, decimal digits or
// a hexadecimal number after "$" or "0x". Anything else raises EConvertError
// "'%s' is not a valid integer value".
int StrToInt(const AnsiString& text);

// Decimal text of a number.
AnsiString IntToStr(std::int64_t value);

// The text with the letters of the 8-bit character set (Latin-1, as the fonts draw it)
// upper-cased (lower-cased), as the user's locale would.
AnsiString AnsiUpperCase(const AnsiString& text);
AnsiString AnsiLowerCase(const AnsiString& text);
// Leading and trailing blanks and control characters removed.
AnsiString Trim(const AnsiString& text);

// A zero-filled character buffer of Size bytes whose size the run-time remembers; StrDispose
// frees it (null does nothing), StrBufSize reports the size.
char* StrAlloc(std::size_t Size);
void StrDispose(char* Str);
std::size_t StrBufSize(const char* Str);

// The text with the ASCII letters upper-cased (lower-cased); every other byte unchanged.
AnsiString UpperCase(const AnsiString& text);
AnsiString LowerCase(const AnsiString& text);
