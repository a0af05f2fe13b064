// Writing the generated files: raw bytes, JPEG pictures, portable pixmaps.
#include "tools/art/Files.h"

#include <fstream>
#include <stdexcept>
#include <string>

#include "tools/art/JpegFile.h"

namespace art {
void WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

void WritePpm(const std::filesystem::path& path, const RgbImage& picture) {
  std::vector<std::uint8_t> bytes;
  const std::string header =
      "P6\n" + std::to_string(picture.width) + " " + std::to_string(picture.height) + "\n255\n";
  bytes.assign(header.begin(), header.end());
  for (const Pixel8& p : picture.pixels) bytes.insert(bytes.end(), {p.r, p.g, p.b});
  WriteFile(path, bytes);
}

RgbImage SaveJpeg(const std::filesystem::path& path, const RgbImage& picture, int quality) {
  const auto bytes = EncodeJpeg(picture, quality);
  WriteFile(path, bytes);
  return DecodeJpeg(bytes);
}

}  // namespace art
