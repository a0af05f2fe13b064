// Writes the seeds of the real-size icon, icon-list and animated-cursor fuzz targets into the folder
// given, each a file of the published layouts: icons and cursors of every depth, lists with
// empty entries, animated cursors with and without "rate", "seq " and texts, odd sizes.
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
              cursor = iconfiles::File(2, {hot, {iconfiles::Square(8, 'B'), 8, {2, 2}}});
  const std::pair<const char*, const Bytes*> icons[] = {{"mono.ico", &mono},   {"four.ico", &four},
                                                        {"eight.ico", &eight}, {"rgb.ico", &rgb},
                                                        {"rgba.ico", &rgba},   {"several.ico", &several},
                                                        {"cursor.cur", &cursor}};
  for (const auto& [name, bytes] : icons) Write(root / "realsize_icon", name, *bytes);

  Write(root / "iconlist", "three.lst", ListOf({&four, nullptr, &eight}));
  Write(root / "iconlist", "several.lst", ListOf({&several, &cursor}));
  Write(root / "iconlist", "empty.lst", ListOf({}));

  Header two;
  two.icons = two.steps = 2;
  Header three = two;
  three.icons = three.steps = 3;
  Bytes odd = four;
  odd.push_back(std::byte{0});
  Write(root / "ani", "plain.ani", Riff({Anih(two), Frames({four, eight})}));
  Write(root / "ani", "rates.ani",
        Riff({Anih(three), Chunk("rate", Dwords({5, 6, 7})), Chunk("seq ", Dwords({1})), Chunk("seq ", Dwords({1})),
              List("INFO", {Chunk("INAM", Text("Title")), Chunk("IART", Text("Ann"))}), Frames({mono, rgb, rgba})}));
  Write(root / "ani", "cursors.ani", Riff({Chunk("junk", Text("abc")), Anih(two), Frames({cursor, odd})}));
  return 0;
}
