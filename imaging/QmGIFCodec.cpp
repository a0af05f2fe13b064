// The LZW codec of QmGIF. Codes are packed least significant bit first into sub-blocks of at
// most 255 bytes; the decoder writes straight into the bitmap rows, the encoder finds its
// strings through a hash of their characters.
#include "imaging/QmGIFCodec.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/QmGIFTexts.h"

namespace {

constexpr std::uint32_t kMaxCodeWidth = 12;
constexpr std::uint32_t kTableSize = 1u << kMaxCodeWidth;
// Deep enough for the longest walk that is checked, the code of a string plus its own first
// character, and the first character itself.
constexpr std::size_t kStackSize = kTableSize + 2;
constexpr std::uint32_t kHashSize = 17777;
constexpr std::uint32_t kLastEncoderCode = 4094;

bool HasBytesLeft(TStream* Stream) { return Stream->GetPosition() < Stream->GetSize(); }

BYTE ReadByte(TStream* Stream) {
  BYTE value = 0;
  Stream->ReadBuffer(&value, 1);
  return value;
}

void WriteByte(TStream* Stream, BYTE Value) { Stream->WriteBuffer(&Value, 1); }

// Reports the ending stage on every way out of a codec routine: 100 when it completes, 0 with
// the message of an exception that passes.
template <class Body>
void WithProgress(const TProgressProc& Progress, Body&& body) {
  try {
    if (Progress) Progress(psStarting, 0, "");
    body();
  } catch (const std::exception& e) {
    if (Progress) Progress(psEnding, 0, e.what());
    throw;
  }
  if (Progress) Progress(psEnding, 100, "");
}

// Reports the running stage only when the percentage changes.
class RunningProgress {
 public:
  explicit RunningProgress(const TProgressProc& Progress) : progress_(Progress) {}
  void Report(std::int64_t Done, std::int64_t Total) {
    if (!progress_ || Total <= 0) return;
    const int percent = static_cast<int>(std::clamp<std::int64_t>(Done * 100 / Total, 0, 100));
    if (percent == last_) return;
    last_ = percent;
    progress_(psRunning, static_cast<BYTE>(percent), "");
  }

