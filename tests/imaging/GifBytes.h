// GIF streams built byte by byte for the tests, independently of the writer under test: each
// block as the file format lays it out, and code data that holds every pixel as a root code.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Classes.h"

namespace gif_bytes {

using Bytes = std::vector<std::uint8_t>;

// Code data of the indices, uncompressed: a clear code before the table would widen the codes.
inline Bytes RootCodes(const std::vector<std::uint8_t>& indices, int codeSize, bool terminated = true) {
  const unsigned clear = 1u << codeSize;
  const int width = codeSize + 1;
  const std::size_t run = clear - 2;
  Bytes data;
  int bits = 0;
  auto put = [&](unsigned code) {
    for (int i = 0; i < width; ++i, ++bits) {
      if (bits % 8 == 0) data.push_back(0);
      data.back() |= static_cast<std::uint8_t>(((code >> i) & 1) << (bits % 8));
    }
  };
  for (std::size_t i = 0; i < indices.size(); ++i) {
    if (i % run == 0) put(clear);
    put(indices[i]);
  }
  put(clear + 1);
  Bytes out{static_cast<std::uint8_t>(codeSize)};
  for (std::size_t at = 0; at < data.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, data.size() - at);
    out.push_back(static_cast<std::uint8_t>(n));
    out.insert(out.end(), data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  if (terminated) out.push_back(0);
  return out;
}

class Builder {
 public:
  Builder& Raw(std::initializer_list<int> bytes) {
    for (int b : bytes) bytes_.push_back(static_cast<std::uint8_t>(b));
    return *this;
  }
  Builder& Raw(const Bytes& bytes) {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    return *this;
  }
  Builder& Text(const std::string& text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  Builder& Word(int value) { return Raw({value & 0xFF, (value >> 8) & 0xFF}); }
  // "GIF89a" and a screen with a global table of 2^bits grey levels (none with bits 0).
  Builder& Head(int width, int height, int bits, int background = 0, const char* signature = "GIF89a") {
    Text(signature).Word(width).Word(height);
    Raw({bits > 0 ? 0x80 | 0x70 | (bits - 1) : 0x70, background, 0});
    return Table(bits);
  }
  // 2^bits entries: entry i is (i, 2i, 3i) modulo 256.
  Builder& Table(int bits) {
    for (int i = 0; bits > 0 && i < 1 << bits; ++i) Raw({i, 2 * i, 3 * i});
    return *this;
  }
  Builder& Control(int packed, int delay, int transparent) {
    return Raw({0x21, 0xF9, 4, packed}).Word(delay).Raw({transparent, 0});
  }
  Builder& SubBlocks(const std::vector<std::string>& blocks) {
    for (const std::string& b : blocks) Raw({static_cast<int>(b.size())}).Text(b);
    return Raw({0});
  }
  Builder& Comment(const std::vector<std::string>& lines) { return Raw({0x21, 0xFE}).SubBlocks(lines); }
  Builder& Application(const std::string& name, const std::vector<std::string>& blocks) {
    return Raw({0x21, 0xFF, 11}).Text(name).SubBlocks(blocks);
  }
  Builder& Loop(int count, const char* name = "NETSCAPE2.0") {
    return Application(name, {std::string{1, static_cast<char>(count & 0xFF), static_cast<char>(count >> 8)}});
  }
  Builder& PlainText() {
    Raw({0x21, 0x01, 12});
    for (int i = 0; i < 12; ++i) Raw({0});
    return SubBlocks({"text"});
  }
  // An image block; localBits > 0 adds a local table; the pixels are their indices.
  Builder& Image(int left, int top, int width, int height, const std::vector<std::uint8_t>& indices, int codeSize = 2,
                 int localBits = 0, bool interlaced = false) {
    Raw({0x2C}).Word(left).Word(top).Word(width).Word(height);
    Raw({(localBits > 0 ? 0x80 | (localBits - 1) : 0) | (interlaced ? 0x40 : 0)});
    Table(localBits);
    return Raw(RootCodes(indices, codeSize));
  }
  Builder& End() { return Raw({0x3B}); }

  const Bytes& bytes() const { return bytes_; }
  std::unique_ptr<TMemoryStream> Stream() const {
    auto s = std::make_unique<TMemoryStream>();
    s->WriteBuffer(bytes_.data(), static_cast<int>(bytes_.size()));
    s->SetPosition(0);
    return s;
  }

 private:
  Bytes bytes_;
};

}  // namespace gif_bytes
