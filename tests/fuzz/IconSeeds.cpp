// Writes the seeds of the real-size icon, icon-list and animated-cursor fuzz targets into the folder
// given, each a file of the published layouts: icons and cursors of every depth, a compressed
// image first, counts without the AND rows, lists with empty entries, animated cursors with and
// without "rate", "seq " and texts, odd sizes.
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "tests/imaging/AniFiles.h"

namespace {

using namespace anifiles;

void Write(const std::filesystem::path& folder, const std::string& name, const Bytes& bytes) {
  std::filesystem::create_directories(folder);
  std::ofstream(folder / name, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// The directory's counts without the images' AND rows, as some writers give them.
Bytes WithoutMaskCounts(Bytes file) {
  const std::size_t count = std::to_integer<std::size_t>(file[4]);
  for (std::size_t i = 0; i < count; ++i) {
    const std::size_t entry = 6 + 16 * i;
    const auto side = std::to_integer<std::uint32_t>(file[entry]);
    std::uint32_t bytes;
    std::memcpy(&bytes, file.data() + entry + 8, 4);
    bytes -= (side + 31) / 32 * 4 * side;
    std::memcpy(file.data() + entry + 8, &bytes, 4);
  }
  return file;
}

Bytes ListOf(std::initializer_list<const Bytes*> icons) {
  Bytes out;
  Put<std::uint32_t>(out, static_cast<std::uint32_t>(icons.size()));
  for (const Bytes* icon : icons) {
    Put<std::uint32_t>(out, icon ? static_cast<std::uint32_t>(icon->size()) : 0);
    if (icon) Append(out, *icon);
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::filesystem::path root(argv[1]);
  std::vector<std::string> holed(16, std::string(16, 'G'));
  holed[1][1] = '.';
  const iconfiles::Image hot{holed, 4, {3, 5}};
  const Bytes mono = SolidIcon(1, 'W', 16), four = iconfiles::File(1, {hot}), eight = SolidIcon(8, 'B'),
              rgb = SolidIcon(24, 'R', 8), rgba = SolidIcon(32, 'O', 8),
              several = iconfiles::File(1, {{holed, 1}, {iconfiles::Square(24, 'R'), 4}, {iconfiles::Square(32, 'Y'), 8}}),
              cursor = iconfiles::File(2, {hot, {iconfiles::Square(8, 'B'), 8, {2, 2}}}),
              compressedFirst = iconfiles::File(1, {{iconfiles::Square(48, 'Y'), 32, {0, 0}, true}, {holed, 32}}),
              shortCounts = WithoutMaskCounts(several);
  const std::pair<const char*, const Bytes*> icons[] = {{"mono.ico", &mono},   {"four.ico", &four},
                                                        {"eight.ico", &eight}, {"rgb.ico", &rgb},
                                                        {"rgba.ico", &rgba},   {"several.ico", &several},
                                                        {"cursor.cur", &cursor}, {"compressed-first.ico", &compressedFirst},
                                                        {"short-counts.ico", &shortCounts}};
  for (const auto& [name, bytes] : icons) Write(root / "realsize_icon", name, *bytes);

  Write(root / "iconlist", "three.lst", ListOf({&four, nullptr, &eight}));
  Write(root / "iconlist", "several.lst", ListOf({&several, &cursor}));
  Write(root / "iconlist", "empty.lst", ListOf({}));
  Write(root / "iconlist", "unusual.lst", ListOf({&compressedFirst, &shortCounts}));

  Header two;
  two.icons = two.steps = 2;
  Header three = two;
  three.icons = three.steps = 3;
  Bytes odd = four;
  odd.push_back(std::byte{0});
  Write(root / "ani", "plain.ani", Riff({Anih(two), Frames({four, eight})}));
  Write(root / "ani", "unusual.ani", Riff({Anih(two), Frames({compressedFirst, shortCounts})}));
  Write(root / "ani", "rates.ani",
        Riff({Anih(three), Chunk("rate", Dwords({5, 6, 7})), Chunk("seq ", Dwords({1})), Chunk("seq ", Dwords({1})),
              List("INFO", {Chunk("INAM", Text("Title")), Chunk("IART", Text("Ann"))}), Frames({mono, rgb, rgba})}));
  Write(root / "ani", "cursors.ani", Riff({Chunk("junk", Text("abc")), Anih(two), Frames({cursor, odd})}));
  return 0;
}
