// Reading GIF streams built byte by byte: the signature, the screen and its table, every kind
// of extension, frames with their properties and lazy decoding, what ends a stream, and the
// answers to damaged and hostile data.
#include <gtest/gtest.h>

#include <array>
#include <functional>

#include "imaging/QmGIF.h"
#include "imaging/QmGIFTexts.h"
#include "tests/imaging/GifBytes.h"
#include "tests/imaging/GifTestUtil.h"

namespace {

using gif_bytes::Builder;
using gif_test::IndicesOf;

const std::vector<std::uint8_t> kFour = {0, 1, 2, 3};

std::unique_ptr<TGIFImage> Read(const Builder& b) {
  auto image = std::make_unique<TGIFImage>();
  auto stream = b.Stream();
  image->LoadFromStream(stream.get());
  return image;
}

// The message of the exception the call raises, or "" when it raises none.
template <class E>
std::string MessageOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const E& e) {
    return e.Message;
  }
  return "";
}

std::string ReadError(const Builder& b) {
  TGIFImage image;
  auto stream = b.Stream();
  return MessageOf<Exception>([&] { image.LoadFromStream(stream.get()); });
}

TEST(GifRead, TakesSignatureAndVersionInAnyCase) {
  EXPECT_EQ(Read(Builder().Head(2, 2, 2, 0, "gif89A").Image(0, 0, 2, 2, kFour).End())->GetVersion(), gv89a);
  EXPECT_EQ(Read(Builder().Head(2, 2, 2, 0, "GIF87a").Image(0, 0, 2, 2, kFour).End())->GetVersion(), gv87a);
  EXPECT_EQ(ReadError(Builder().Head(2, 2, 2, 0, "GIF88a").End()), SGIFVersion);
  EXPECT_EQ(ReadError(Builder().Head(2, 2, 2, 0, "GIT89a").End()), SGIFVersion);
}

TEST(GifRead, AScreenWithoutImagesIsAnEmptyImage) {
  auto image = Read(Builder().Head(10, 20, 1).End());
  EXPECT_EQ(image->GetCount(), 0);
  EXPECT_TRUE(image->GetEmpty());
  EXPECT_EQ(image->GetFrameIndex(), -1);
  EXPECT_EQ(image->GetScreenWidth(), 0);
  EXPECT_EQ(image->GetWidth(), 0);
  EXPECT_EQ(image->GetGlobalColorCount(), 2);
}

TEST(GifRead, TakesTheBackgroundFromTheGlobalTable) {
  EXPECT_EQ(Read(Builder().Head(2, 2, 2, 3).End())->GetBackgroundColor(), 0x090603);
  EXPECT_EQ(Read(Builder().Head(2, 2, 2, 4).End())->GetBackgroundColor(), clNone);
  EXPECT_EQ(Read(Builder().Head(2, 2, 0, 0).End())->GetBackgroundColor(), clNone);
}

