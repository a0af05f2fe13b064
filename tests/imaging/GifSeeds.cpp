// Writes the interoperability set of GIF files into the folder given: the seeds of the GIF
// reader's fuzz target.
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "tests/imaging/GiflibFixtures.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
    return 2;
  }
  std::vector<giflib_ref::NamedFile> seeds = giflib_ref::GiflibFiles();
  for (auto& file : giflib_ref::ImageMagickFiles(GIF_FIXTURES)) seeds.push_back(std::move(file));
  const std::filesystem::path folder(argv[1]);
  std::filesystem::create_directories(folder);
  for (std::size_t i = 0; i < seeds.size(); ++i) {
    std::ofstream out(folder / ("seed" + std::to_string(i) + ".gif"), std::ios::binary);
    out.write(reinterpret_cast<const char*>(seeds[i].second.data()), static_cast<std::streamsize>(seeds[i].second.size()));
  }
  std::printf("%zu seeds written to %s\n", seeds.size(), argv[1]);
  return 0;
}
