// Icons and cursors that another program wrote: ImageMagick's convert makes each file at test
// time and decodes it again, and every pixel the icon picture, the real-size path, the icon
// clipboard, animated cursors and the cursor shown draw is compared with that decode.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/AniFile.h"
#include "imaging/Clipicon.h"
#include "platform/user/Clipboard.h"
#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Clipbrd.h"
#include "tests/imaging/AniFiles.h"
#include "tests/support/DesktopDepth.h"

namespace {

using anifiles::Bytes;
using anifiles::FileBytes;
namespace fs = std::filesystem;

// ImageMagick's convert with these arguments; what it writes to its standard output.
Bytes Convert(const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>("convert")};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "convert", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  Bytes bytes;
  std::byte chunk[65536];
  for (ssize_t n; spawned == 0 && (n = read(out[0], chunk, sizeof chunk)) > 0;) bytes.insert(bytes.end(), chunk, chunk + n);
  close(out[0]);
  int status = -1;
  if (spawned == 0) waitpid(child, &status, 0);
  EXPECT_TRUE(spawned == 0 && WIFEXITED(status) && WEXITSTATUS(status) == 0)
      << "ImageMagick's convert (Debian's imagemagick, in scripts/packages.txt) failed on " << args.front();
  return bytes;
}

void WriteBytes(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

DWORD DwordAt(const Bytes& b, std::size_t at) {
  DWORD v;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
void PutDword(Bytes& b, std::size_t at, DWORD v) { std::memcpy(b.data() + at, &v, 4); }

// An image of a file as ImageMagick decodes it: straight red, green, blue, alpha bytes.
struct Decoded {
  int width = 0;
  int height = 0;
  Bytes rgba;
  std::uint32_t At(int x, int y) const {
    const std::byte* p = rgba.data() + 4 * (static_cast<std::size_t>(y) * width + x);
    return std::to_integer<std::uint32_t>(p[0]) | std::to_integer<std::uint32_t>(p[1]) << 8 |
           std::to_integer<std::uint32_t>(p[2]) << 16 | std::to_integer<std::uint32_t>(p[3]) << 24;
  }
  // The pixel over a background, as straight alpha composes.
  TColor Over(int x, int y, TColor background) const {
    const std::uint32_t p = At(x, y), a = p >> 24;
    TColor out = 0;
    for (int shift = 0; shift < 24; shift += 8) {
      const std::uint32_t s = p >> shift & 0xFF, d = static_cast<std::uint32_t>(background) >> shift & 0xFF;
      out |= static_cast<TColor>((s * a + d * (255 - a) + 127) / 255 << shift);
    }
    return out;
  }
  int PartlyClear() const {
    int n = 0;
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) n += (At(x, y) >> 24) > 0 && (At(x, y) >> 24) < 255;
    return n;
  }
};

Decoded Decode(const fs::path& file, int image, int width, int height) {
  Decoded d{width, height, Convert({file.string() + "[" + std::to_string(image) + "]", "-depth", "8", "rgba:-"})};
  EXPECT_EQ(d.rgba.size(), static_cast<std::size_t>(width) * height * 4) << file << "[" << image << "]";
  d.rgba.resize(static_cast<std::size_t>(width) * height * 4);
  return d;
}

std::unique_ptr<TBitmap> Background(int side, TColor color) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->GetCanvas()->GetBrush()->SetColor(color);
  b->SetSize(side, side);
  return b;
}

// Every pixel of the reference's size at the bitmap's top-left corner against the reference
// over the background; the first that differs is named.
void ExpectDrawnAs(TBitmap& drawn, const Decoded& reference, TColor background, const std::string& what) {
  int wrong = 0;
  std::string first;
  for (int y = 0; y < reference.height; ++y)
    for (int x = 0; x < reference.width; ++x) {
      const TColor got = drawn.GetCanvas()->GetPixels(x, y), want = reference.Over(x, y, background);
      if (got != want && wrong++ == 0) {
        char text[96];
        std::snprintf(text, sizeof text, "(%d, %d) is %06X, not %06X", x, y, static_cast<unsigned>(got),
                      static_cast<unsigned>(want));
        first = text;
      }
    }
  EXPECT_EQ(wrong, 0) << what << ": " << first;
}