 private:
  const TProgressProc& progress_;
  int last_ = -1;
};

template <int Bits>
void PutIndex(BYTE Index, TPixelWriter& W) {
  if (W.Y >= W.Height) return;
  if constexpr (Bits == 8) {
    W.Row[W.X] = Index;
  } else if constexpr (Bits == 4) {
    BYTE& b = W.Row[W.X >> 1];
    b = (W.X & 1) ? static_cast<BYTE>(b | Index) : static_cast<BYTE>(Index << 4);
  } else {
    BYTE& b = W.Row[W.X >> 3];
    const int shift = 7 - (W.X & 7);
    b = (W.X & 7) ? static_cast<BYTE>(b | (Index << shift)) : static_cast<BYTE>(Index << 7);
  }
  if (++W.X < W.Width) return;
  W.X = 0;
  W.Y = W.Interlaced ? NextInterlacedRow(W.Y, W.Height, W.Pass) : W.Y + 1;
  if (W.Y < W.Height) W.Row = W.Buffer + static_cast<std::ptrdiff_t>(W.Height - W.Y - 1) * W.Stride;
}

// The stacked string, last pushed first; 8-bit rows take it a row's piece at a time.
template <int Bits>
void PutStack(const BYTE* Stack, std::size_t Depth, TPixelWriter& W) {
  if constexpr (Bits == 8) {
    while (Depth > 0 && W.Y < W.Height) {
      const std::size_t n = std::min<std::size_t>(Depth, static_cast<std::size_t>(W.Width - W.X));
      BYTE* out = W.Row + W.X;
      for (std::size_t i = 0; i < n; ++i) out[i] = Stack[Depth - 1 - i];
      Depth -= n;
      W.X += static_cast<int>(n) - 1;
      PutIndex<8>(out[n - 1], W);  // steps to the next row at the end of this one
    }
  } else {
    while (Depth > 0) PutIndex<Bits>(Stack[--Depth], W);
  }
}

// The decoder's tables for one frame.
struct LzwTables {
  std::vector<WORD> Prefix = std::vector<WORD>(kTableSize);
  std::vector<BYTE> Suffix = std::vector<BYTE>(kTableSize);
  std::vector<BYTE> Stack = std::vector<BYTE>(kStackSize);
};

BYTE ReadCodeSize(TStream* Stream, bool Tolerant, bool& Corrupted) {
  const BYTE size = ReadByte(Stream);
  if (size >= 2 && size <= 9) return size;
  if (!Tolerant) RaiseGifError(SGIFCodeSize);
  Corrupted = true;
  return size;
}

template <int Bits>
void DecodeCodes(TStream* Stream, BYTE CodeSize, int ColorBits, bool Tolerant, bool& Corrupted, TPixelWriter& Writer,
                 const TProgressProc& Progress) {
  LzwTables tables;
  WORD* const prefix = tables.Prefix.data();
  BYTE* const suffix = tables.Suffix.data();
  BYTE* const stack = tables.Stack.data();
  const std::uint32_t indexMask = (1u << ColorBits) - 1;
  const std::uint32_t clear = 1u << CodeSize;
  const std::uint32_t end = clear + 1;
  TLzwReader reader;
  reader.Width = CodeSize + 1u;
  reader.Mask = (1u << reader.Width) - 1;
  std::uint32_t nextFree = clear + 2;
  std::uint32_t capacity = 1u << reader.Width;
  std::uint32_t oldCode = 0;
  BYTE firstChar = 0;
  bool tableFull = false;
  RunningProgress running(Progress);
  const std::int64_t streamSize = Stream->GetSize();

  // The start is read as if a clear code preceded it, so a first code of any kind adds no string.
  std::uint32_t code = clear;
  while (code != end && code != kNoLzwCode && Writer.Y < Writer.Height) {
    if (code == clear) {
      reader.Width = CodeSize + 1u;
      capacity = 1u << reader.Width;
      reader.Mask = capacity - 1;
      nextFree = clear + 2;
      tableFull = false;
      code = NextLzwCode(Stream, reader);
      // Another clear code or the end code after a clear code is no pixel.
      if (code == clear || code == end) continue;
      if (code == kNoLzwCode) break;
      oldCode = code;
      firstChar = static_cast<BYTE>(code & indexMask);
      PutIndex<Bits>(firstChar, Writer);
    } else {
      const std::uint32_t inCode = code;
      std::uint32_t current = code;
      std::size_t depth = 0;
      if (current >= nextFree) {
        current = oldCode;
        stack[depth++] = firstChar;
      }
      while (current >= clear) {
        if (depth > kTableSize) {
          if (!Tolerant) RaiseGifError(SGIFDecodeError);
          Corrupted = true;
          break;
        }
        stack[depth++] = suffix[current];
        current = prefix[current];
      }
      if (Corrupted) break;
      firstChar = static_cast<BYTE>(current & indexMask);
      stack[depth++] = firstChar;
      PutStack<Bits>(stack, depth, Writer);
      if (!tableFull) {
        prefix[nextFree] = static_cast<WORD>(oldCode);
        suffix[nextFree] = firstChar;
        if (++nextFree >= capacity) {
          if (reader.Width == kMaxCodeWidth) {
            tableFull = true;
          } else {
            ++reader.Width;
            capacity <<= 1;
            reader.Mask = capacity - 1;
          }
        }
      }
      oldCode = inCode;
    }
    const std::uint32_t blocks = reader.BlocksRead;
    code = NextLzwCode(Stream, reader);
    if (reader.BlocksRead != blocks) running.Report(Stream->GetPosition(), streamSize);
  }
  // Codes that end before the rows do: what was decoded stays.
  if (code == kNoLzwCode && Writer.Y < Writer.Height) {
    if (!Tolerant) RaiseGifError(SReadError);
    Corrupted = true;
  }
}

}  // namespace

