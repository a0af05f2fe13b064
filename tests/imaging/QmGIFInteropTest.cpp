// Interoperability with the GIF library a user already has: files written by it and by
// ImageMagick decode here to the indices it decodes them to, with the same tables and frame
// properties; files written here decode there to the pixels written, and read back here.
#include <gtest/gtest.h>

#include <algorithm>

#include "imaging/QmGIF.h"
#include "tests/imaging/GifTestUtil.h"
#include "tests/imaging/GiflibFixtures.h"
#include "tests/imaging/GiflibReference.h"

namespace {

using giflib_ref::Palette;
using giflib_ref::Picture;
using giflib_ref::Rgb;

void ExpectTable(const TGIFColorTable& table, const std::vector<Rgb>& colors) {
  ASSERT_EQ(table.Count, static_cast<int>(colors.size()));
  for (std::size_t i = 0; i < colors.size(); ++i) {
    const TGIFColorItem& c = table.Colors[i];
    ASSERT_EQ((Rgb{c.Red, c.Green, c.Blue}), colors[i]) << "entry " << i;
  }
}

TColor ColorOf(const Rgb& c) { return c.r | c.g << 8 | c.b << 16; }

// The GIF library's files and ImageMagick's.
std::vector<giflib_ref::NamedFile> AllFiles() {
  auto files = giflib_ref::GiflibFiles();
  for (auto& file : giflib_ref::ImageMagickFiles(GIF_FIXTURES)) files.push_back(std::move(file));
  return files;
}

// Decodes the file here and through the GIF library and compares every frame.
void ExpectSameAsGiflib(const std::vector<std::uint8_t>& bytes) {
  const giflib_ref::Image reference = giflib_ref::Read(bytes);
  TGIFImage image;
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  image.LoadFromStream(&stream);
  EXPECT_FALSE(image.GetCorrupted());
  ExpectTable(image.GetGlobalColorTable(), reference.colors);
  ASSERT_EQ(image.GetCount(), static_cast<int>(reference.frames.size()));
  for (int i = 0; i < image.GetCount(); ++i) {
    SCOPED_TRACE(testing::Message() << "frame " << i);
    const giflib_ref::Frame& f = reference.frames[static_cast<std::size_t>(i)];
    TGIFFrame* frame = image.GetFrames(i);
    EXPECT_EQ(frame->GetTopLeft().x, f.left);
    EXPECT_EQ(frame->GetTopLeft().y, f.top);
    EXPECT_EQ(frame->GetWidth(), f.width);
    EXPECT_EQ(frame->GetHeight(), f.height);
    EXPECT_EQ(frame->GetInterlaced(), f.interlaced);
    const std::vector<Rgb>& colors = f.colors.empty() ? reference.colors : f.colors;
    EXPECT_EQ(frame->GetColorCount(), static_cast<int>(colors.size()));
    EXPECT_EQ(gif_test::IndicesOf(frame->GetBitmap()), f.indices);
    if (f.delay >= 0) {
      EXPECT_EQ(frame->GetAnimateInterval(), f.delay * 10);
      EXPECT_EQ(frame->GetDisposalMethod(), f.disposal);
      const TColor transparent = f.transparent >= 0 ? ColorOf(colors[static_cast<std::size_t>(f.transparent)]) : clNone;
      EXPECT_EQ(frame->GetTransparentColor(), transparent);
    }
  }
}

TEST(GifInterop, ReadsWhatTheGifLibraryWrites) {
  for (const auto& [name, bytes] : giflib_ref::GiflibFiles()) {
    SCOPED_TRACE(name);
    ExpectSameAsGiflib(bytes);
  }
}

TEST(GifInterop, ReadsWhatImageMagickWrites) {
  const auto files = giflib_ref::ImageMagickFiles(GIF_FIXTURES);
  ASSERT_GE(files.size(), 8u);
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    ExpectSameAsGiflib(bytes);
  }
}

