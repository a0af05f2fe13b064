// The seeds of the GIF reader's mutation run, the interoperability set. With "--write DIR" they
// are written there for the long run; without, each seed and a few hundred fixed mutations of
// it go through the target once, the brief run every build makes.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/imaging/GiflibFixtures.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

constexpr int kMutationsPerSeed = 200;

// A fixed sequence of small damages: bits flipped, bytes set to edge values, cuts, repeats.
class Mutator {
 public:
  std::vector<std::uint8_t> Mutate(std::vector<std::uint8_t> bytes) {
    if (bytes.empty()) return bytes;
    const std::size_t at = Next() % bytes.size();
    switch (Next() % 5) {
      case 0: bytes[at] ^= static_cast<std::uint8_t>(1u << (Next() % 8)); break;
      case 1: {
        static constexpr std::uint8_t kEdges[] = {0x00, 0x01, 0x7F, 0x80, 0xFF, 0x21, 0x2C, 0x3B};
        bytes[at] = kEdges[Next() % std::size(kEdges)];
        break;
      }
      case 2: bytes.resize(at); break;
      case 3: {
        const std::size_t length = std::min<std::size_t>(1 + Next() % 64, bytes.size() - at);
        std::vector<std::uint8_t> piece(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                                        bytes.begin() + static_cast<std::ptrdiff_t>(at + length));
        bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(Next() % bytes.size()), piece.begin(), piece.end());
        break;
      }
      default: bytes[at] = static_cast<std::uint8_t>(Next()); break;
    }
    return bytes;
  }

 private:
  std::uint32_t Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  std::uint32_t state_ = 2463534242u;
};

}  // namespace

int main(int argc, char** argv) {
  std::vector<giflib_ref::NamedFile> seeds = giflib_ref::GiflibFiles();
  for (auto& file : giflib_ref::ImageMagickFiles(GIF_FIXTURES)) seeds.push_back(std::move(file));
  if (argc == 3 && std::string(argv[1]) == "--write") {
    std::filesystem::create_directories(argv[2]);
    for (std::size_t i = 0; i < seeds.size(); ++i) {
      std::ofstream out(std::filesystem::path(argv[2]) / ("seed" + std::to_string(i) + ".gif"), std::ios::binary);
      out.write(reinterpret_cast<const char*>(seeds[i].second.data()), static_cast<std::streamsize>(seeds[i].second.size()));
    }
    std::printf("%zu seeds written to %s\n", seeds.size(), argv[2]);
    return 0;
  }
  Mutator mutator;
  std::size_t inputs = 0;
  for (const auto& [name, bytes] : seeds) {
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    std::vector<std::uint8_t> mutated = bytes;
    for (int i = 0; i < kMutationsPerSeed; ++i) {
      // Mostly one damage at a time, now and then a pile of them.
      mutated = i % 8 == 0 ? bytes : mutator.Mutate(mutated);
      LLVMFuzzerTestOneInput(mutated.data(), mutated.size());
    }
    inputs += 1 + kMutationsPerSeed;
  }
  std::printf("%zu inputs from %zu seeds\n", inputs, seeds.size());
  return 0;
}
