// Writes the image library's two screen cursors as cursor files: a hand pointing left and a
// closed hand, 32 x 32 in black and white, from the pictures below ('.' transparent).
//   imaging_cursors <output folder>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Cursor {
  const char* file;
  int hotX, hotY;
  std::vector<std::string> rows;
};

const Cursor kCursors[] = {
    {"qm_handcur.cur", 6, 16,
     {"................................", "................................", "................................",
      "................................", "................................", "................................",
      "................................", "................................", ".................KKKK...........",
      "................KWWWWK..........", "................KWWWWK..........", "................KWWWWKKKKKKK....",
      "...............KWWWWWWWWWWWWK...", ".......KKKKKKKKKWWWWWWWWWWWWK...", "......KWWWWWWWWWWWWWWWWWWWWWK...",
      "......KWWWWWWWWWWWWWWWWWWWWWK...", "......KWWWWWWWWWWWWWWWWWWWWWK...", ".......KKKKKKKKKWWWWWWWWWWWWK...",
      "..............KWWWWWWWWWWWWWK...", ".............KWWWWWWWWWWWWWK....", ".............KKKKKWWWWWWWWWK....",
      "..............KWWWWWWWWWWWWK....", "..............KKKKWWWWWWWWK.....", "...............KWWWWWWWWWWK.....",
      "................KKKKKKKKKK......", "................................", "................................",
      "................................", "................................", "................................",
      "................................", "................................"}},
    {"qm_dragcur.cur", 15, 16,
     {"................................", "................................", "................................",
      "................................", "................................", "................................",
      "................................", "................................", "................................",
      "..........KK.KK.KK..............", ".........KWWKWWKWWKK............", ".........KWWKWWKWWKWK...........",
      "........KKWWWWWWWWWWK...........", ".......KWKWWWWWWWWWWK...........", ".......KWWWWWWWWWWWWWK..........",
      ".......KWWWWWWWWWWWWWK..........", "........KWWWWWWWWWWWWK..........", "........KWWWWWWWWWWWWK..........",
      ".........KWWWWWWWWWWK...........", ".........KWWWWWWWWWWK...........", "..........KWWWWWWWWK............",
      "..........KWWWWWWWWK............", "..........KKKKKKKKKK............", "................................",
      "................................", "................................", "................................",
      "................................", "................................", "................................",
      "................................", "................................"}},
};

template <class T>
void Put(std::vector<std::uint8_t>& out, T v) {
  for (std::size_t i = 0; i < sizeof v; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// A cursor file of one monochrome image: directory, info header twice as high, black and
// white colours, XOR rows (1 = white), AND rows (1 = transparent), bottom row first.
std::vector<std::uint8_t> CursorFile(const Cursor& c) {
  constexpr int kSide = 32, kRowBytes = 4;
  std::vector<std::uint8_t> image;
  Put<std::uint32_t>(image, 40);
  Put<std::int32_t>(image, kSide);
  Put<std::int32_t>(image, 2 * kSide);
  Put<std::uint16_t>(image, 1);
  Put<std::uint16_t>(image, 1);
  for (int i = 0; i < 6; ++i) Put<std::uint32_t>(image, 0);
  Put<std::uint32_t>(image, 0x000000);
  Put<std::uint32_t>(image, 0xFFFFFF);
  for (const char transparent : {'W', '.'}) {  // XOR rows mark white, AND rows transparent
    for (int y = kSide - 1; y >= 0; --y) {
      std::uint8_t row[kRowBytes] = {};
      for (int x = 0; x < kSide; ++x)
        if (c.rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] == transparent)
          row[x / 8] = static_cast<std::uint8_t>(row[x / 8] | 0x80 >> (x % 8));
      image.insert(image.end(), row, row + kRowBytes);
    }
  }
  std::vector<std::uint8_t> file;
  Put<std::uint16_t>(file, 0);
  Put<std::uint16_t>(file, 2);
  Put<std::uint16_t>(file, 1);
  file.insert(file.end(), {kSide, kSide, 2, 0});
  Put<std::uint16_t>(file, static_cast<std::uint16_t>(c.hotX));
  Put<std::uint16_t>(file, static_cast<std::uint16_t>(c.hotY));
  Put<std::uint32_t>(file, static_cast<std::uint32_t>(image.size()));
  Put<std::uint32_t>(file, 22);
  file.insert(file.end(), image.begin(), image.end());
  return file;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: imaging_cursors <output folder>\n");
    return 2;
  }
  for (const Cursor& c : kCursors) {
    for (const std::string& row : c.rows)
      if (row.size() != 32 || c.rows.size() != 32) {
        std::fprintf(stderr, "%s: the picture must be 32 x 32\n", c.file);
        return 1;
      }
    const std::vector<std::uint8_t> bytes = CursorFile(c);
    std::ofstream out(std::filesystem::path(argv[1]) / c.file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::fprintf(stderr, "cannot write %s\n", c.file);
      return 1;
    }
  }
  return 0;
}