TEST(GifRead, FindsTheLoopBlock) {
  struct Case {
    const char* name;
    Builder extension;
    bool looping;
    int repeat;
  };
  Builder longName;
  longName.Raw({0x21, 0xFF, 14}).Text("NETSCAPE2.0").SubBlocks({std::string{1, 5, 0}});
  Builder otherName;
  otherName.Raw({0x21, 0xFF, 11}).Text("NETSCAPE2.1").SubBlocks({std::string{1, 5, 0}});
  const Case cases[] = {
      {"count 0", Builder().Loop(0), true, 0},
      {"count 40000", Builder().Loop(40000), true, 30000},
      {"ANIMEXTS", Builder().Loop(7, "ANIMEXTS1.0"), true, 7},
      {"sub-block begins with 2", Builder().Application("NETSCAPE2.0", {std::string{2, 5, 0}}), false, 1},
      {"short sub-block", Builder().Application("NETSCAPE2.0", {std::string{1, 5}}), false, 1},
      {"block size above 11", longName, true, 5},
      {"other name", otherName, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto image = Read(Builder().Head(2, 2, 2).Raw(c.extension.bytes()).Image(0, 0, 2, 2, kFour).End());
    EXPECT_EQ(image->GetLooping(), c.looping);
    EXPECT_EQ(image->GetRepeatCount(), c.repeat);
    EXPECT_TRUE(image->GetFrames(0)->GetExtensions().empty());
  }
}

TEST(GifRead, TakesFramePropertiesFromTheGraphicControlBlocks) {
  struct Case {
    const char* name;
    Builder extensions;
    TColor transparent;
    int interval;
    TDisposalMethod disposal;
  };
  const Case cases[] = {
      {"delay 7", Builder().Control(0x09, 7, 2), 0x060402, 70, dmRestoreBackground},
      {"delay above 6553", Builder().Control(0, 7000, 0), clNone, 65535, dmUndefined},
      {"index at the count", Builder().Control(0x01, 0, 4), clNone, 0, dmUndefined},
      {"plain text after it", Builder().Control(0x0D, 50, 1).PlainText(), clNone, 0, dmUndefined},
      {"two blocks", Builder().Control(0x05, 90, 1).Control(0x08, 20, 3), clNone, 900, dmRestoreBackground},
      {"two blocks, later transparent", Builder().Control(0x00, 10, 1).Control(0x0D, 20, 3), 0x090603, 200,
       dmRestorePrevious},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto image = Read(Builder().Head(2, 2, 2).Raw(c.extensions.bytes()).Image(0, 0, 2, 2, kFour).End());
    TGIFFrame* frame = image->GetFrames(0);
    EXPECT_EQ(frame->GetTransparentColor(), c.transparent);
    EXPECT_EQ(frame->GetAnimateInterval(), c.interval);
    EXPECT_EQ(frame->GetDisposalMethod(), c.disposal);
  }
}

TEST(GifRead, DecodesFramesAtTheirDepthWithTheirTables) {
  // Frame 0 against the 4-entry global table, frame 1 with a local 32-entry table, interlaced.
  std::vector<std::uint8_t> tall(3 * 11);
  for (std::size_t i = 0; i < tall.size(); ++i) tall[i] = static_cast<std::uint8_t>(i % 32);
  std::vector<std::uint8_t> streamOrder;
  for (int y : {0, 8, 4, 2, 6, 10, 1, 3, 5, 7, 9})
    streamOrder.insert(streamOrder.end(), tall.begin() + 3 * y, tall.begin() + 3 * y + 3);
  auto image = Read(Builder()
                        .Head(5, 12, 2)
                        .Image(1, 2, 2, 2, kFour)
                        .Image(0, 1, 3, 11, streamOrder, 5, 5, true)
                        .End());
  ASSERT_EQ(image->GetCount(), 2);
  EXPECT_EQ(image->GetScreenWidth(), 5);
  EXPECT_EQ(image->GetFrameIndex(), 0);
  TGIFFrame* first = image->GetFrames(0);
  EXPECT_EQ(first->GetTopLeft().x, 1);
  EXPECT_EQ(first->GetTopLeft().y, 2);
  EXPECT_EQ(first->GetBitmap()->GetPixelFormat(), pf4bit);
  EXPECT_EQ(IndicesOf(first->GetBitmap()), kFour);
  EXPECT_EQ(first->GetBitmap()->GetCanvas()->GetPixels(1, 1), 0x090603);
  EXPECT_EQ(first->GetColorCount(), 4);
  TGIFFrame* second = image->GetFrames(1);
  EXPECT_TRUE(second->GetInterlaced());
  EXPECT_EQ(second->GetBitmap()->GetPixelFormat(), pf8bit);
  EXPECT_EQ(IndicesOf(second->GetBitmap()), tall);
  EXPECT_EQ(second->GetColorCount(), 32);
  EXPECT_EQ(image->GetWidth(), 2);
  EXPECT_EQ(image->GetPixelFormat(), pf8bit);
  EXPECT_FALSE(image->GetCorrupted());
}

// The bitmap a frame decodes to: a device-independent one of the frame's depth whose colour
// table is the frame's table, grey beyond it.
TEST(GifRead, DecodesIntoABitmapOfTheFramesDepthAndTable) {
  struct Case {
    int bits;
    TPixelFormat format;
    int entries;
  };
  for (const Case& c : {Case{1, pf1bit, 2}, Case{3, pf4bit, 16}, Case{5, pf8bit, 256}}) {
    SCOPED_TRACE(c.bits);
    auto image = Read(Builder().Head(3, 2, c.bits).Image(0, 0, 3, 2, {1, 0, 1, 0, 1, 1}).End());
    TBitmap* bitmap = image->GetFrames(0)->GetBitmap();
    EXPECT_EQ(bitmap->GetPixelFormat(), c.format);
    EXPECT_EQ(bitmap->GetHandleType(), bmDIB);
    std::vector<PALETTEENTRY> entries(256);
    ASSERT_EQ(GetPaletteEntries(bitmap->GetPalette(), 0, 256, entries.data()), static_cast<UINT>(c.entries));
    for (int i = 0; i < c.entries; ++i) {
      const PALETTEENTRY& e = entries[static_cast<std::size_t>(i)];
      const bool inTable = i < (1 << c.bits);  // the builder's entry i is (i, 2i, 3i)
      ASSERT_EQ((std::array<int, 3>{e.peRed, e.peGreen, e.peBlue}),
                (inTable ? std::array<int, 3>{i, 2 * i, 3 * i} : std::array<int, 3>{128, 128, 128}))
          << "entry " << i;
    }
    EXPECT_EQ(IndicesOf(bitmap), (std::vector<std::uint8_t>{1, 0, 1, 0, 1, 1}));
    EXPECT_EQ(bitmap->GetCanvas()->GetPixels(0, 0), 0x030201);
  }
}

TEST(GifRead, DecodesOnlyTheFirstFrameUntilAnotherIsAskedFor) {
  auto stream = Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).Image(0, 0, 2, 2, kFour).Image(0, 0, 2, 2, kFour).End().Stream();
  TGIFImage image;
  int decodes = 0;
  image.OnProgress = [&](TObject* sender, TProgressStage stage, BYTE, bool, const TRect&, const AnsiString&) {
    EXPECT_EQ(sender, &image);
    if (stage == psStarting) ++decodes;
  };
  image.LoadFromStream(stream.get());
  EXPECT_EQ(decodes, 1);
  image.GetFrames(2)->GetBitmap();
  EXPECT_EQ(decodes, 2);
  image.GetFrames(2)->GetWidth();
  EXPECT_EQ(decodes, 2);
  image.DecodeAllFrames();
  EXPECT_EQ(decodes, 3);
}