TEST(GifInterop, RewritesWhatOthersWroteAsTheyWroteIt) {
  for (const auto& [name, bytes] : AllFiles()) {
    SCOPED_TRACE(name);
    const giflib_ref::Image original = giflib_ref::Read(bytes);
    std::unique_ptr<TGIFImage> image = gif_test::Loaded(bytes);
    const std::vector<std::uint8_t> written = gif_test::Saved(*image);
    const giflib_ref::Image rewritten = giflib_ref::Read(written);
    EXPECT_EQ(rewritten.colors, original.colors);
    ASSERT_EQ(rewritten.frames.size(), original.frames.size());
    for (std::size_t i = 0; i < original.frames.size(); ++i) {
      SCOPED_TRACE(testing::Message() << "frame " << i);
      const giflib_ref::Frame& a = original.frames[i];
      const giflib_ref::Frame& b = rewritten.frames[i];
      EXPECT_EQ(b.indices, a.indices);
      EXPECT_EQ(b.colors, a.colors);
      EXPECT_EQ(std::tie(b.left, b.top, b.width, b.height, b.interlaced),
                std::tie(a.left, a.top, a.width, a.height, a.interlaced));
      EXPECT_EQ(std::tie(b.delay, b.disposal, b.transparent), std::tie(a.delay, a.disposal, a.transparent));
    }
  }
}

// One file of the set, by name; empty when there is none.
std::vector<std::uint8_t> FileNamed(const std::string& name) {
  for (auto& [fileName, bytes] : AllFiles())
    if (fileName == name) return std::move(bytes);
  ADD_FAILURE() << "no file " << name;
  return {};
}

// The frame's pixels as they show over the background, each `scale` times in both directions:
// its table's colours, and the background where the index is the transparent one.
std::vector<TColor> ShownOver(const giflib_ref::Frame& f, const std::vector<Rgb>& global, TColor background,
                              int scale) {
  const std::vector<Rgb>& colors = f.colors.empty() ? global : f.colors;
  std::vector<TColor> out;
  for (int y = 0; y < f.height * scale; ++y) {
    for (int x = 0; x < f.width * scale; ++x) {
      const std::uint8_t index = f.indices[static_cast<std::size_t>(y / scale * f.width + x / scale)];
      out.push_back(index == f.transparent ? background : ColorOf(colors[index]));
    }
  }
  return out;
}

// The image's current frame drawn as a picture over the background, stretched `scale` times.
std::vector<TColor> DrawnOver(TGIFImage& image, TColor background, int scale) {
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.GetCanvas()->GetBrush()->SetColor(background);
  target.SetSize(image.GetWidth() * scale, image.GetHeight() * scale);
  target.GetCanvas()->StretchDraw(TRect(0, 0, target.GetWidth(), target.GetHeight()), &image);
  std::vector<TColor> out;
  for (int y = 0; y < target.GetHeight(); ++y) {
    const auto* row = static_cast<const std::uint8_t*>(target.GetScanLine(y));
    for (int x = 0; x < target.GetWidth(); ++x) out.push_back(row[3 * x + 2] | row[3 * x + 1] << 8 | row[3 * x] << 16);
  }
  return out;
}

// Transparency by index: a table that holds the transparent entry's colour at other entries too
// (ImageMagick's do) shows those entries' pixels, and a load and save draws as the file did.
// Frames of two colours are 1-bit bitmaps, which draw in the target's text and background
// colours as every 1-bit source does; they are held to drawing as before the save.
TEST(GifInterop, DrawsTheTransparentEntrysPixelsOnlyAsTheWritersMeantThem) {
  constexpr TColor kBackground = 0x7F00FE;
  for (const auto& [name, bytes] : AllFiles()) {
    SCOPED_TRACE(name);
    const giflib_ref::Image reference = giflib_ref::Read(bytes);
    std::unique_ptr<TGIFImage> loaded = gif_test::Loaded(bytes);
    std::unique_ptr<TGIFImage> rewritten = gif_test::Loaded(gif_test::Saved(*loaded));
    ASSERT_EQ(rewritten->GetCount(), static_cast<int>(reference.frames.size()));
    for (int i = 0; i < rewritten->GetCount(); ++i) {
      SCOPED_TRACE(testing::Message() << "frame " << i);
      const giflib_ref::Frame& f = reference.frames[static_cast<std::size_t>(i)];
      loaded->SetFrameIndex(i);
      rewritten->SetFrameIndex(i);
      for (int scale : {1, 2}) {
        SCOPED_TRACE(testing::Message() << "scale " << scale);
        const std::vector<TColor> drawn = DrawnOver(*loaded, kBackground, scale);
        if (loaded->GetFrames(i)->GetColorCount() > 2) {
          ASSERT_EQ(drawn, ShownOver(f, reference.colors, kBackground, scale));
        }
        ASSERT_EQ(DrawnOver(*rewritten, kBackground, scale), drawn) << "read again after a save";
      }
    }
  }
}