std::unique_ptr<TBitmap> DrawnByPicture(TIcon& icon, int side, TColor background) {
  auto b = Background(side, background);
  b->GetCanvas()->StretchDraw(Rect(0, 0, side, side), &icon);
  return b;
}

std::unique_ptr<TBitmap> DrawnAtRealSize(TIcon& icon, int side, TColor background) {
  auto b = Background(side + 8, background);
  DrawRealSizeIcon(b->GetCanvas(), &icon, 0, 0);
  return b;
}

class OtherWriters : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = fs::temp_directory_path() / ("icons-other-writers-" + std::to_string(getpid()));
    fs::create_directories(folder_);
    // A large image stored compressed ahead of a 32-bit one whose edges are partly clear, as
    // ImageMagick writes them: the 256-pixel size is PNG inside the file.
    Convert({"-size", "64x64", "xc:none", "-fill", "red", "-stroke", "blue", "-strokewidth", "3", "-draw",
             "circle 32,32 32,8", "-define", "icon:auto-resize=256,32", Path("compressed-first.ico")});
  }
  static void TearDownTestSuite() { fs::remove_all(folder_); }
  static std::string Path(const std::string& name) { return (folder_ / name).string(); }

  static constexpr TColor kTeal = 0x808000;
  static fs::path folder_;
};
fs::path OtherWriters::folder_;

TEST_F(OtherWriters, AnIconWhoseFirstImageIsCompressedDrawsItsOtherImage) {
  const Bytes file = FileBytes(Path("compressed-first.ico"));
  const auto directory = user::ReadIconFileDirectory(file);
  ASSERT_TRUE(directory);
  ASSERT_EQ(directory->entries.size(), 2u);
  ASSERT_TRUE(directory->entries[0].png);
  ASSERT_EQ(directory->entries[0].colorCount, 0);  // what a 32-bit display's count matches
  const Decoded reference = Decode(Path("compressed-first.ico"), 1, 32, 32);
  const auto icon = anifiles::IconFrom(file);

  const RealSizeIcon handle(CreateRealSizeIcon(icon.get()));
  int width = 0, height = 0;
  GetIconSize(handle.get(), width, height);
  EXPECT_EQ(width, 32);
  EXPECT_EQ(height, 32);
  ExpectDrawnAs(*DrawnAtRealSize(*icon, 32, kTeal), reference, kTeal, "at its real size");

  user::ResetClipboardForTest();
  CF_ICON = 0;
  ClipiconInitialization();
  CopyIconToClipboard(icon.get(), kTeal);
  TBitmap pasted;
  pasted.Assign(Clipboard());
  ASSERT_EQ(pasted.GetWidth(), 32);
  ExpectDrawnAs(pasted, reference, kTeal, "the clipboard's bitmap");
  user::ResetClipboardForTest();

  anifiles::Header header;
  TAnimatedCursorImage cursor;
  TMemoryStream stream;
  anifiles::Fill(stream, anifiles::Riff({anifiles::Anih(header), anifiles::Frames({file})}));
  cursor.LoadFromStream(&stream);
  const auto frame = Background(40, kTeal);
  cursor.Draw(frame->GetCanvas(), Rect(0, 0, 40, 40));
  ExpectDrawnAs(*frame, reference, kTeal, "an animated cursor's frame");
}