TGIFImageBlock CopyImageBlocks(TStream* Source, TMemoryStream* Dest) {
  TGIFImageBlock block{};
  Source->ReadBuffer(&block.Descriptor, sizeof block.Descriptor);
  const BYTE packed = block.Descriptor.PackedFields;
  block.Interlaced = (packed & 0x40) != 0;
  if (packed & 0x80) {
    block.Bits = (packed & 7) + 1;
    block.LocalTable = true;
    block.Table.Count = 1 << block.Bits;
    Source->ReadBuffer(block.Table.Colors, block.Table.Count * static_cast<int>(sizeof(TGIFColorItem)));
  }
  WriteByte(Dest, ReadByte(Source));
  // The whole sub-blocks are found first and copied in one go, so the code data is sized once.
  const std::int64_t start = Source->GetPosition();
  const std::int64_t size = Source->GetSize();
  std::int64_t end = start;
  while (end < size) {
    Source->SetPosition(end);
    const BYTE n = ReadByte(Source);
    if (size - end - 1 < n) {
      block.Corrupted = true;
      break;
    }
    end += 1 + n;
    if (n == 0) break;
  }
  const std::int64_t at = Dest->GetPosition();
  Dest->SetSize(at + (end - start));
  Source->SetPosition(start);
  if (end > start) Dest->CopyFrom(Source, end - start);
  // Reading goes on after the length byte of a block that was cut off.
  if (block.Corrupted) Source->SetPosition(end + 1);
  return block;
}

void GifTableToRgbQuads(const TGIFColorTable& Table, std::span<RGBQUAD, 256> Quads) {
  std::memset(Quads.data(), 128, Quads.size_bytes());
  const int count = Table.Count % 256 == 0 ? 256 : Table.Count % 256;
  for (int i = 0; i < count; ++i) {
    const TGIFColorItem& c = Table.Colors[i];
    Quads[static_cast<std::size_t>(i)] = RGBQUAD{c.Blue, c.Green, c.Red, 0};
  }
}

void RgbQuadsToGifTable(TGIFColorTable& Table, std::span<const RGBQUAD> Quads, int Count) {
  std::memset(&Table, 0, sizeof Table);
  Table.Count = std::min(256, Count);
  const std::size_t copied = std::min<std::size_t>(Table.Count == 0 ? 256 : static_cast<std::size_t>(Table.Count),
                                                   Quads.size());
  for (std::size_t i = 0; i < copied; ++i) Table.Colors[i] = {Quads[i].rgbRed, Quads[i].rgbGreen, Quads[i].rgbBlue};
}

std::uint32_t NextLzwCode(TStream* Stream, TLzwReader& R) {
  while (R.ValidBits < R.BitIndex + R.Width && HasBytesLeft(Stream)) {
    const std::uint32_t consumed = R.BitIndex / 8;
    std::memmove(R.Window.data(), R.Window.data() + consumed, 3);
    R.BitIndex %= 8;
    R.ValidBits -= 8 * consumed;
    const BYTE n = ReadByte(Stream);
    if (n > 0) R.ValidBits += 8 * static_cast<std::uint32_t>(Stream->Read(R.Window.data() + R.ValidBits / 8, n));
    ++R.BlocksRead;
  }
  if (R.ValidBits < R.BitIndex + R.Width) return kNoLzwCode;
  const std::uint32_t at = R.BitIndex / 8;
  std::uint32_t value = R.Window[at] | (std::uint32_t{R.Window[at + 1]} << 8);
  if (R.Width > 8) value |= std::uint32_t{R.Window[at + 2]} << 16;
  value >>= R.BitIndex % 8;
  R.BitIndex += R.Width;
  return value & R.Mask;
}

void PutPixelIndex(BYTE Index, TPixelWriter& Writer) {
  switch (Writer.BitCount) {
    case 1: return PutIndex<1>(Index, Writer);
    case 4: return PutIndex<4>(Index, Writer);
    default: return PutIndex<8>(Index, Writer);
  }
}

int NextInterlacedRow(int Row, int Height, int& Pass) {
  static constexpr int kStep[4] = {8, 8, 4, 2};
  static constexpr int kFirst[4] = {0, 4, 2, 1};
  Row += kStep[Pass];
  while (Row >= Height && Pass < 3) {
    ++Pass;
    Row = kFirst[Pass];
  }
  return Row;
}

