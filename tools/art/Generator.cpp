// The art generators' command line and their one way of failing.
#include "tools/art/Generator.h"

#include <cstdio>
#include <exception>
#include <string>

namespace art {

int RunGenerator(int argc, char** argv,
                 const std::function<void(const std::filesystem::path& out, const std::filesystem::path* previews)>& draw) {
  const std::string name = std::filesystem::path(argv[0]).filename().string();
  if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--previews")) {
    std::fprintf(stderr, "usage: %s <output folder> [--previews <folder>]\n", name.c_str());
    return 2;
  }
  try {
    const std::filesystem::path out = argv[1], previews = argc == 4 ? argv[3] : "";
    std::filesystem::create_directories(out);
    draw(out, argc == 4 ? &previews : nullptr);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", name.c_str(), e.what());
    return 1;
  }
}

}  // namespace art