// The AND mask of a 32-bit image may be all clear: its alpha alone says what shows.
TEST_F(OtherWriters, ImagesWithAlphaAreBlendedByItWithOrWithoutAMask) {
  const Bytes written = FileBytes(Path("compressed-first.ico"));
  Bytes unmasked = written;
  const std::size_t image = DwordAt(written, 6 + 16 + 12), maskRows = 32 * 4;
  const std::size_t end = image + DwordAt(written, 6 + 16 + 8);
  std::fill(unmasked.begin() + static_cast<std::ptrdiff_t>(end - maskRows), unmasked.begin() + static_cast<std::ptrdiff_t>(end),
            std::byte{0});
  ASSERT_NE(unmasked, written);
  WriteBytes(Path("unmasked.ico"), unmasked);
  const Decoded reference = Decode(Path("compressed-first.ico"), 1, 32, 32);
  ASSERT_GT(reference.PartlyClear(), 40);  // anti-aliased edges
  EXPECT_EQ(Decode(Path("unmasked.ico"), 1, 32, 32).rgba, reference.rgba);

  for (const auto& [bytes, name] : {std::pair{written, "as written"}, std::pair{unmasked, "without its mask"}}) {
    const auto icon = anifiles::IconFrom(bytes);
    for (const TColor background : {kTeal, clWhite}) {
      ExpectDrawnAs(*DrawnByPicture(*icon, 32, background), reference, background, std::string("the picture ") + name);
      ExpectDrawnAs(*DrawnAtRealSize(*icon, 32, background), reference, background, std::string("real size ") + name);
    }
    // A display of fewer bits still draws the image's alpha.
    DesktopDepth depth(16);
    ExpectDrawnAs(*DrawnAtRealSize(*icon, 32, kTeal), reference, kTeal, std::string("16 bits ") + name);
  }
}

// The cursor shown is the image's colours with their alpha.
TEST_F(OtherWriters, ACursorOfAnIconWithAlphaKeepsIt) {
  HCURSOR cursor = LoadCursorFromFileA(Path("compressed-first.ico").c_str());
  ASSERT_NE(cursor, nullptr);
  const auto shown = user::ImageOfCursor(cursor);
  DestroyCursor(cursor);
  ASSERT_TRUE(shown);
  ASSERT_EQ(shown->width, 32);
  const Decoded reference = Decode(Path("compressed-first.ico"), 1, 32, 32);
  int wrong = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      const std::uint32_t want = reference.At(x, y), got = shown->pixels[static_cast<std::size_t>(y) * 32 + x];
      const std::uint32_t argb = (want & 0xFF000000u) | (want & 0xFF) << 16 | (want & 0xFF00) | (want >> 16 & 0xFF);
      wrong += (got >> 24) != (want >> 24) || ((want >> 24) != 0 && got != argb);
    }
  EXPECT_EQ(wrong, 0);
}

// One-bit images whose table is not black then white, as ImageMagick writes a two-colour
// picture: a white one with black in it (white, black) and a blue one with red (blue, red).
TEST_F(OtherWriters, OneBitImagesShowTheirOwnTwoColours) {
  struct Case {
    const char* name;
    std::vector<std::string> picture;  // written as a paletted PNG, whose table the icon keeps
    COLORREF first;
    COLORREF second;
  };
  const Case cases[] = {
      {"white-black", {"xc:white", "-fill", "black", "-draw", "rectangle 2,2 9,25"}, RGB(255, 255, 255), RGB(0, 0, 0)},
      {"blue-red", {"xc:blue", "-fill", "red", "-draw", "circle 16,16 16,5"}, RGB(0, 0, 255), RGB(255, 0, 0)},
  };
  for (const Case& c : cases) {
    const std::string png = Path(std::string(c.name) + ".png"), ico = Path(std::string(c.name) + ".ico");
    std::vector<std::string> picture{"-size", "32x32", "+antialias"};
    picture.insert(picture.end(), c.picture.begin(), c.picture.end());
    picture.push_back("PNG8:" + png);
    Convert(picture);
    Convert({png, ico});
    const Bytes file = FileBytes(ico);
    const std::size_t image = DwordAt(file, 6 + 12);
    ASSERT_EQ(file[image + 14], std::byte{1}) << c.name;  // one bit per pixel
    BITMAPINFOHEADER header;
    std::memcpy(&header, file.data() + image, sizeof header);
    RGBQUAD table[2];
    std::memcpy(table, file.data() + image + header.biSize, sizeof table);
    ASSERT_EQ(RGB(table[0].rgbRed, table[0].rgbGreen, table[0].rgbBlue), c.first) << c.name;
    ASSERT_EQ(RGB(table[1].rgbRed, table[1].rgbGreen, table[1].rgbBlue), c.second) << c.name;

    const Decoded reference = Decode(ico, 0, 32, 32);
    const auto icon = anifiles::IconFrom(file);
    ExpectDrawnAs(*DrawnByPicture(*icon, 32, kTeal), reference, kTeal, std::string("the picture, ") + c.name);
    ExpectDrawnAs(*DrawnAtRealSize(*icon, 32, kTeal), reference, kTeal, std::string("real size, ") + c.name);
  }
}

