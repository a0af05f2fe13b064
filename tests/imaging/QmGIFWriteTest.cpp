// Writing GIF images: the screen, the table and the version the writer chooses, the blocks it
// refreshes from the frame properties, comments, what it copies unchanged, and that a failure
// leaves the target untouched. Pixels are checked through the GIF library's decoder.
#include <gtest/gtest.h>

#include <string>

#include "imaging/QmGIF.h"
#include "imaging/QmGIFTexts.h"
#include "imaging/QmGraph.h"
#include "tests/imaging/GifBytes.h"
#include "tests/imaging/GifTestUtil.h"
#include "tests/imaging/GiflibReference.h"

namespace {

using gif_bytes::Builder;
using gif_bytes::Bytes;
using gif_test::Loaded;
using gif_test::PalettedBitmap;
using gif_test::Saved;

// The blocks of a GIF stream after its screen and global table, as the file format lays them out.
struct Block {
  std::uint8_t introducer;  // '!', ',' or ';'
  std::uint8_t label;       // of an extension
  Bytes head;               // fixed bytes (descriptor and local table of an image)
  std::vector<Bytes> subBlocks;
};

std::vector<Block> BlocksOf(const Bytes& gif) {
  std::vector<Block> blocks;
  std::size_t at = 13;
  if (gif[10] & 0x80) at += 3u << ((gif[10] & 7) + 1);
  auto subBlocks = [&](Block& b) {
    while (gif.at(at) != 0) {
      const std::size_t n = gif[at];
      b.subBlocks.emplace_back(gif.begin() + static_cast<std::ptrdiff_t>(at + 1), gif.begin() + static_cast<std::ptrdiff_t>(at + 1 + n));
      at += n + 1;
    }
    ++at;
  };
  while (at < gif.size()) {
    Block b{gif[at++], 0, {}, {}};
    if (b.introducer == '!') {
      b.label = gif.at(at++);
      const std::size_t fixed = b.label == 0xF9 ? 6 : b.label == 0xFF ? 12 : b.label == 0x01 ? 13 : 0;
      b.head.assign(gif.begin() + static_cast<std::ptrdiff_t>(at), gif.begin() + static_cast<std::ptrdiff_t>(at + fixed));
      at += fixed;
      if (b.label != 0xF9) subBlocks(b);
    } else if (b.introducer == ',') {
      std::size_t fixed = 9 + ((gif.at(at + 8) & 0x80) ? 3u << ((gif[at + 8] & 7) + 1) : 0);
      b.head.assign(gif.begin() + static_cast<std::ptrdiff_t>(at), gif.begin() + static_cast<std::ptrdiff_t>(at + fixed + 1));
      at += fixed + 1;
      subBlocks(b);
    }
    blocks.push_back(b);
    if (b.introducer != '!' && b.introducer != ',') break;
  }
  return blocks;
}

std::vector<RGBQUAD> Greys(int count) {
  std::vector<RGBQUAD> colors;
  for (int i = 0; i < count; ++i) {
    const auto v = static_cast<BYTE>(i * 255 / (count - 1));
    colors.push_back({v, v, static_cast<BYTE>(255 - v), 0});
  }
  return colors;
}

std::unique_ptr<TBitmap> Stripes(int width, int height, int bits) {
  std::vector<std::uint8_t> indices(static_cast<std::size_t>(width * height));
  for (std::size_t i = 0; i < indices.size(); ++i) indices[i] = static_cast<std::uint8_t>((i / 3) % (1u << bits));
  return PalettedBitmap(width, height, bits, Greys(1 << bits), indices);
}

TColor Photo(int x, int y) { return (x * 5) | ((y * 7) & 0xFF) << 8 | ((x + y) * 3 & 0xFF) << 16; }

TEST(GifWrite, OneTrueColourBitmapGivesTheReducedPaletteAsGlobalTable) {
  auto bitmap = gif_test::TrueColorBitmap(40, 30, Photo);
  TGIFImage image;
  image.Assign(bitmap.get());
  const Bytes gif = Saved(image);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF87a");
  EXPECT_EQ(gif[10], 0xF7);
  const std::vector<Block> blocks = BlocksOf(gif);
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].introducer, ',');
  EXPECT_EQ(blocks[0].head[8] & 0x80, 0);
  EXPECT_EQ(blocks[1].introducer, ';');

  // The table and the indices are those the pixel-format unit chose.
  const std::unique_ptr<TMemoryStream> reduced = BitmapToMemoryStream(bitmap.get(), pf8bit, DefaultMappingMethod);
  TBitmap expected;
  expected.LoadFromStream(reduced.get());
  const giflib_ref::Image decoded = giflib_ref::Read(gif);
  ASSERT_EQ(decoded.colors.size(), 256u);
  const auto* quads = reinterpret_cast<const RGBQUAD*>(static_cast<const BYTE*>(reduced->GetMemory()) + 54);
  for (std::size_t i = 0; i < 256; ++i)
    ASSERT_EQ(decoded.colors[i], (giflib_ref::Rgb{quads[i].rgbRed, quads[i].rgbGreen, quads[i].rgbBlue})) << i;
  EXPECT_EQ(decoded.frames[0].indices, gif_test::IndicesOf(&expected));
}

