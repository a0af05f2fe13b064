// The GIF LZW codec of QmGIF: a frame's raw blocks out of a GIF stream, colour tables between
// the GIF and the bitmap layout, and the variable-width LZW decoder and hashed encoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"

struct TGIFColorItem {
  BYTE Red;
  BYTE Green;
  BYTE Blue;
};

// Count 0 means no table; entries beyond the count are zero when the table was made empty.
struct TGIFColorTable {
  std::int32_t Count;
  TGIFColorItem Colors[256];
};
static_assert(sizeof(TGIFColorTable) == 772);

#pragma pack(push, 1)
struct TGIFImageDescriptor {
  WORD Left;
  WORD Top;
  WORD Width;
  WORD Height;
  BYTE PackedFields;  // 0x80 local table, 0x40 interlaced, bits 0-2 table size
};
#pragma pack(pop)
static_assert(sizeof(TGIFImageDescriptor) == 9);

// Progress of a long frame operation; in practice the owner image's DoProgress.
using TProgressProc = std::function<void(TProgressStage Stage, BYTE PercentDone, const AnsiString& Msg)>;

// Raises EInvalidGraphicOperation with Message; every error of QmGIF goes through it.
[[noreturn]] void RaiseGifError(const AnsiString& Message);

// What CopyImageBlocks read of an image block besides its code data.
struct TGIFImageBlock {
  TGIFImageDescriptor Descriptor;
  TGIFColorTable Table;
  int Bits = 0;  // of the local table; left 0 without one
  bool Corrupted = false;
  bool LocalTable = false;
  bool Interlaced = false;
};

// Reads the descriptor and local table after an image separator, and copies the code-size
// byte and the data sub-blocks to Dest. A sub-block longer than what is left marks the block
// corrupted and ends the copy before it. A short descriptor, table or code size: EReadError.
TGIFImageBlock CopyImageBlocks(TStream* Source, TMemoryStream* Dest);

void GifTableToRgbQuads(const TGIFColorTable& Table, std::span<RGBQUAD, 256> Quads);
void RgbQuadsToGifTable(TGIFColorTable& Table, std::span<const RGBQUAD> Quads, int Count);

// Code reader: a window of bytes refilled one sub-block at a time.
struct TLzwReader {
  std::uint32_t BitIndex = 0;
  std::uint32_t ValidBits = 0;
  std::array<BYTE, 260> Window{};
  std::uint32_t Width = 0;
  std::uint32_t Mask = 0;
  std::uint32_t BlocksRead = 0;  // lets the decoder report progress only when it moved
};

// The value of no code: the sub-blocks ended before a whole code.
constexpr std::uint32_t kNoLzwCode = 0xFFFF;

// The next code, or kNoLzwCode when the stream ends before the window holds one.
std::uint32_t NextLzwCode(TStream* Stream, TLzwReader& Reader);

// Pixel writer over a bottom-up bitmap buffer; rows follow the interlace order when asked.
struct TPixelWriter {
  int X = 0;
  int Y = 0;
  int Pass = 0;
  int Width = 0;
  int Height = 0;
  int BitCount = 8;
  bool Interlaced = false;
  std::ptrdiff_t Stride = 0;
  BYTE* Buffer = nullptr;
  BYTE* Row = nullptr;
};

void PutPixelIndex(BYTE Index, TPixelWriter& Writer);

// The row after Row in the interlace order 0, 8, 16 ...; 4, 12 ...; 2, 6 ...; 1, 3 ...; a row
// at or past Height after the last pass.
int NextInterlacedRow(int Row, int Height, int& Pass);

// Bytes in one row of a bitmap of that width and bit count (rows end on 4 bytes).
constexpr std::ptrdiff_t LzwRowStride(int Width, int BitCount) {
  return (static_cast<std::ptrdiff_t>(Width) * BitCount + 31) / 32 * 4;
}

// Decodes the code data at Stream's position (its code-size byte first) into Pixels, a zeroed
// bottom-up buffer of Header's size. Indices are masked to ColorBits. Damage raises the GIF
// error, or with Tolerant sets Corrupted and keeps the rows decoded so far.
void DecodeLzwRaster(TStream* Stream, const BITMAPINFOHEADER& Header, bool Interlaced, const TProgressProc& Progress,
                     bool& Corrupted, std::span<BYTE> Pixels, int ColorBits, bool Tolerant);

// Code writer: packs codes into a 255-byte sub-block at a time.
struct TLzwWriter {
  std::uint32_t BitIndex = 0;
  std::uint32_t Width = 0;
  std::array<BYTE, 260> Buffer{};
};

void PutLzwCode(TStream* Stream, std::uint32_t Code, TLzwWriter& Writer);
void FlushLzwCodes(TStream* Stream, TLzwWriter& Writer);

constexpr int LzwHashSeed(int Character) { return (Character + 3) * 301; }

// Appends the code data of Pixels (a bottom-up buffer of Header's size, 1, 4 or 8 bits) to Dest.
void EncodeLzwRaster(TStream* Dest, const BITMAPINFOHEADER& Header, bool Interlaced, const TProgressProc& Progress,
                     std::span<const BYTE> Pixels);