// The transparent index of the control block stays while its entry has the transparent colour:
// through greyscale, which greys the whole table, and when the program sets that colour again.
// Another colour set by the program is looked up in the table.
TEST(GifInterop, KeepsTheTransparentIndexWhileItsEntryHasTheTransparentColour) {
  // Entries 0 and 4 to 7 black, 4 transparent; 2 red.
  std::unique_ptr<TGIFImage> image = gif_test::Loaded(FileNamed("im_black_on_none.gif"));
  TGIFFrame* frame = image->GetFrames(0);
  auto writtenIndex = [&image] { return giflib_ref::Read(gif_test::Saved(*image)).frames.at(0).transparent; };
  EXPECT_EQ(writtenIndex(), 4);
  frame->SetTransparentColor(clRed);
  EXPECT_EQ(writtenIndex(), 2);
  frame->SetTransparentColor(clBlack);
  EXPECT_EQ(writtenIndex(), 4);
  image->Grayscale(false);
  EXPECT_EQ(frame->GetTransparentColor(), clBlack);
  EXPECT_EQ(writtenIndex(), 4);
}

// Where the first frame's code data begins in a GIF file: its code-size byte.
std::size_t FirstCodeData(const std::vector<std::uint8_t>& gif) {
  std::size_t at = 13;
  if (gif.at(10) & 0x80) at += 3u << ((gif[10] & 7) + 1);
  while (gif.at(at) == '!') {
    at += 2;  // every extension goes on in sub-blocks after its label
    while (gif.at(at) != 0) at += gif[at] + 1u;
    ++at;
  }
  const std::uint8_t packed = gif.at(at + 9);
  return at + 10 + ((packed & 0x80) ? 3u << ((packed & 7) + 1) : 0);
}

// A file cut anywhere in its first data block, or further on inside the first frame's codes:
// the tolerant reader gives the frame decoded as far as the whole blocks go, marked corrupted,
// its pixels those of the whole file up to there and index 0 after; the strict one fails.
TEST(GifInterop, AFileCutInsideItsCodesGivesAFrameMarkedCorrupted) {
  for (const char* name : {"still, 256 colours", "im_still_256.gif"}) {
    SCOPED_TRACE(name);
    const std::vector<std::uint8_t> bytes = FileNamed(name);
    const giflib_ref::Frame whole = giflib_ref::Read(bytes).frames.at(0);
    const std::size_t firstBlock = FirstCodeData(bytes) + 1;
    const std::size_t firstBlockEnd = firstBlock + 1 + bytes[firstBlock];
    std::vector<std::size_t> cuts;
    for (std::size_t cut = firstBlock; cut <= firstBlockEnd; ++cut) cuts.push_back(cut);
    cuts.push_back(bytes.size() / 3);
    cuts.push_back(bytes.size() / 2);
    for (std::size_t cut : cuts) {
      SCOPED_TRACE(testing::Message() << "cut after " << cut << " of " << bytes.size() << " bytes");
      const std::vector<std::uint8_t> part(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(cut));
      {
        const gif_test::StrictReading strict;
        EXPECT_THROW(gif_test::Loaded(part), EInvalidGraphicOperation);
      }
      std::unique_ptr<TGIFImage> image;
      ASSERT_NO_THROW(image = gif_test::Loaded(part));
      ASSERT_EQ(image->GetCount(), 1);
      TGIFFrame* frame = image->GetFrames(0);
      EXPECT_TRUE(frame->GetCorrupted());
      EXPECT_TRUE(image->GetCorrupted());
      ASSERT_EQ(frame->GetWidth(), whole.width);
      ASSERT_EQ(frame->GetHeight(), whole.height);
      const std::vector<std::uint8_t> indices = gif_test::IndicesOf(frame->GetBitmap());
      const auto decoded = std::mismatch(indices.begin(), indices.end(), whole.indices.begin()).first;
      EXPECT_TRUE(std::all_of(decoded, indices.end(), [](std::uint8_t i) { return i == 0; }))
          << "pixels decoded up to " << decoded - indices.begin();
      if (cut > firstBlockEnd) {
        EXPECT_GT(decoded - indices.begin(), whole.width);
      }
    }
  }
}

