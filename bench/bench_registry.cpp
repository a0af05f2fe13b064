// Reading one setting from a large settings file, as the scene and the setup dialog do value
// by value; the file is parsed again only when it changed, so a read costs a look at the file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/registry/Registry.h"

namespace {

// A settings file of about 800 KB: the program's key among many others.
class TLargeSettingsFile {
 public:
  TLargeSettingsFile() {
    char folder[] = "/tmp/quillmont-bench-XXXXXX";
    if (!mkdtemp(folder)) std::abort();
    FConfig = folder;
    setenv("XDG_CONFIG_HOME", folder, 1);
    std::string text = "QUILLMONT REGISTRY 1\n\n[SOFTWARE\\Quillmont\\Crowded]\n";
    for (int i = 0; i < 12000; ++i) text += "\"value" + std::to_string(i) + "\"=\"" + std::string(48, 'x') + "\"\n";
    text += "\n[SOFTWARE\\Quillmont\\Rillmoor]\n\"clockX\"=dword:000003a6\n";
    std::filesystem::create_directories(FConfig / "quillmont");
    std::ofstream(FConfig / "quillmont" / "registry.txt", std::ios::binary) << text;
  }
  ~TLargeSettingsFile() { std::filesystem::remove_all(FConfig); }
  TLargeSettingsFile(const TLargeSettingsFile&) = delete;
  TLargeSettingsFile& operator=(const TLargeSettingsFile&) = delete;

 private:
  std::filesystem::path FConfig;
};

void BM_ReadOneValueOfALargeFile(benchmark::State& state) {
  const TLargeSettingsFile file;
  for (auto _ : state) {
    TRegistry reg;
    if (!reg.OpenKey("\\SOFTWARE\\Quillmont\\Rillmoor", false)) state.SkipWithError("no key");
    benchmark::DoNotOptimize(reg.ReadInteger("clockX"));
  }
}
BENCHMARK(BM_ReadOneValueOfALargeFile)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