TEST(GifWrite, ASecondBitmapGetsALocalTableAndTheNewerVersion) {
  TGIFImage image;
  image.AddFrame(Stripes(8, 4, 8).get());
  image.AddFrame(Stripes(5, 6, 4).get());
  const Bytes gif = Saved(image);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
  EXPECT_EQ(image.GetScreenWidth(), 8);
  EXPECT_EQ(image.GetScreenHeight(), 6);
  const std::vector<Block> blocks = BlocksOf(gif);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].head[8], 0);
  EXPECT_EQ(blocks[1].head[8], 0x83);  // a local table of 16 entries
  EXPECT_EQ(giflib_ref::Read(gif).frames[1].colors.size(), 16u);
}

TEST(GifWrite, WritesTheLoopBlockForTwoFramesOrMore) {
  TGIFImage image;
  image.AddFrame(Stripes(4, 4, 1).get());
  image.SetLooping(true);
  image.SetRepeatCount(0);
  EXPECT_EQ(BlocksOf(Saved(image))[0].introducer, ',');
  image.AddFrame(Stripes(4, 4, 1).get());
  const std::vector<Block> blocks = BlocksOf(Saved(image));
  ASSERT_EQ(blocks[0].label, 0xFF);
  EXPECT_EQ(std::string(blocks[0].head.begin(), blocks[0].head.end()), "\x0bNETSCAPE2.0");
  EXPECT_EQ(blocks[0].subBlocks, (std::vector<Bytes>{{1, 0, 0}}));
  image.SetRepeatCount(513);
  EXPECT_EQ(BlocksOf(Saved(image))[0].subBlocks, (std::vector<Bytes>{{1, 1, 2}}));
}

TEST(GifWrite, RefreshesTheGraphicControlBlockFromTheProperties) {
  TGIFImage image;
  image.AddFrame(Stripes(4, 4, 4).get());
  TGIFFrame* frame = image.GetFrames(0);
  frame->SetAnimateInterval(75);
  frame->SetDisposalMethod(dmRestorePrevious);
  frame->SetTransparentColor(0x0000FF);  // entry 0 of the table: red 255
  std::vector<Block> blocks = BlocksOf(Saved(image));
  ASSERT_EQ(blocks[0].label, 0xF9);
  EXPECT_EQ(blocks[0].head, (Bytes{4, 0x0D, 7, 0, 0, 0}));
  frame->SetTransparentColor(0x123456);
  blocks = BlocksOf(Saved(image));
  EXPECT_EQ(blocks[0].head, (Bytes{4, 0x0C, 7, 0, 0, 0}));
  // Back at the defaults, the block stays.
  frame->SetAnimateInterval(0);
  frame->SetDisposalMethod(dmUndefined);
  frame->SetTransparentColor(clNone);
  blocks = BlocksOf(Saved(image));
  EXPECT_EQ(blocks[0].head, (Bytes{4, 0, 0, 0, 0, 0}));
  EXPECT_EQ(image.GetVersion(), gv89a);
}

TEST(GifWrite, WritesCommentsAsSubBlocks) {
  TGIFImage image;
  image.AddFrame(Stripes(4, 4, 1).get());
  TStringList lines;
  lines.Add(std::string(300, 'c'));
  lines.Add("");
  lines.Add("end");
  image.SetComment(&lines);
  TStringList* frameComment = image.GetFrames(0)->GetComment();
  frameComment->Add("gone");
  frameComment->Delete(0);
  const Bytes gif = Saved(image);
  EXPECT_EQ(std::string(gif.begin(), gif.begin() + 6), "GIF89a");
  const std::vector<Block> blocks = BlocksOf(gif);
  ASSERT_EQ(blocks.size(), 3u);
  EXPECT_EQ(blocks[0].introducer, ',');
  EXPECT_EQ(blocks[1].label, 0xFE);
  EXPECT_EQ(blocks[1].subBlocks, (std::vector<Bytes>{Bytes(255, 'c'), Bytes{'e', 'n', 'd'}}));
}

