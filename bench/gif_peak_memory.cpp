// The peak memory of loading one large GIF frame, ours and the GIF library's, each in a process
// of its own: `write FILE` writes a 16384 x 16384 frame of 256 colours once; `ours FILE` and
// `giflib FILE` hold the file's bytes in memory, then load them (ours from a stream to the
// frame's bitmap, the library's slurp into its raster) and print how far the peak of resident
// memory rose above what was resident with the bytes alone, beside the size of the decoded frame.
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/QmGIF.h"
#include "tests/imaging/GiflibFixtures.h"
#include "tests/imaging/GiflibReference.h"

namespace {

constexpr int kSide = 16384;
constexpr int kBlock = 16;  // the picture's patches, enlarged to blocks of 16 x 16 pixels

double PeakMiB() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double ResidentMiB() {
  long pages = 0, resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void WriteFrame(const char* path) {
  constexpr int small = kSide / kBlock;
  const std::vector<std::uint8_t> patches = giflib_ref::Picture(small, small, 256, 3);
  giflib_ref::Image image;
  image.width = image.height = kSide;
  image.colors = giflib_ref::Palette(256, 3);
  giflib_ref::Frame frame;
  frame.width = frame.height = kSide;
  frame.indices.resize(static_cast<std::size_t>(kSide) * kSide);
  for (std::size_t y = 0; y < kSide; ++y)
    for (std::size_t x = 0; x < kSide; ++x) frame.indices[y * kSide + x] = patches[y / kBlock * small + x / kBlock];
  image.frames.push_back(std::move(frame));
  const std::vector<std::uint8_t> bytes = giflib_ref::Write(image);
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                             static_cast<std::streamsize>(bytes.size()));
  std::printf("%s: %zu bytes\n", path, bytes.size());
}

std::vector<std::uint8_t> ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(in.tellg()));
  in.seekg(0);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s write|ours|giflib FILE\n", argv[0]);
    return 2;
  }
  const std::string mode = argv[1];
  if (mode == "write") {
    WriteFrame(argv[2]);
    return 0;
  }
  const std::vector<std::uint8_t> bytes = ReadFile(argv[2]);
  double before = 0;
  int frames = 0;
  if (mode == "ours") {
    TMemoryStream stream;
    stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
    stream.SetPosition(0);
    before = ResidentMiB();
    TGIFImage image;
    image.LoadFromStream(&stream);
    frames = image.GetCount();
  } else if (mode == "giflib") {
    before = ResidentMiB();
    frames = giflib_ref::Slurp(bytes);
  } else {
    std::fprintf(stderr, "unknown mode %s\n", argv[1]);
    return 2;
  }
  // The logical screen, which the one frame fills.
  const int width = bytes.at(6) | bytes.at(7) << 8;
  const int height = bytes.at(8) | bytes.at(9) << 8;
  const double frame = static_cast<double>(width) * height / (1024.0 * 1024.0);
  const double load = PeakMiB() - before;
  std::printf("%s: %d frame of %d x %d from %zu bytes, decoded frame %.0f MiB, "
              "peak memory of the load %.0f MiB (%.2f x)\n",
              mode.c_str(), frames, width, height, bytes.size(), frame, load, load / frame);
  return 0;
}
