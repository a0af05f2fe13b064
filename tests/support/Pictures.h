// Expected pictures in tests: rows of letters joined with newlines, so they read as pictures.
#pragma once

#include <initializer_list>
#include <string>

inline std::string Rows(std::initializer_list<const char*> rows) {
  std::string out;
  for (const char* r : rows) (out += r) += '\n';
  return out;
}