TEST(GifRead, AbortedDecodingDropsThatFrameAndTheRest) {
  auto stream = Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).Image(0, 0, 2, 2, kFour).Image(0, 0, 2, 2, kFour).End().Stream();
  TGIFImage image;
  image.LoadFromStream(stream.get());
  image.GetFrames(2)->GetBitmap();
  int decodes = 0;
  image.OnProgress = [&](TObject*, TProgressStage stage, BYTE, bool, const TRect&, const AnsiString&) {
    if (stage == psStarting && ++decodes == 1) Abort();
  };
  image.DecodeAllFrames();
  EXPECT_EQ(image.GetCount(), 1);
  EXPECT_TRUE(image.GetCorrupted());
}

TEST(GifRead, ReplacesAZeroSizeByTheScreenSize) {
  auto image = Read(Builder().Head(3, 2, 2).Image(0, 0, 0, 0, {0, 1, 2, 3, 0, 1}).End());
  EXPECT_EQ(image->GetWidth(), 3);
  EXPECT_EQ(image->GetHeight(), 2);
}

TEST(GifRead, EndsAsTheBytesAfterAnImageSay) {
  // Zero bytes between blocks are skipped; another byte ends the image quietly.
  auto skipped = Read(Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).Raw({0, 0, 0}).Image(0, 0, 2, 2, kFour).End());
  EXPECT_EQ(skipped->GetCount(), 2);
  auto ended = Read(Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).Raw({'x'}).Image(0, 0, 2, 2, kFour).End());
  EXPECT_EQ(ended->GetCount(), 1);
  auto noTrailer = Read(Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour));
  EXPECT_EQ(noTrailer->GetCount(), 1);
  // After extensions, another byte with more data behind it is a read error.
  EXPECT_EQ(ReadError(Builder().Head(2, 2, 2).Control(0, 1, 0).Raw({'x'}).Image(0, 0, 2, 2, kFour).End()), SReadError);
}

