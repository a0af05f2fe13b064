// The driver: seeds first, then inputs made by stacking a few mutations on a seed (bit flips,
// chosen bytes and little-endian values that headers get wrong, inserted, removed, repeated and
// spliced runs), from a fixed random seed so a run can be repeated.
#include "tests/fuzz/FuzzDriver.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fuzz {
namespace {

constexpr std::size_t kMaxLength = 1 << 16;

const Input* current = nullptr;

// Keeps the input that is running, so a crash leaves it behind.
void SaveCurrent() {
  if (!current) return;
  if (std::FILE* f = std::fopen("fuzz-crash.bin", "wb")) {
    std::fwrite(current->data(), 1, current->size(), f);
    std::fclose(f);
  }
}

void OnSignal(int signal) {
  SaveCurrent();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

Input ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  Input data;
  char chunk[4096];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    data.insert(data.end(), reinterpret_cast<std::byte*>(chunk), reinterpret_cast<std::byte*>(chunk) + in.gcount());
    if (data.size() > kMaxLength) break;
  }
  return data;
}

class Mutator {
 public:
  explicit Mutator(std::uint64_t seed) : FRandom(seed) {}

  Input Mutate(const std::vector<Input>& seeds) {
    Input data = seeds[Below(seeds.size())];
    const std::size_t steps = 1 + Below(8);
    for (std::size_t i = 0; i < steps; ++i) Step(data, seeds);
    if (data.size() > kMaxLength) data.resize(kMaxLength);
    return data;
  }

 private:
  std::size_t Below(std::size_t n) { return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(FRandom); }

  template <class T>
  void PutValue(Input& data, T value) {
    if (data.size() < sizeof value) return;
    std::memcpy(data.data() + Below(data.size() - sizeof value + 1), &value, sizeof value);
  }

  void Step(Input& data, const std::vector<Input>& seeds) {
    static constexpr std::uint32_t kValues[] = {0,      1,          2,          0x7F,       0x80,       0xFF,
                                                0x100,  0x7FFF,     0x8000,     0xFFFF,     0x10000,    0x7FFFFFFF,
                                                0x80000000, 0xFFFFFFFE, 0xFFFFFFFF, 40, 256, 1024};
    switch (Below(9)) {
      case 0:
        if (!data.empty()) data[Below(data.size())] ^= std::byte{static_cast<unsigned char>(1u << Below(8))};
        break;
      case 1:
        if (!data.empty()) data[Below(data.size())] = std::byte{static_cast<unsigned char>(Below(256))};
        break;
      case 2: PutValue<std::uint8_t>(data, static_cast<std::uint8_t>(kValues[Below(std::size(kValues))])); break;
      case 3: PutValue<std::uint16_t>(data, static_cast<std::uint16_t>(kValues[Below(std::size(kValues))])); break;
      case 4: PutValue<std::uint32_t>(data, kValues[Below(std::size(kValues))]); break;
      case 5: {
        const std::size_t at = Below(data.size() + 1), count = 1 + Below(32);
        for (std::size_t i = 0; i < count; ++i)
          data.insert(data.begin() + static_cast<std::ptrdiff_t>(at), std::byte{static_cast<unsigned char>(Below(256))});
        break;
      }
      case 6:
        if (!data.empty()) {
          const std::size_t at = Below(data.size()), count = 1 + Below(std::min<std::size_t>(64, data.size() - at));
          data.erase(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + count));
        }
        break;
      case 7:
        if (!data.empty()) {
          const std::size_t at = Below(data.size()), count = 1 + Below(std::min<std::size_t>(256, data.size() - at));
          const Input run(data.begin() + static_cast<std::ptrdiff_t>(at), data.begin() + static_cast<std::ptrdiff_t>(at + count));
          data.insert(data.begin() + static_cast<std::ptrdiff_t>(Below(data.size() + 1)), run.begin(), run.end());
        }
        break;
      default: {
        const Input& other = seeds[Below(seeds.size())];
        if (other.empty()) break;
        const std::size_t from = Below(other.size()), cut = Below(data.size() + 1);
        data.resize(cut);
        data.insert(data.end(), other.begin() + static_cast<std::ptrdiff_t>(from), other.end());
        break;
      }
    }
  }

  std::mt19937_64 FRandom;
};

}  // namespace

int Run(int argc, char* argv[], Target target, std::vector<Input> seeds) {
  long long runs = 0;
  std::uint64_t randomSeed = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::atoll(argv[++i]);
    } else if (arg == "--seed" && i + 1 < argc) {
      randomSeed = std::strtoull(argv[++i], nullptr, 10);
    } else if (std::filesystem::is_directory(arg)) {
      for (const auto& entry : std::filesystem::directory_iterator(arg))
        if (entry.is_regular_file()) seeds.push_back(ReadFile(entry.path()));
    } else {
      seeds.push_back(ReadFile(arg));
    }
  }
  if (seeds.empty()) {
    std::fprintf(stderr, "no seeds\n");
    return 2;
  }
  std::signal(SIGSEGV, OnSignal);
  std::signal(SIGABRT, OnSignal);
  std::signal(SIGFPE, OnSignal);
  for (const Input& seed : seeds) {
    current = &seed;
    target(seed);
  }
  Mutator mutator(randomSeed);
  for (long long n = 0; n < runs; ++n) {
    const Input input = mutator.Mutate(seeds);
    current = &input;
    target(input);
    if ((n + 1) % 100000 == 0) std::fprintf(stderr, "%lld inputs\n", n + 1);
  }
  current = nullptr;
  std::fprintf(stderr, "%zu seeds and %lld mutated inputs ran\n", seeds.size(), runs);
  return 0;
}

}  // namespace fuzz