// Counts that leave out the AND rows, as a favicon's writer had them: the rows are there, each
// before the next image starts or at the end of the file.
TEST_F(OtherWriters, ImagesCountedWithoutTheirMasksAreReadWhole) {
  Convert({"-size", "16x16", "xc:none", "+antialias", "-fill", "lime", "-draw", "circle 8,8 8,2", "+dither", "-colors",
           "2", Path("small.gif")});
  Convert({"-size", "32x32", "xc:none", "+antialias", "-fill", "red", "-draw", "circle 16,16 16,4", "-fill", "blue",
           "-draw", "rectangle 0,0 6,6", "+dither", "-colors", "3", Path("large.gif")});
  Convert({Path("small.gif"), Path("large.gif"), Path("written.ico")});
  Bytes file = FileBytes(Path("written.ico"));
  const std::size_t maskRows[2] = {16 * 4, 32 * 4};  // AND rows of 16 and 32 pixels, 4 bytes each
  for (std::size_t i = 0; i < 2; ++i) {
    const std::size_t entry = 6 + 16 * i;
    ASSERT_EQ(file[DwordAt(file, entry + 12) + 14], std::byte{static_cast<unsigned char>(i == 0 ? 1 : 4)});  // a 2-colour and a 16-colour image
    PutDword(file, entry + 8, static_cast<DWORD>(DwordAt(file, entry + 8) - maskRows[i]));
  }
  WriteBytes(Path("short.ico"), file);
  const Decoded small = Decode(Path("short.ico"), 0, 16, 16), large = Decode(Path("short.ico"), 1, 32, 32);
  EXPECT_EQ(large.rgba, Decode(Path("written.ico"), 1, 32, 32).rgba);

  // The picture reads the whole file and nothing after it, and draws the last image.
  TMemoryStream stream;
  stream.WriteBuffer(file.data(), static_cast<int>(file.size()));
  stream.WriteBuffer("next", 4);
  stream.SetPosition(0);
  TIcon icon;
  icon.LoadFromStream(&stream);
  EXPECT_EQ(stream.GetPosition(), static_cast<std::int64_t>(file.size()));
  EXPECT_EQ(anifiles::SavedBytes(&icon), file);
  ExpectDrawnAs(*DrawnByPicture(icon, 32, kTeal), large, kTeal, "the picture");
  ExpectDrawnAs(*DrawnAtRealSize(icon, 16, kTeal), small, kTeal, "the first image at its real size");
  {
    DesktopDepth depth(4);  // the 16-colour image
    ExpectDrawnAs(*DrawnAtRealSize(icon, 32, kTeal), large, kTeal, "the last image at its real size");
  }

  // Without the last image's AND rows the file does not hold that image: it is not drawn.
  const Bytes cut(file.begin(), file.end() - static_cast<std::ptrdiff_t>(maskRows[1]));
  const auto shorter = anifiles::IconFrom(cut);
  EXPECT_THROW(shorter->GetHandle(), EInvalidGraphic);
  DesktopDepth depth(4);
  EXPECT_THROW(DrawnAtRealSize(*shorter, 32, kTeal), EInvalidGraphic);
}

}  // namespace