TEST(GifRead, KeepsCommentsWithTheirFrameOrTheImage) {
  auto image = Read(Builder()
                        .Head(2, 2, 2)
                        .Comment({"on the frame"})
                        .Image(0, 0, 2, 2, kFour)
                        .Comment({"one", "two"})
                        .Comment({"three"})
                        .End());
  TStringList* frameComment = image->GetFrames(0)->FindComment(false);
  ASSERT_NE(frameComment, nullptr);
  EXPECT_EQ(frameComment->GetStrings(0), "on the frame");
  TStringList* comment = image->GetComment();
  ASSERT_EQ(comment->GetCount(), 4);
  EXPECT_EQ(comment->GetStrings(0), "one");
  EXPECT_EQ(comment->GetStrings(1), "two");
  EXPECT_EQ(comment->GetStrings(2), "\r\n\r\n");
  EXPECT_EQ(comment->GetStrings(3), "three");
}

TEST(GifRead, ReadDataTakesItsByteCount) {
  const Builder gif = Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).End();
  TMemoryStream stream;
  const auto size = static_cast<std::int32_t>(gif.bytes().size());
  stream.WriteBuffer(&size, 4);
  stream.WriteBuffer(gif.bytes().data(), size);
  stream.WriteBuffer("tail", 4);
  stream.SetPosition(0);
  TGIFImage image;
  image.ReadData(&stream);
  EXPECT_EQ(image.GetCount(), 1);
  EXPECT_EQ(stream.GetPosition(), 4 + size);
}

TEST(GifRead, MarksACutOffRasterOrFails) {
  Builder cut = Builder().Head(4, 2, 2).Image(0, 0, 4, 2, {0, 1, 2, 3, 3, 2, 1, 0});
  gif_bytes::Bytes bytes = cut.bytes();
  bytes.resize(bytes.size() - 3);  // the zero block and the last two bytes of the only sub-block
  Builder truncated;
  truncated.Raw(bytes);
  auto image = Read(truncated);
  ASSERT_EQ(image->GetCount(), 1);
  EXPECT_TRUE(image->GetFrames(0)->GetCorrupted());
  EXPECT_TRUE(image->GetCorrupted());
  EXPECT_EQ(image->GetWidth(), 4);

  GIFLoadCorrupted = false;
  TGIFImage strict;
  auto stream = truncated.Stream();
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { strict.LoadFromStream(stream.get()); }), SReadError);
  EXPECT_EQ(strict.GetCount(), 0);
  GIFLoadCorrupted = true;
}

