// Animated cursors written for tests from the published RIFF layout: the form "ACON" with its
// "anih", "rate", "seq " and "LIST" chunks, each chunk padded to an even size; the icon files
// inside come from tests/support/IconFiles.h.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "platform/vcl/Icon.h"
#include "tests/support/IconFiles.h"

namespace anifiles {

using Bytes = std::vector<std::byte>;
using iconfiles::Put;

inline void Append(Bytes& out, const Bytes& more) { out.insert(out.end(), more.begin(), more.end()); }

inline Bytes Text(const std::string& text) {
  Bytes out;
  for (char c : text) out.push_back(std::byte(c));
  return out;
}

// The stream holds just the bytes, from position 0.
inline void Fill(TMemoryStream& stream, const Bytes& bytes) {
  stream.Clear();
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
}

inline Bytes FileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<char> chars{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  Bytes out(chars.size());
  std::memcpy(out.data(), chars.data(), chars.size());
  return out;
}

inline Bytes BytesOf(TCustomMemoryStream& stream) {
  const auto* p = static_cast<const std::byte*>(stream.GetMemory());
  return Bytes(p, p + stream.GetSize());
}

inline std::unique_ptr<TIcon> IconFrom(const Bytes& file) {
  auto icon = std::make_unique<TIcon>();
  TMemoryStream stream;
  Fill(stream, file);
  icon->LoadFromStream(&stream);
  return icon;
}

// The icon's file data as it saves it.
inline Bytes SavedBytes(TIcon* icon) {
  TMemoryStream stream;
  icon->SaveToStream(&stream);
  return BytesOf(stream);
}

// A square icon (type 1) or cursor (type 2) file of one letter's colour at a depth, opaque.
inline Bytes SolidIcon(int bits, char letter, int side = 32, WORD type = 1) {
  const std::vector<std::string> rows(static_cast<std::size_t>(side), std::string(static_cast<std::size_t>(side), letter));
  return iconfiles::File(type, {{rows, bits}});
}

// A chunk: id, 32-bit size, the data and a pad byte when the size is odd. A `size` other than
// -1 is written in place of the data's (a damaged file).
inline Bytes Chunk(const char (&id)[5], const Bytes& data, std::int64_t size = -1) {
  Bytes out = Text(std::string(id, 4));
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(size == -1 ? static_cast<std::int64_t>(data.size()) : size));
  Append(out, data);
  if (data.size() % 2) out.push_back(std::byte(0));
  return out;
}

inline Bytes List(const char (&type)[5], std::initializer_list<Bytes> chunks) {
  Bytes data = Text(std::string(type, 4));
  for (const Bytes& c : chunks) Append(data, c);
  return Chunk("LIST", data);
}

inline Bytes Dwords(std::initializer_list<std::uint32_t> values) {
  Bytes out;
  for (std::uint32_t v : values) Put(out, v);
  return out;
}

struct Header {
  std::int32_t icons = 1;
  std::int32_t steps = 1;
  std::int32_t width = 32;
  std::int32_t height = 32;
  std::int32_t bitCount = 4;
  std::int32_t planes = 1;
  std::int32_t rate = 10;
  std::uint32_t flags = 1;
};

inline Bytes AnihData(const Header& h) {
  return Dwords({36, static_cast<std::uint32_t>(h.icons), static_cast<std::uint32_t>(h.steps),
                 static_cast<std::uint32_t>(h.width), static_cast<std::uint32_t>(h.height),
                 static_cast<std::uint32_t>(h.bitCount), static_cast<std::uint32_t>(h.planes),
                 static_cast<std::uint32_t>(h.rate), h.flags});
}
inline Bytes Anih(const Header& h) { return Chunk("anih", AnihData(h)); }

// A "LIST" "fram" of one "icon" chunk per file.
inline Bytes Frames(const std::vector<Bytes>& files) {
  Bytes data = Text("fram");
  for (const Bytes& f : files) Append(data, Chunk("icon", f));
  return Chunk("LIST", data);
}

inline Bytes Riff(std::initializer_list<Bytes> chunks, const char (&form)[5] = "ACON") {
  Bytes data = Text(std::string(form, 4));
  for (const Bytes& c : chunks) Append(data, c);
  Bytes out = Text("RIFF");
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(data.size()));
  Append(out, data);
  return out;
}

}  // namespace anifiles