void DecodeLzwRaster(TStream* Stream, const BITMAPINFOHEADER& Header, bool Interlaced, const TProgressProc& Progress,
                     bool& Corrupted, std::span<BYTE> Pixels, int ColorBits, bool Tolerant) {
  Corrupted = false;
  TPixelWriter writer;
  writer.Width = Header.biWidth;
  writer.Height = Header.biHeight;
  writer.BitCount = Header.biBitCount;
  writer.Interlaced = Interlaced;
  writer.Stride = LzwRowStride(writer.Width, writer.BitCount);
  if (writer.Width <= 0 || writer.Height <= 0 || static_cast<std::size_t>(writer.Stride * writer.Height) > Pixels.size())
    RaiseGifError(SGIFDecodeError);
  writer.Buffer = Pixels.data();
  writer.Row = writer.Buffer + (writer.Height - 1) * writer.Stride;
  WithProgress(Progress, [&] {
    const BYTE codeSize = ReadCodeSize(Stream, Tolerant, Corrupted);
    if (Corrupted) return;  // codes of another size would only yield noise
    const int colorBits = std::clamp(ColorBits, 1, 8);
    switch (writer.BitCount) {
      case 1: return DecodeCodes<1>(Stream, codeSize, colorBits, Tolerant, Corrupted, writer, Progress);
      case 4: return DecodeCodes<4>(Stream, codeSize, colorBits, Tolerant, Corrupted, writer, Progress);
      case 8: return DecodeCodes<8>(Stream, codeSize, colorBits, Tolerant, Corrupted, writer, Progress);
      default: RaiseGifError(SGIFDecodeError);
    }
  });
}

void PutLzwCode(TStream* Stream, std::uint32_t Code, TLzwWriter& W) {
  const std::uint32_t shifted = Code << (W.BitIndex % 8);
  const std::uint32_t at = W.BitIndex / 8;
  W.Buffer[at] |= static_cast<BYTE>(shifted);
  W.Buffer[at + 1] = static_cast<BYTE>(shifted >> 8);
  W.Buffer[at + 2] = static_cast<BYTE>(shifted >> 16);
  W.BitIndex += W.Width;
  if (W.BitIndex < 255 * 8) return;
  WriteByte(Stream, 255);
  Stream->WriteBuffer(W.Buffer.data(), 255);
  W.Buffer[0] = W.Buffer[255];
  W.Buffer[1] = W.Buffer[256];
  std::fill(W.Buffer.begin() + 2, W.Buffer.begin() + 257, BYTE{0});
  W.BitIndex -= 255 * 8;
}

void FlushLzwCodes(TStream* Stream, TLzwWriter& W) {
  const std::uint32_t n = (W.BitIndex + 7) / 8;
  if (n > 0) {
    WriteByte(Stream, static_cast<BYTE>(n));
    Stream->WriteBuffer(W.Buffer.data(), static_cast<int>(n));
  }
  WriteByte(Stream, 0);
}