TEST(GifRead, RaisesReadErrorsForShortStreams) {
  const gif_bytes::Bytes whole =
      Builder().Head(2, 2, 2).Control(0, 1, 0).Comment({"abc"}).Image(0, 0, 2, 2, kFour).End().bytes();
  // Cut inside the header, the screen descriptor, the global table, the control block's fixed
  // bytes, a comment sub-block, the image descriptor and the code-size byte.
  for (std::size_t cut : {2u, 8u, 15u, 27u, 37u, 45u, 50u}) {
    SCOPED_TRACE(cut);
    Builder b;
    b.Raw(gif_bytes::Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
    TGIFImage image;
    auto stream = b.Stream();
    EXPECT_THROW(image.LoadFromStream(stream.get()), EReadError);
  }
  // A length the source does not hold is refused before anything is copied.
  TMemoryStream stream;
  const std::int32_t size = 0x7FFFFFFF;
  stream.WriteBuffer(&size, 4);
  stream.SetPosition(0);
  TGIFImage image;
  EXPECT_THROW(image.ReadData(&stream), EReadError);
}

TEST(GifRead, NamesAnUnknownExtension) {
  EXPECT_EQ(ReadError(Builder().Head(2, 2, 2).Raw({0x21, 0x07, 0}).Image(0, 0, 2, 2, kFour).End()),
            "Неопределенное расширение GIF: 07");
}

TEST(GifRead, KeepsTheFramesReadBeforeAFailure) {
  auto stream = Builder().Head(2, 2, 2).Image(0, 0, 2, 2, kFour).Raw({0x21, 0x02}).End().Stream();
  TGIFImage image;
  EXPECT_THROW(image.LoadFromStream(stream.get()), EInvalidGraphicOperation);
  EXPECT_EQ(image.GetCount(), 1);
}

TEST(GifRead, AFrameWithoutColoursCannotBeDecoded) {
  TGIFImage image;
  auto stream = Builder().Head(2, 2, 0).Image(0, 0, 2, 2, kFour).End().Stream();
  image.ReadStream(stream->GetSize(), stream.get(), false);
  ASSERT_EQ(image.GetCount(), 1);
  TGIFFrame* frame = image.GetFrames(0);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { frame->GetBitmap(); }), SWrongGIFColors);
  // Reading it at once removes it.
  EXPECT_EQ(ReadError(Builder().Head(2, 2, 0).Image(0, 0, 2, 2, kFour).End()), SWrongGIFColors);
}

// Sizes a hostile file claims are refused before memory is taken for them; a frame that its
// codes cannot fill is refused too when reading is strict, else it is what the codes give.
TEST(GifRead, RefusesSizesItsCodesCannotFill) {
  EXPECT_EQ(ReadError(Builder().Head(0xFFFF, 0xFFFF, 8).Image(0, 0, 0, 0, {1, 2, 3}, 8).End()), SGIFDecodeError);
  const Builder unfilled = Builder().Head(2, 2, 8).Image(0, 0, 16384, 16384, {1, 2, 3}, 8).End();
  {
    const gif_test::StrictReading strict;
    EXPECT_EQ(ReadError(unfilled), SGIFDecodeError);
  }
  auto damaged = Read(unfilled);
  ASSERT_EQ(damaged->GetCount(), 1);
  EXPECT_TRUE(damaged->GetFrames(0)->GetCorrupted());
  EXPECT_EQ(damaged->GetWidth(), 16384);
  const auto* top = static_cast<const std::uint8_t*>(damaged->GetBitmap()->GetScanLine(0));
  EXPECT_EQ(std::vector<std::uint8_t>(top, top + 4), (std::vector<std::uint8_t>{1, 2, 3, 0}));
  // Odd sizes real files have read as they are.
  auto wide = Read(Builder().Head(2, 2, 1).Image(0, 0, 1000, 1, std::vector<std::uint8_t>(1000, 1)).End());
  EXPECT_EQ(IndicesOf(wide->GetBitmap()), std::vector<std::uint8_t>(1000, 1));

  Builder many = Builder().Head(1, 1, 1);
  for (int i = 0; i <= kMaxGIFFrames; ++i) many.Image(0, 0, 1, 1, {1});
  TGIFImage image;
  auto stream = many.End().Stream();
  EXPECT_THROW(image.ReadStream(stream->GetSize(), stream.get(), false), EInvalidGraphicOperation);
  EXPECT_EQ(image.GetCount(), kMaxGIFFrames);
}

}  // namespace
