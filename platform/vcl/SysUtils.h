// The class library's text type, exception base and formatting helpers.
#pragma once

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