TEST(GifWrite, TakesTheBackgroundIndexFromTheGlobalTable) {
  TGIFImage image;
  image.AddFrame(Stripes(4, 4, 4).get());
  EXPECT_EQ(Saved(image)[11], 0);
  image.SetBackgroundColor(0x1111EE);  // entry 1: blue 17, green 17, red 238
  EXPECT_EQ(Saved(image)[11], 1);
  image.SetBackgroundColor(0xE2EEEE);  // in no entry
  EXPECT_EQ(Saved(image)[11], 0);
  image.SetBackgroundColor(0xFFFF00);
  EXPECT_EQ(Saved(image)[11], 15);
  image.SetBackgroundColor(clNone);
  EXPECT_EQ(Saved(image)[11], 0);
}

TEST(GifWrite, WritesTheFramesBoundingBoxAsTheScreen) {
  auto image = Loaded(Builder().Head(100, 80, 2).Image(3, 4, 2, 2, {0, 1, 2, 3}).Image(1, 1, 2, 2, {3, 2, 1, 0}).End().bytes());
  const Bytes gif = Saved(*image);
  EXPECT_EQ(gif[6] | gif[7] << 8, 5);
  EXPECT_EQ(gif[8] | gif[9] << 8, 6);
}

TEST(GifWrite, CopiesReadRastersByteForByte) {
  // The second raster is cut off: marked corrupted and written without its missing end.
  const Builder first = Builder().Head(4, 2, 2).Control(0x04, 3, 0).Image(0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
  Bytes bytes = Builder().Raw(first.bytes()).Image(0, 0, 2, 1, {1, 2}).bytes();
  bytes.resize(bytes.size() - 2);
  auto image = Loaded(bytes);
  ASSERT_EQ(image->GetCount(), 2);
  EXPECT_TRUE(image->GetFrames(1)->GetCorrupted());
  // Only the sub-block that is cut off is missing from the written raster.
  Bytes expected(bytes.begin(), bytes.end() - 2);
  expected[10] = 0x91;  // the colour resolution written is that of the table
  expected.push_back(0x3B);
  EXPECT_EQ(Saved(*image), expected);
}

TEST(GifWrite, WriteDataCountsTheBytes) {
  TGIFImage image;
  image.AddFrame(Stripes(3, 3, 1).get());
  TMemoryStream data;
  image.WriteData(&data);
  const Bytes gif = Saved(image);
  ASSERT_EQ(data.GetSize(), static_cast<std::int64_t>(4 + gif.size()));
  std::int32_t count = 0;
  std::memcpy(&count, data.GetMemory(), 4);
  EXPECT_EQ(count, static_cast<std::int32_t>(gif.size()));
  data.SetPosition(0);
  TGIFImage back;
  back.ReadData(&data);
  EXPECT_EQ(back.GetCount(), 1);
}

TEST(GifWrite, LeavesTheTargetUntouchedWhenItFails) {
  TMemoryStream target;
  TGIFImage empty;
  try {
    empty.SaveToStream(&target);
    ADD_FAILURE();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message, SNoGIFData);
  }
  // A second frame with nothing in it fails after the first is encoded.
  TGIFImage image;
  image.AddFrame(Stripes(3, 3, 1).get());
  TBitmap nothing;
  image.AddFrame(&nothing);
  EXPECT_THROW(image.SaveToStream(&target), EInvalidGraphicOperation);
  EXPECT_EQ(target.GetSize(), 0);
  // Encoding aborted by the progress handler resets the frame and keeps its bitmap.
  TGIFImage aborted;
  aborted.AddFrame(Stripes(3, 3, 1).get());
  aborted.GetFrames(0)->SetAnimateInterval(40);
  aborted.OnProgress = [](TObject*, TProgressStage stage, BYTE, bool, const TRect&, const AnsiString&) {
    if (stage == psRunning) Abort();
  };
  EXPECT_THROW(aborted.SaveToStream(&target), EAbort);
  EXPECT_EQ(target.GetSize(), 0);
  EXPECT_EQ(aborted.GetFrames(0)->GetAnimateInterval(), 0);
  EXPECT_EQ(aborted.GetFrames(0)->GetBitmap()->GetWidth(), 3);
}

TEST(GifWrite, EncodesOnlyOneFourAndEightBitImages) {
  TGIFImage image;
  image.AddFrame(Stripes(3, 3, 1).get());
  TMemoryStream bmp;
  gif_test::TrueColorBitmap(2, 2, Photo)->SaveToStream(&bmp);
  try {
    image.GetFrames(0)->EncodeBitmapStream(&bmp);
    ADD_FAILURE();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message, SGIFEncodeError);
  }
}

TEST(GifWrite, EncodeAllFramesShowsTheReducedColours) {
  TGIFImage image;
  image.Assign(gif_test::TrueColorBitmap(16, 16, Photo).get());
  EXPECT_EQ(image.GetBitmap()->GetPixelFormat(), pf24bit);
  image.EncodeAllFrames();
  EXPECT_EQ(image.GetBitmap()->GetPixelFormat(), pf8bit);
}

}  // namespace
