// Bitmaps that ImageMagick writes, read and drawn as ImageMagick itself decodes them: run-length
// rows that code their padding into their runs, and 16-bit pixels of 5-5-5 and 5-6-5, which a
// load and a save keep as they are. The files are made here, from fixed seeds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/vcl/Graphics.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// A folder of its own for one test's files, removed with them.
class Folder {
 public:
  Folder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "bitmap-files-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~Folder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

bool Convert(const std::string& arguments) { return std::system(("convert " + arguments).c_str()) == 0; }

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::uint32_t Field(const Bytes& file, std::size_t at, int size) {
  std::uint32_t value = 0;
  for (int i = size - 1; i >= 0; --i) value = value << 8 | file.at(at + static_cast<std::size_t>(i));
  return value;
}

void Put(Bytes& out, std::uint32_t value, int size) {
  for (int i = 0; i < size; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

// A picture as ImageMagick decodes it, top row first.
struct Decoded {
  int width = 0;
  int height = 0;
  Bytes rgb;  // red, green, blue per pixel
  COLORREF At(int x, int y) const {
    const std::size_t at = (static_cast<std::size_t>(y) * width + x) * 3;
    return RGB(rgb[at], rgb[at + 1], rgb[at + 2]);
  }
};

Decoded DecodedByImageMagick(const std::string& file, int width, int height) {
  Decoded d{width, height, {}};
  if (Convert(file + " -depth 8 rgb:" + file + ".rgb")) d.rgb = ReadAll(file + ".rgb");
  return d;
}

// How many pixels a canvas shows otherwise than the reference.
int Differences(TCanvas* canvas, const Decoded& reference) {
  int differ = 0;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) differ += static_cast<COLORREF>(canvas->GetPixels(x, y)) != reference.At(x, y);
  return differ;
}

// The bitmap's own pixels, and those it draws onto a 24-bit bitmap, against ImageMagick's.
void ExpectShownAsImageMagickShowsIt(TBitmap& bitmap, const Decoded& reference) {
  ASSERT_EQ(reference.rgb.size(), static_cast<std::size_t>(reference.width) * reference.height * 3);
  ASSERT_EQ(bitmap.GetWidth(), reference.width);
  ASSERT_EQ(bitmap.GetHeight(), reference.height);
  EXPECT_EQ(Differences(bitmap.GetCanvas(), reference), 0) << "read";
  TBitmap drawn;
  drawn.SetPixelFormat(pf24bit);
  drawn.SetSize(reference.width, reference.height);
  drawn.GetCanvas()->Draw(0, 0, &bitmap);
  EXPECT_EQ(Differences(drawn.GetCanvas(), reference), 0) << "drawn";
}

// ImageMagick codes a row's padding, up to a multiple of 4 pixels, into the row's runs.
TEST(BitmapFiles, RunLengthFilesOfImageMagickReadAsItShowsThem) {
  Folder folder;
  for (const int width : {333, 334, 335, 336}) {
    SCOPED_TRACE(width);
    const std::string file = folder.File("rle8-" + std::to_string(width) + ".bmp");
    ASSERT_TRUE(Convert("-seed 7 -size " + std::to_string(width) + "x24 plasma:fractal +dither -colors 256 -compress RLE BMP3:" + file));
    const Bytes bytes = ReadAll(file);
    ASSERT_EQ(Field(bytes, 28, 2), 8u);
    ASSERT_EQ(Field(bytes, 30, 4), static_cast<std::uint32_t>(BI_RLE8));
    TBitmap bitmap;
    bitmap.LoadFromFile(file);
    EXPECT_EQ(bitmap.GetPixelFormat(), pf8bit);
    ExpectShownAsImageMagickShowsIt(bitmap, DecodedByImageMagick(file, width, 24));
  }
}

// ImageMagick writes runs of 8-bit indices only, but reads 4-bit ones: rows of 13 pixels coded
// as a writer that pads them to 16 codes them, against its decode.
TEST(BitmapFiles, FourBitRunsPastTheRowEndReadAsImageMagickShowsThem) {
  const int width = 13, height = 5;
  Bytes data;
  for (int y = 0; y < height; ++y) {
    // A literal stretch of 9, packed two a byte and padded to a 16-bit boundary, then a run of 7
    // alternating indices: 3 pixels past the row's end.
    Put(data, 0, 1);
    Put(data, 9, 1);
    for (int x = 0; x < 9; x += 2) Put(data, ((x + y) % 16) << 4 | (x + 1 < 9 ? (x + 1 + y) % 16 : 0), 1);
    Put(data, 0, 1);
    Put(data, 7, 1);
    Put(data, static_cast<std::uint32_t>(y << 4 | (15 - y)), 1);
    Put(data, 0, 2);  // end of line
  }
  Put(data, 0x0100, 2);  // end of bitmap
  Bytes file;
  Put(file, 0x4D42, 2);
  Put(file, static_cast<std::uint32_t>(14 + 40 + 64 + data.size()), 4);
  Put(file, 0, 4);
  Put(file, 14 + 40 + 64, 4);
  for (std::uint32_t field : {40u, static_cast<std::uint32_t>(width), static_cast<std::uint32_t>(height)}) Put(file, field, 4);
  Put(file, 1, 2);
  Put(file, 4, 2);
  for (std::uint32_t field : {static_cast<std::uint32_t>(BI_RLE4), static_cast<std::uint32_t>(data.size()), 0u, 0u, 16u, 0u})
    Put(file, field, 4);
  for (std::uint32_t i = 0; i < 16; ++i) Put(file, (i * 16) << 16 | (255 - i * 16) << 8 | (i * 37 % 256), 4);
  file.insert(file.end(), data.begin(), data.end());

  Folder folder;
  const std::string path = folder.File("rle4.bmp");
  WriteAll(path, file);
  TBitmap bitmap;
  bitmap.LoadFromFile(path);
  EXPECT_EQ(bitmap.GetPixelFormat(), pf4bit);
  ExpectShownAsImageMagickShowsIt(bitmap, DecodedByImageMagick(path, width, height));
}

// The 16-bit values of a bottom-up file's pixels, top row first.
std::vector<std::uint16_t> Pixels16(const Bytes& file, int width, int height) {
  const std::size_t offset = Field(file, 10, 4), stride = (static_cast<std::size_t>(width) * 2 + 3) / 4 * 4;
  std::vector<std::uint16_t> values;
  for (int y = height - 1; y >= 0; --y)
    for (int x = 0; x < width; ++x)
      values.push_back(static_cast<std::uint16_t>(Field(file, offset + stride * static_cast<std::size_t>(y) + 2 * static_cast<std::size_t>(x), 2)));
  return values;
}

struct SixteenBits {
  const char* name;
  const char* writer;        // ImageMagick's options and output format
  std::size_t bitCountAt;    // where the header keeps the bit count
  std::array<DWORD, 3> masks;  // the bit fields ImageMagick writes, or none
  TPixelFormat format;
  DWORD savedCompression;
};

// A load and a save keep the layout and every pixel value of what ImageMagick wrote.
TEST(BitmapFiles, SixteenBitFilesKeepTheirLayoutThroughALoadAndASave) {
  const SixteenBits cases[] = {
      {"5-5-5 in bit fields", "-define bmp:subtype=RGB555 BMP:", 28, {0x7C00, 0x03E0, 0x001F}, pf15bit, BI_RGB},
      {"5-5-5 under the core header", "-define bmp:subtype=RGB555 BMP2:", 24, {}, pf15bit, BI_RGB},
      {"5-6-5 in bit fields", "-define bmp:subtype=RGB565 BMP:", 28, {0xF800, 0x07E0, 0x001F}, pf16bit, BI_BITFIELDS},
  };
  const int width = 61, height = 23;  // rows need padding
  Folder folder;
  int n = 0;
  for (const SixteenBits& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string file = folder.File("sixteen-" + std::to_string(n) + ".bmp");
    const std::string saved = folder.File("saved-" + std::to_string(n++) + ".bmp");
    ASSERT_TRUE(Convert("-seed 7 -size 61x23 plasma:fractal " + std::string(c.writer) + file));
    const Bytes original = ReadAll(file);
    ASSERT_EQ(Field(original, c.bitCountAt, 2), 16u);
    if (c.masks[0] != 0) {
      for (std::size_t i = 0; i < 3; ++i) ASSERT_EQ(Field(original, 54 + 4 * i, 4), c.masks[i]);
    }
    const Decoded reference = DecodedByImageMagick(file, width, height);

    TBitmap bitmap;
    bitmap.LoadFromFile(file);
    EXPECT_EQ(bitmap.GetPixelFormat(), c.format);
    ExpectShownAsImageMagickShowsIt(bitmap, reference);

    bitmap.SaveToFile(saved);
    const Bytes written = ReadAll(saved);
    EXPECT_EQ(Field(written, 28, 2), 16u);
    EXPECT_EQ(Field(written, 30, 4), c.savedCompression);
    EXPECT_EQ(Pixels16(written, width, height), Pixels16(original, width, height));
    const Decoded again = DecodedByImageMagick(saved, width, height);
    EXPECT_EQ(again.rgb, reference.rgb);
  }
}

}  // namespace