// Frames of every depth built from bitmaps, with their properties, through the writer.
TEST(GifInterop, WrittenFilesDecodeThereToThePixelsWritten) {
  struct Source {
    int width, height, bits;
    TPoint topLeft;
    WORD interval;
    TDisposalMethod disposal;
    int transparent;  // index, or -1
  };
  const Source sources[] = {
      {300, 200, 8, {0, 0}, 0, dmUndefined, -1}, {1, 1, 1, {3, 4}, 100, dmLeave, 1},
      {1000, 1, 8, {0, 7}, 250, dmRestoreBackground, 200}, {1, 1000, 4, {9, 0}, 70, dmRestorePrevious, -1},
      {123, 77, 4, {5, 5}, 10, dmLeave, 15}, {64, 64, 1, {0, 0}, 30, dmUndefined, 0},
  };
  TGIFImage image;
  std::vector<std::vector<std::uint8_t>> pictures;
  std::vector<std::vector<RGBQUAD>> palettes;
  for (const Source& s : sources) {
    std::vector<RGBQUAD> palette;
    for (const Rgb& c : Palette(1 << s.bits, static_cast<unsigned>(s.width))) palette.push_back({c.b, c.g, c.r, 0});
    pictures.push_back(Picture(s.width, s.height, 1 << s.bits, static_cast<unsigned>(s.height)));
    palettes.push_back(palette);
    image.AddFrame(gif_test::PalettedBitmap(s.width, s.height, s.bits, palette, pictures.back()).get());
    TGIFFrame* frame = image.GetFrames(image.GetCount() - 1);
    frame->SetTopLeft(s.topLeft);
    frame->SetAnimateInterval(s.interval);
    frame->SetDisposalMethod(s.disposal);
    if (s.transparent >= 0) {
      const RGBQUAD& q = palette[static_cast<std::size_t>(s.transparent)];
      frame->SetTransparentColor(q.rgbRed | q.rgbGreen << 8 | q.rgbBlue << 16);
    }
  }
  const std::vector<std::uint8_t> written = gif_test::Saved(image);
  const giflib_ref::Image decoded = giflib_ref::Read(written);
  std::unique_ptr<TGIFImage> back = gif_test::Loaded(written);
  ASSERT_EQ(decoded.frames.size(), std::size(sources));
  ASSERT_EQ(back->GetCount(), static_cast<int>(std::size(sources)));
  for (std::size_t i = 0; i < std::size(sources); ++i) {
    SCOPED_TRACE(testing::Message() << "frame " << i);
    const Source& s = sources[i];
    const giflib_ref::Frame& f = decoded.frames[i];
    EXPECT_EQ(f.indices, pictures[i]);
    const std::vector<Rgb>& colors = i == 0 ? decoded.colors : f.colors;
    ASSERT_EQ(colors.size(), palettes[i].size());
    for (std::size_t c = 0; c < colors.size(); ++c)
      ASSERT_EQ(colors[c], (Rgb{palettes[i][c].rgbRed, palettes[i][c].rgbGreen, palettes[i][c].rgbBlue}));
    EXPECT_EQ(std::tie(f.left, f.top, f.width, f.height), std::tie(s.topLeft.x, s.topLeft.y, s.width, s.height));
    if (s.interval != 0 || s.disposal != dmUndefined || s.transparent >= 0) {
      EXPECT_EQ(f.delay, s.interval / 10);
      EXPECT_EQ(f.disposal, s.disposal);
      EXPECT_EQ(f.transparent, s.transparent);
    }
    TGIFFrame* frame = back->GetFrames(static_cast<int>(i));
    EXPECT_EQ(gif_test::IndicesOf(frame->GetBitmap()), pictures[i]);
    EXPECT_EQ(frame->GetAnimateInterval(), s.interval);
    EXPECT_EQ(frame->GetDisposalMethod(), s.disposal);
    EXPECT_EQ(frame->GetTransparentColor(), image.GetFrames(static_cast<int>(i))->GetTransparentColor());
    EXPECT_EQ(frame->GetTopLeft().x, s.topLeft.x);
  }
}

}  // namespace
