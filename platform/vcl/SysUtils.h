// The class library's text type, exception base and family, and text and number helpers.
// Exceptions are C++ exceptions; `Message` is what the application object shows.
#pragma once

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

// The silent exception: it ends an operation, and the application object shows nothing for it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
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

// Decimal text to a 32-bit integer: optional blanks before, optional sign, decimal digits or
// a hexadecimal number after "$" or "0x". Anything else raises EConvertError
// "'%s' is not a valid integer value".
int StrToInt(const AnsiString& text);

// Decimal text of a number.
AnsiString IntToStr(std::int64_t value);

// The text with the ASCII letters upper-cased (lower-cased); every other byte unchanged.
AnsiString UpperCase(const AnsiString& text);
AnsiString LowerCase(const AnsiString& text);