namespace {

// The encoder's strings: code n is the string of prefix code Prefix[n] plus Character[n]; a
// slot of the hash holds the code of one string, 0 when empty (no string has code 0).
struct LzwStrings {
  std::vector<WORD> Slots = std::vector<WORD>(kHashSize, 0);
  // Read only for codes a slot holds, so never before they are written.
  std::unique_ptr<std::uint32_t[]> Keys = std::make_unique_for_overwrite<std::uint32_t[]>(kTableSize);
  std::vector<WORD> Used;  // the slots in use, so that emptying the table touches only them
};
constexpr std::uint32_t LzwKey(std::uint32_t Prefix, BYTE Character) { return Prefix << 8 | Character; }

template <int Bits>
BYTE PixelAt(const BYTE* Row, int X) {
  if constexpr (Bits == 8) return Row[X];
  else if constexpr (Bits == 4) return static_cast<BYTE>((X & 1) ? Row[X >> 1] & 0x0F : Row[X >> 1] >> 4);
  else return static_cast<BYTE>((Row[X >> 3] >> (7 - (X & 7))) & 1);
}

template <int Bits>
void EncodeRows(TStream* Dest, const BITMAPINFOHEADER& Header, bool Interlaced, const TProgressProc& Progress,
                std::span<const BYTE> Pixels) {
  const int width = Header.biWidth;
  const int height = Header.biHeight;
  const std::ptrdiff_t stride = LzwRowStride(width, Bits);
  if (width <= 0 || height <= 0 || static_cast<std::size_t>(stride * height) > Pixels.size())
    RaiseGifError(SGIFEncodeError);
  LzwStrings strings;
  WORD* const slots = strings.Slots.data();
  std::uint32_t* const keys = strings.Keys.get();
  strings.Used.reserve(kTableSize);

  const std::uint32_t initialWidth = Bits == 1 ? 3 : Bits + 1;
  WriteByte(Dest, static_cast<BYTE>(initialWidth - 1));
  const std::uint32_t clear = 1u << (initialWidth - 1);
  const std::uint32_t end = clear + 1;
  std::uint32_t lastCode = end;
  std::uint32_t capacity = 1u << initialWidth;
  TLzwWriter writer;
  writer.Width = initialWidth;
  PutLzwCode(Dest, clear, writer);

  std::uint32_t prefix = 0;
  std::uint32_t hash = 0;
  std::uint32_t length = 0;
  RunningProgress running(Progress);
  int rowsDone = 0;
  for (int y = 0, pass = 0; y < height; y = Interlaced ? NextInterlacedRow(y, height, pass) : y + 1) {
    const BYTE* row = Pixels.data() + static_cast<std::ptrdiff_t>(height - 1 - y) * stride;
    for (int x = 0; x < width; ++x) {
      const BYTE c = PixelAt<Bits>(row, x);
      if (++length == 1) {
        prefix = c;
        hash = LzwHashSeed(c);
        continue;
      }
      // Below 4355 x 17777, so the product fits 32 bits unsigned.
      hash = (c + length + 4) * hash % kHashSize;
      const std::uint32_t key = LzwKey(prefix, c);
      std::uint32_t slot = hash;
      while (slots[slot] != 0 && keys[slots[slot]] != key)
        if (++slot == kHashSize) slot = 0;
      if (slots[slot] != 0) {
        prefix = slots[slot];
        continue;
      }
      PutLzwCode(Dest, prefix, writer);
      ++lastCode;
      keys[lastCode] = key;
      slots[slot] = static_cast<WORD>(lastCode);
      strings.Used.push_back(static_cast<WORD>(slot));
      prefix = c;
      hash = LzwHashSeed(c);
      length = 1;
      if (lastCode >= capacity) {
        capacity <<= 1;
        ++writer.Width;
      } else if (lastCode >= kLastEncoderCode) {
        PutLzwCode(Dest, prefix, writer);
        PutLzwCode(Dest, clear, writer);
        length = 0;
        lastCode = end;
        writer.Width = initialWidth;
        capacity = 1u << initialWidth;
        for (WORD u : strings.Used) slots[u] = 0;
        strings.Used.clear();
      }
    }
    running.Report(++rowsDone, height);
  }
  if (length > 0) {
    PutLzwCode(Dest, prefix, writer);
    // The decoder adds a string on that code too and may read the end code one bit wider.
    if (lastCode + 1 >= capacity && writer.Width < kMaxCodeWidth) ++writer.Width;
  }
  PutLzwCode(Dest, end, writer);
  FlushLzwCodes(Dest, writer);
}

}  // namespace

void EncodeLzwRaster(TStream* Dest, const BITMAPINFOHEADER& Header, bool Interlaced, const TProgressProc& Progress,
                     std::span<const BYTE> Pixels) {
  WithProgress(Progress, [&] {
    switch (Header.biBitCount) {
      case 1: return EncodeRows<1>(Dest, Header, Interlaced, Progress, Pixels);
      case 4: return EncodeRows<4>(Dest, Header, Interlaced, Progress, Pixels);
      case 8: return EncodeRows<8>(Dest, Header, Interlaced, Progress, Pixels);
      default: RaiseGifError(SGIFEncodeError);
    }
  });
}
