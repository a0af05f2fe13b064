// The LZW codec on its own: code sizes and block framing of the encoder, round trips at every
// depth past the table restart and in interlaced order, hand-packed code streams for the
// decoder's special codes, and its answers to damaged data.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "imaging/QmGIFCodec.h"
#include "imaging/QmGIFTexts.h"

namespace {

// Packs codes of given widths least significant bit first into sub-blocks after a code-size
// byte, independently of the encoder under test.
class CodePacker {
 public:
  explicit CodePacker(int codeSize) : codeSize_(codeSize) {}
  CodePacker& Code(unsigned code, int width) {
    for (int i = 0; i < width; ++i) {
      if (bits_ % 8 == 0) bytes_.push_back(0);
      bytes_.back() |= static_cast<BYTE>(((code >> i) & 1) << (bits_ % 8));
      ++bits_;
    }
    return *this;
  }
  // Without the terminating zero-length block when `terminated` is false.
  std::vector<BYTE> Bytes(bool terminated = true, std::size_t blockSize = 255) const {
    std::vector<BYTE> out{static_cast<BYTE>(codeSize_)};
    for (std::size_t at = 0; at < bytes_.size(); at += blockSize) {
      const std::size_t n = std::min(blockSize, bytes_.size() - at);
      out.push_back(static_cast<BYTE>(n));
      out.insert(out.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(at),
                 bytes_.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    if (terminated) out.push_back(0);
    return out;
  }

 private:
  int codeSize_;
  int bits_ = 0;
  std::vector<BYTE> bytes_;
};

BITMAPINFOHEADER Header(int width, int height, int bitCount) {
  BITMAPINFOHEADER h{};
  h.biSize = sizeof h;
  h.biWidth = width;
  h.biHeight = height;
  h.biPlanes = 1;
  h.biBitCount = static_cast<WORD>(bitCount);
  return h;
}

std::unique_ptr<TMemoryStream> StreamOf(const std::vector<BYTE>& bytes) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream->SetPosition(0);
  return stream;
}

std::vector<BYTE> BytesOf(TMemoryStream& stream) {
  const auto* p = static_cast<const BYTE*>(stream.GetMemory());
  return {p, p + stream.GetSize()};
}

// Pixel indices in image order (top row first) of a bottom-up buffer.
std::vector<BYTE> Indices(const std::vector<BYTE>& buffer, int width, int height, int bitCount) {
  const std::ptrdiff_t stride = LzwRowStride(width, bitCount);
  std::vector<BYTE> out;
  for (int y = 0; y < height; ++y) {
    const BYTE* row = buffer.data() + (height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      if (bitCount == 8) out.push_back(row[x]);
      else if (bitCount == 4) out.push_back(static_cast<BYTE>(x & 1 ? row[x / 2] & 15 : row[x / 2] >> 4));
      else out.push_back(static_cast<BYTE>((row[x / 8] >> (7 - x % 8)) & 1));
    }
  }
  return out;
}

std::vector<BYTE> Buffer(const std::vector<BYTE>& indices, int width, int height, int bitCount) {
  const std::ptrdiff_t stride = LzwRowStride(width, bitCount);
  std::vector<BYTE> buffer(static_cast<std::size_t>(stride * height));
  for (int y = 0; y < height; ++y) {
    BYTE* row = buffer.data() + (height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const BYTE v = indices[static_cast<std::size_t>(y * width + x)];
      if (bitCount == 8) row[x] = v;
      else if (bitCount == 4) row[x / 2] |= static_cast<BYTE>(x & 1 ? v : v << 4);
      else row[x / 8] |= static_cast<BYTE>(v << (7 - x % 8));
    }
  }
  return buffer;
}

struct Decoded {
  std::vector<BYTE> indices;
  bool corrupted = false;
};

Decoded Decode(const std::vector<BYTE>& code, int width, int height, int bitCount, int colorBits,
               bool interlaced = false, bool tolerant = false) {
  auto stream = StreamOf(code);
  std::vector<BYTE> buffer(static_cast<std::size_t>(LzwRowStride(width, bitCount) * height));
  Decoded d;
  DecodeLzwRaster(stream.get(), Header(width, height, bitCount), interlaced, nullptr, d.corrupted, buffer, colorBits,
                  tolerant);
  d.indices = Indices(buffer, width, height, bitCount);
  return d;
}

std::vector<BYTE> Encode(const std::vector<BYTE>& indices, int width, int height, int bitCount,
                         bool interlaced = false) {
  TMemoryStream out;
  const std::vector<BYTE> buffer = Buffer(indices, width, height, bitCount);
  EncodeLzwRaster(&out, Header(width, height, bitCount), interlaced, nullptr, buffer);
  return BytesOf(out);
}

std::vector<BYTE> Noise(std::size_t count, int colors, unsigned seed) {
  std::mt19937 random(seed);
  std::vector<BYTE> v(count);
  // Runs of repeated values make strings long enough to reach the deep table entries.
  for (std::size_t i = 0; i < count; ++i)
    v[i] = static_cast<BYTE>(random() % 4 == 0 && i > 0 ? v[i - 1] : random() % static_cast<unsigned>(colors));
  return v;
}

// Splits code data into its code-size byte and the lengths of its sub-blocks.
std::vector<int> BlockLengths(const std::vector<BYTE>& code) {
  std::vector<int> lengths;
  for (std::size_t at = 1; at < code.size(); at += code[at] + 1u) lengths.push_back(code[at]);
  return lengths;
}

TEST(GifLzwEncoder, StartsWithTheCodeSizeOfTheDepthAndAClearCode) {
  struct Case {
    int bitCount, codeSize, clear, width;
  };
  for (const Case c : {Case{1, 2, 4, 3}, Case{4, 4, 16, 5}, Case{8, 8, 256, 9}}) {
    SCOPED_TRACE(c.bitCount);
    const std::vector<BYTE> code = Encode({1, 0, 1, 1}, 2, 2, c.bitCount);
    EXPECT_EQ(code[0], c.codeSize);
    const unsigned first = (code[2] | code[3] << 8) & ((1u << c.width) - 1);
    EXPECT_EQ(first, static_cast<unsigned>(c.clear));
  }
  // A 1-bit image: clear 4, the root 1, then its first new string gets code 6, all 3 bits wide.
  const std::vector<BYTE> code = Encode({1, 1, 1, 1, 1, 1}, 6, 1, 1);
  EXPECT_EQ(Decode(code, 6, 1, 1, 1).indices, std::vector<BYTE>(6, 1));
  const unsigned bits = code[2] | code[3] << 8;
  EXPECT_EQ(bits & 7, 4u);
  EXPECT_EQ((bits >> 3) & 7, 1u);
  EXPECT_EQ((bits >> 6) & 7, 6u);
}

TEST(GifLzwEncoder, WritesFullSubBlocksThenTheRestThenAZeroBlock) {
  const std::vector<BYTE> code = Encode(Noise(300 * 200, 256, 7), 300, 200, 8);
  const std::vector<int> lengths = BlockLengths(code);
  ASSERT_GT(lengths.size(), 3u);
  for (std::size_t i = 0; i + 2 < lengths.size(); ++i) ASSERT_EQ(lengths[i], 255) << i;
  EXPECT_GT(lengths[lengths.size() - 2], 0);
  EXPECT_EQ(lengths.back(), 0);
}

// Round trips at each depth, large enough to pass code 4094 and restart the table.
TEST(GifLzwCodec, RoundTripsEveryDepthPastTheTableRestart) {
  struct Case {
    int bitCount, colors, width, height;
    bool interlaced;
  };
  for (const Case c : {Case{1, 2, 333, 257, false}, Case{4, 16, 401, 199, false}, Case{8, 256, 517, 311, false},
                       Case{1, 2, 97, 61, true}, Case{4, 16, 45, 37, true}, Case{8, 256, 211, 103, true},
                       Case{8, 256, 1000, 1, false}, Case{8, 3, 1, 1, false}, Case{8, 200, 1, 1000, true}}) {
    SCOPED_TRACE(testing::Message() << c.bitCount << " bits " << c.width << "x" << c.height
                                    << (c.interlaced ? " interlaced" : ""));
    const std::vector<BYTE> indices = Noise(static_cast<std::size_t>(c.width * c.height), c.colors, c.width);
    const std::vector<BYTE> code = Encode(indices, c.width, c.height, c.bitCount, c.interlaced);
    const Decoded d = Decode(code, c.width, c.height, c.bitCount, c.bitCount, c.interlaced);
    EXPECT_FALSE(d.corrupted);
    EXPECT_EQ(d.indices, indices);
  }
}

// The code data ends with an end code the decoder reads at the width it has then (one wider
// when the last string fills its table's width), and with no pixel twice when the table
// restarts on the last pixel. Decoded one pixel wider, the end code stops it with no extra pixel.
TEST(GifLzwEncoder, EndsWithAnEndCodeTheDecoderReads) {
  struct Case {
    int bitCount, colors, from, to;
  };
  // This noise restarts the 4-bit table at pixel 10370; the widths in between meet every code width.
  for (const Case c : {Case{4, 15, 9500, 11000}, Case{8, 255, 1, 3000}, Case{1, 1, 1, 600}}) {
    std::vector<BYTE> noise = Noise(static_cast<std::size_t>(c.to), c.colors, 11);
    for (BYTE& v : noise) ++v;  // never index 0, which the pixel past the end must stay
    for (int width = c.from; width <= c.to; ++width) {
      SCOPED_TRACE(testing::Message() << c.bitCount << " bits, " << width << " pixels");
      const std::vector<BYTE> pixels(noise.begin(), noise.begin() + width);
      const Decoded d = Decode(Encode(pixels, width, 1, c.bitCount), width + 1, 1, c.bitCount, c.bitCount);
      ASSERT_EQ(d.indices.back(), 0);
    }
  }
}

TEST(GifLzwCodec, InterlacedRowsComeInPassOrder) {
  auto order = [](int height) {
    std::vector<int> rows;
    for (int y = 0, pass = 0; y < height; y = NextInterlacedRow(y, height, pass)) rows.push_back(y);
    return rows;
  };
  EXPECT_EQ(order(1), (std::vector<int>{0}));
  EXPECT_EQ(order(3), (std::vector<int>{0, 2, 1}));
  EXPECT_EQ(order(10), (std::vector<int>{0, 8, 4, 2, 6, 1, 3, 5, 7, 9}));
  // Interlaced pixels in stream order land on those rows: row 0 first, then 2, then 1.
  const CodePacker packer = CodePacker(2).Code(4, 3).Code(1, 3).Code(2, 3).Code(3, 3).Code(5, 4);
  EXPECT_EQ(Decode(packer.Bytes(), 1, 3, 4, 2, true).indices, (std::vector<BYTE>{1, 3, 2}));
}

TEST(GifLzwDecoder, HandlesTheSpecialCodes) {
  struct Case {
    const char* name;
    CodePacker code;
    int width;
    std::vector<BYTE> expected;
  };
  const Case cases[] = {
      // No clear code first: the table starts with the roots alone.
      {"no leading clear", CodePacker(2).Code(1, 3).Code(2, 3).Code(6, 3).Code(5, 4), 4, {1, 2, 1, 2}},
      // Code 6 when 6 is the next free code: the previous string plus its own first character.
      {"next free code", CodePacker(2).Code(4, 3).Code(3, 3).Code(6, 3).Code(5, 3), 3, {3, 3, 3}},
      // Rows complete: the end code later on is never needed, nor the codes before it.
      {"rows filled", CodePacker(2).Code(4, 3).Code(1, 3).Code(1, 3).Code(2, 3).Code(3, 3).Code(5, 3), 2, {1, 1}},
      // A clear code followed by another yields no pixel of its own.
      {"repeated clear", CodePacker(2).Code(4, 3).Code(2, 3).Code(4, 3).Code(4, 3).Code(3, 3).Code(5, 3), 2, {2, 3}},
      // A width change at code 8: codes from then on are 4 bits.
      {"width change",
       CodePacker(2).Code(4, 3).Code(0, 3).Code(1, 3).Code(2, 3).Code(3, 4).Code(8, 4).Code(5, 4),
       6,
       {0, 1, 2, 3, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Decoded d = Decode(c.code.Bytes(), c.width, 1, 8, 2);
    EXPECT_FALSE(d.corrupted);
    EXPECT_EQ(d.indices, c.expected);
  }
  // The end code right after a clear code ends the image with its rows unwritten.
  const CodePacker early = CodePacker(2).Code(4, 3).Code(1, 3).Code(4, 3).Code(5, 3);
  EXPECT_EQ(Decode(early.Bytes(), 3, 1, 8, 2).indices, (std::vector<BYTE>{1, 0, 0}));
}

TEST(GifLzwDecoder, MasksIndicesToTheFrameBits) {
  const CodePacker code = CodePacker(3).Code(8, 4).Code(7, 4).Code(5, 4).Code(9, 4);
  EXPECT_EQ(Decode(code.Bytes(), 2, 1, 1, 1).indices, (std::vector<BYTE>{1, 1}));
  EXPECT_EQ(Decode(code.Bytes(), 2, 1, 4, 2).indices, (std::vector<BYTE>{3, 1}));
}

// Damage: without tolerance each raises its message; with it the frame is marked corrupted
// and keeps the pixels decoded before the damage.
TEST(GifLzwDecoder, ReportsDamage) {
  // A chain of table entries that points at itself: the string of 7 is 7 plus a character.
  CodePacker circular(2);
  circular.Code(4, 3).Code(1, 3).Code(7, 3).Code(6, 3).Code(7, 4).Code(6, 4);
  // With code size 7 every code is one byte, so no padding bits make a code of their own.
  const std::vector<BYTE> cutShort = {7, 3, 128, 1, 2};
  struct Case {
    const char* name;
    std::vector<BYTE> code;
    const char* message;
    std::vector<BYTE> kept;
  };
  const Case cases[] = {
      {"code size 1", CodePacker(1).Code(2, 2).Code(1, 2).Bytes(), SGIFCodeSize, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"code size 12", CodePacker(12).Code(4096, 13).Code(1, 13).Bytes(), SGIFCodeSize, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"codes end early", cutShort, SReadError, {1, 2, 0, 0, 0, 0, 0, 0}},
      {"no code at all", CodePacker(2).Bytes(), SReadError, {0, 0, 0, 0, 0, 0, 0, 0}},
      {"circular chain", circular.Bytes(), SGIFDecodeError, {1, 1, 1, 1, 1, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      Decode(c.code, 8, 1, 8, 2);
      ADD_FAILURE() << "no error";
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_STREQ(e.Message.c_str(), c.message);
    }
    const Decoded d = Decode(c.code, 8, 1, 8, 2, false, true);
    EXPECT_TRUE(d.corrupted);
    EXPECT_EQ(d.indices, c.kept);
  }
  // Code data that completes its rows needs no end code.
  const Decoded complete = Decode(cutShort, 2, 1, 8, 2);
  EXPECT_FALSE(complete.corrupted);
  EXPECT_EQ(complete.indices, (std::vector<BYTE>{1, 2}));
}

TEST(GifLzwDecoder, ReportsProgressAndTheErrorOnTheWayOut) {
  const std::vector<BYTE> code = Encode(Noise(200 * 200, 256, 3), 200, 200, 8);
  std::vector<std::pair<TProgressStage, int>> calls;
  AnsiString lastMessage = "x";
  const TProgressProc progress = [&](TProgressStage stage, BYTE percent, const AnsiString& msg) {
    calls.emplace_back(stage, percent);
    lastMessage = msg;
  };
  std::vector<BYTE> buffer(200 * 200);
  bool corrupted = false;
  auto stream = StreamOf(code);
  DecodeLzwRaster(stream.get(), Header(200, 200, 8), false, progress, corrupted, buffer, 8, false);
  ASSERT_GE(calls.size(), 3u);
  EXPECT_EQ(calls.front(), std::make_pair(psStarting, 0));
  EXPECT_EQ(calls.back(), std::make_pair(psEnding, 100));
  EXPECT_EQ(lastMessage, "");
  for (std::size_t i = 1; i + 1 < calls.size(); ++i) {
    EXPECT_EQ(calls[i].first, psRunning);
    EXPECT_GT(calls[i].second, calls[i - 1].second);
  }

  calls.clear();
  auto bad = StreamOf(CodePacker(11).Bytes());
  EXPECT_THROW(DecodeLzwRaster(bad.get(), Header(2, 2, 8), false, progress, corrupted, buffer, 8, false),
               EInvalidGraphicOperation);
  EXPECT_EQ(calls.back(), std::make_pair(psEnding, 0));
  EXPECT_EQ(lastMessage, SGIFCodeSize);
}

TEST(GifColorTables, ConvertBetweenTheLayouts) {
  TGIFColorTable table{};
  table.Count = 2;
  table.Colors[0] = {10, 20, 30};
  table.Colors[1] = {255, 0, 128};
  std::array<RGBQUAD, 256> quads{};
  GifTableToRgbQuads(table, quads);
  EXPECT_EQ(quads[0].rgbRed, 10);
  EXPECT_EQ(quads[0].rgbGreen, 20);
  EXPECT_EQ(quads[0].rgbBlue, 30);
  EXPECT_EQ(quads[1].rgbRed, 255);
  EXPECT_EQ(quads[1].rgbReserved, 0);
  for (std::size_t i = 2; i < 256; ++i) {
    ASSERT_EQ(quads[i].rgbBlue, 128);
    ASSERT_EQ(quads[i].rgbGreen, 128);
    ASSERT_EQ(quads[i].rgbRed, 128);
    ASSERT_EQ(quads[i].rgbReserved, 128);
  }
  TGIFColorTable back;
  std::memset(&back, 0xEE, sizeof back);
  RgbQuadsToGifTable(back, quads, 16);
  EXPECT_EQ(back.Count, 16);
  EXPECT_EQ(back.Colors[1].Red, 255);
  EXPECT_EQ(back.Colors[1].Blue, 128);
  EXPECT_EQ(back.Colors[2].Red, 128);
  EXPECT_EQ(back.Colors[16].Red, 0);
}

TEST(GifImageBlocks, CopiesTheCodeDataAndMarksACutOffBlock) {
  // Descriptor 3x2 at (1, 2) with a 2-entry local table, interlaced.
  const std::vector<BYTE> head = {1, 0, 2, 0, 3, 0, 2, 0, 0xC0, 9, 9, 9, 7, 7, 7};
  auto block = [&head](std::vector<BYTE> tail) {
    std::vector<BYTE> bytes = head;
    bytes.insert(bytes.end(), tail.begin(), tail.end());
    return StreamOf(bytes);
  };
  {
    auto source = block({2, 3, 0xAA, 0xBB, 0xCC, 1, 0xDD, 0, 0x3B});
    TMemoryStream dest;
    const TGIFImageBlock b = CopyImageBlocks(source.get(), &dest);
    EXPECT_FALSE(b.Corrupted);
    EXPECT_TRUE(b.LocalTable);
    EXPECT_TRUE(b.Interlaced);
    EXPECT_EQ(b.Bits, 1);
    EXPECT_EQ(b.Table.Count, 2);
    EXPECT_EQ(b.Table.Colors[1].Green, 7);
    EXPECT_EQ(b.Descriptor.Width, 3);
    EXPECT_EQ(b.Descriptor.Top, 2);
    EXPECT_EQ(BytesOf(dest), (std::vector<BYTE>{2, 3, 0xAA, 0xBB, 0xCC, 1, 0xDD, 0}));
    EXPECT_EQ(source->GetPosition(), source->GetSize() - 1);
  }
  {
    auto source = block({2, 1, 0xAA, 5, 0xBB});
    TMemoryStream dest;
    EXPECT_TRUE(CopyImageBlocks(source.get(), &dest).Corrupted);
    EXPECT_EQ(BytesOf(dest), (std::vector<BYTE>{2, 1, 0xAA}));
    EXPECT_EQ(source->GetPosition(), static_cast<std::int64_t>(head.size()) + 4);  // after the cut block's length
  }
  {
    auto source = block({2, 1, 0xAA});
    TMemoryStream dest;
    EXPECT_FALSE(CopyImageBlocks(source.get(), &dest).Corrupted);
  }
  for (std::size_t cut : {std::size_t{5}, std::size_t{12}, head.size()}) {
    SCOPED_TRACE(cut);
    auto source = StreamOf(std::vector<BYTE>(head.begin(), head.begin() + static_cast<std::ptrdiff_t>(cut)));
    TMemoryStream dest;
    EXPECT_THROW(CopyImageBlocks(source.get(), &dest), EReadError);
  }
}

}  // namespace
