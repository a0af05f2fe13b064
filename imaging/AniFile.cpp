// The animated-cursor reader: the RIFF chunk walk, the icon chunks with their directories, and
// the copies to icons, icon lists and bitmap strips. The walk only ever moves forward and never
// past the end of the data, whatever size a chunk claims.
#include "imaging/AniFile.h"

#include <algorithm>
#include <cstring>

#include "imaging/Clipicon.h"
#include "imaging/IcoList.h"
#include "imaging/QmGraph.h"
#include "imaging/QmUtils.h"

namespace {

bool SameId(const char* id, const char* name) { return std::memcmp(id, name, 4) == 0; }

std::int64_t BytesLeft(TStream* Stream) { return std::max<std::int64_t>(0, Stream->GetSize() - Stream->GetPosition()); }

// Odd sizes are followed by a pad byte (the remainder taken with the sign of the size).
std::int64_t Padded(LONG Size) { return std::int64_t{Size} + Size % 2; }

// Forward by Count, at most to the end; a negative count claims more than any stream read
// here can hold, so it goes to the end as well.
void Forward(TStream* Stream, std::int64_t Count) {
  const std::int64_t left = BytesLeft(Stream);
  Stream->Seek(Count < 0 || Count > left ? left : Count, soCurrent);
}

bool ReadChunkHeader(TStream* Stream, TAniChunk& Chunk) {
  Chunk = {};
  return Stream->Read(&Chunk, sizeof Chunk) == sizeof Chunk;
}

// Reads Min(size, Count) bytes of the chunk into Target, then moves to the end of the padded
// chunk; true when those bytes came.
bool ReadChunkBounded(TStream* Stream, const TAniChunk& Chunk, void* Target, int Count) {
  const int wanted = std::clamp<LONG>(Chunk.ckSize, 0, Count);
  const bool complete = Stream->Read(Target, wanted) == wanted;
  Forward(Stream, Padded(Chunk.ckSize) - wanted);
  return complete;
}

void SkipChunk(TStream* Stream, const TAniChunk& Chunk) { Forward(Stream, Padded(Chunk.ckSize)); }

WORD Word(const std::byte* Data, std::size_t At) {
  return static_cast<WORD>(std::to_integer<unsigned>(Data[At]) | std::to_integer<unsigned>(Data[At + 1]) << 8);
}
DWORD Dword(const std::byte* Data, std::size_t At) { return Word(Data, At) | static_cast<DWORD>(Word(Data, At + 2)) << 16; }

// The colour count of a bit count: 2, 16, 256, else 0.
WORD ColorCountOf(WORD BitCount) {
  switch (BitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
  }
}

constexpr std::size_t kDirectoryHeader = 6, kDirectoryEntry = 16;

}  // namespace

// ---- TIconFrame

TIconFrame::TIconFrame(LONG AIndex, LONG AJiffies) : FJiffyRate(AJiffies), FIconIndex(AIndex) {}

void TIconFrame::Assign(TPersistent* Source) {
  auto* frame = dynamic_cast<TIconFrame*>(Source);
  if (frame == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  if (frame == this) return;
  // A picture that other frames show too is left to them.
  if (!FFrameIcon || FFrameIcon.use_count() > 1) FFrameIcon = std::make_shared<TIcon>();
  FFrameIcon->Assign(frame->FFrameIcon.get());
  FIsPlainIcon = frame->FIsPlainIcon;
  FIconChunk = frame->FIconChunk;
  FCursorHotSpot = frame->FCursorHotSpot;
  FJiffyRate = frame->FJiffyRate;
  FIconIndex = frame->FIconIndex;
}

// ---- TAnimatedCursorImage

TAnimatedCursorImage::TAnimatedCursorImage() = default;

TAnimatedCursorImage::~TAnimatedCursorImage() { NewImage(); }

void TAnimatedCursorImage::Clear() { NewImage(); }

void TAnimatedCursorImage::NewImage() {
  for (auto& frame : FFrames) frame.reset();  // first to last
  FFrames.clear();
  std::memset(FTitle, 0, sizeof FTitle);
  std::memset(FCreator, 0, sizeof FCreator);
  FHeader = {};
  FMaxColorCount = 0;
  FHasTrueColor = false;
}

AnsiString TAnimatedCursorImage::GetTitle() const { return AnsiString(FTitle); }

AnsiString TAnimatedCursorImage::GetCreator() const { return AnsiString(FCreator); }

TIconFrame* TAnimatedCursorImage::GetFrame(int Index) const {
  if (Index < 0 || Index >= GetIconCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FFrames[static_cast<std::size_t>(Index)].get();
}

TIcon* TAnimatedCursorImage::GetIcon(int Index) const { return GetFrame(Index)->GetFrameIcon(); }

int TAnimatedCursorImage::GetDefaultRate() const {
  // 32-bit arithmetic as the header's users expect, wrapping rather than overflowing.
  const auto product = static_cast<std::int32_t>(static_cast<std::uint32_t>(FHeader.JifRate) * 100u);
  return Max(0, product / 6);
}

void TAnimatedCursorImage::RiffReadError() { throw EReadError("Stream read error"); }

TIconFrame* TAnimatedCursorImage::AddFrame(LONG AIndex, LONG AJiffies) {
  FFrames.push_back(std::make_unique<TIconFrame>(AIndex, AJiffies));
  return FFrames.back().get();
}

void TAnimatedCursorImage::LoadFromStream(TStream* Stream) {
  const std::int64_t size = BytesLeft(Stream);
  if (size > MaxAniStreamSize) RiffReadError();
  ReadStream(static_cast<LONG>(size), Stream);
}

void TAnimatedCursorImage::ReadStream(LONG Size, TStream* Stream) {
  if (Size > MaxAniStreamSize || Size > BytesLeft(Stream)) RiffReadError();
  if (Size <= 0) return;
  TMemoryStream data;
  data.SetSize(Size);
  Stream->ReadBuffer(data.GetMemory(), Size);
  ReadAniStream(&data);
}

void TAnimatedCursorImage::LoadFromFile(const AnsiString& FileName) {
  try {
    TFileStream file(FileName, fmOpenRead);
    LoadFromStream(&file);
  } catch (...) {
    NewImage();
    throw;
  }
}

void TAnimatedCursorImage::SaveToStream(TStream* Stream) { WriteStream(Stream, false); }

void TAnimatedCursorImage::WriteStream(TStream*, bool) { NotImplemented(); }

void TAnimatedCursorImage::ReadAniStream(TStream* Stream) {
  TAniChunk riff;
  char form[4] = {};
  if (!ReadChunkHeader(Stream, riff) || !SameId(riff.ckID, "RIFF")) RiffReadError();
  if (Stream->Read(form, 4) != 4 || !SameId(form, "ACON")) RiffReadError();
  NewImage();
  int icons = 0, rates = 0, sequence = 0;
  TAniChunk chunk;
  while (ReadChunkHeader(Stream, chunk)) {
    if (SameId(chunk.ckID, "anih")) {
      if (!ReadChunkBounded(Stream, chunk, &FHeader, sizeof FHeader)) break;
      if ((FHeader.Flags & AF_ICON) == 0 || FHeader.cSteps == 0) RiffReadError();
      for (LONG i = 0; i < FHeader.cFrames && GetIconCount() < MaxAniFrames; ++i) AddFrame(i, FHeader.JifRate);
    } else if (SameId(chunk.ckID, "rate") || SameId(chunk.ckID, "seq ")) {
      const bool isRate = SameId(chunk.ckID, "rate");
      LONG value = 0;
      if (!ReadChunkBounded(Stream, chunk, &value, 4)) break;
      int& seen = isRate ? rates : sequence;
      if (seen < GetIconCount()) (isRate ? FFrames[seen]->FJiffyRate : FFrames[seen]->FIconIndex) = value;
      ++seen;
    } else if (SameId(chunk.ckID, "LIST")) {
      std::int64_t left = Padded(chunk.ckSize);
      char type[4] = {};
      if (Stream->Read(type, 4) != 4) break;
      left -= 4;
      if (SameId(type, "fram"))
        ReadFrameList(Stream, left, icons);
      else if (SameId(type, "INFO"))
        ReadInfoList(Stream, left);
      else
        Forward(Stream, left);
    } else {
      SkipChunk(Stream, chunk);
    }
  }
  std::erase_if(FFrames, [](const auto& frame) { return !frame->FFrameIcon; });
  FHeader.cSteps = GetIconCount();
  if (FHeader.cSteps == 0) RiffReadError();
}

void TAnimatedCursorImage::ReadFrameList(TStream* Stream, std::int64_t Left, int& IconsRead) {
  while (Left >= 8) {
    TAniChunk sub;
    if (!ReadChunkHeader(Stream, sub)) return;
    Left -= 8;
    if (SameId(sub.ckID, "icon")) {
      TPoint hotSpot;
      bool isIcon = false;
      std::shared_ptr<TIcon> icon = ReadCreateIcon(Stream, sub.ckSize, hotSpot, isIcon);
      if (sub.ckSize % 2) Forward(Stream, 1);
      if (!icon) return;
      std::vector<TIconFrame*> shown;
      for (auto& frame : FFrames)
        if (frame->FIconIndex == IconsRead) shown.push_back(frame.get());
      if (shown.empty()) {
        if (GetIconCount() >= MaxAniFrames) return;
        shown.push_back(AddFrame(-1, FHeader.JifRate));
      }
      for (TIconFrame* frame : shown) {
        frame->FFrameIcon = icon;
        frame->FIconChunk = sub;
        frame->FCursorHotSpot = hotSpot;
        frame->FIsPlainIcon = isIcon;
      }
      ++IconsRead;
    } else {
      SkipChunk(Stream, sub);
    }
    Left -= Padded(sub.ckSize);
  }
}

void TAnimatedCursorImage::ReadInfoList(TStream* Stream, std::int64_t Left) {
  while (Left >= 8) {
    TAniChunk sub;
    if (!ReadChunkHeader(Stream, sub)) return;
    Left -= 8;
    const bool title = SameId(sub.ckID, "INAM");
    if (title || SameId(sub.ckID, "IART")) {
      if (Left < sub.ckSize) return;
      char* text = title ? FTitle : FCreator;
      std::memset(text, 0, sizeof(TANINAME));  // a shorter second text leaves nothing of the first
      if (!ReadChunkBounded(Stream, sub, text, sizeof(TANINAME) - 1)) return;
    } else {
      SkipChunk(Stream, sub);
    }
    Left -= Padded(sub.ckSize);
  }
}

std::unique_ptr<TIcon> TAnimatedCursorImage::ReadCreateIcon(TStream* Stream, LONG ASize, TPoint& HotSpot,
                                                            bool& IsIcon) {
  if (ASize < 0 || ASize > BytesLeft(Stream)) RiffReadError();
  TMemoryStream data;
  data.SetSize(ASize);
  Stream->ReadBuffer(data.GetMemory(), ASize);
  HotSpot = TPoint(0, 0);
  IsIcon = false;
  if (static_cast<std::size_t>(ASize) < kDirectoryHeader) return nullptr;
  auto* bytes = static_cast<std::byte*>(data.GetMemory());
  IsIcon = Word(bytes, 2) == 1;
  if (Word(bytes, 2) == 2) bytes[2] = std::byte{1};  // a cursor loads as an icon
  if (Word(bytes, 2) != 1) return nullptr;
  CountImageColors({bytes, static_cast<std::size_t>(ASize)}, HotSpot);
  auto icon = std::make_unique<TIcon>();
  try {
    icon->LoadFromStream(&data);
    icon->GetHandle();  // a file with no image that can be drawn does not load either
    if (IsIcon) HotSpot = TPoint(icon->GetWidth() / 2, icon->GetHeight() / 2);
  } catch (const Exception&) {
    return nullptr;
  }
  return icon;
}

void TAnimatedCursorImage::CountImageColors(std::span<const std::byte> Data, TPoint& HotSpot) {
  const std::size_t count = Word(Data.data(), 4);
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t entry = kDirectoryHeader + kDirectoryEntry * k;
    if (entry + kDirectoryEntry > Data.size()) return;
    HotSpot = TPoint(Word(Data.data(), entry + 4), Word(Data.data(), entry + 6));
    const std::uint64_t size = Dword(Data.data(), entry + 8), offset = Dword(Data.data(), entry + 12);
    // An image outside the chunk, or too short for its bit count, counts no colours.
    if (size < 16 || offset + size > Data.size()) continue;
    const WORD bitCount = Word(Data.data(), static_cast<std::size_t>(offset) + 14);
    FMaxColorCount = static_cast<WORD>(Max(ColorCountOf(bitCount), FMaxColorCount));
    if (bitCount == 16 || bitCount == 24 || bitCount == 32) FHasTrueColor = true;
  }
}

void TAnimatedCursorImage::Draw(TCanvas* ACanvas, const TRect& ARect) {
  if (GetIconCount() > 0) DrawRealSizeIcon(ACanvas, GetIcon(0), ARect.left, ARect.top);
}

void TAnimatedCursorImage::Assign(TPersistent* Source) {
  if (Source == this) return;  // emptying first would lose what is to be copied
  if (Source == nullptr) {
    Clear();
    return;
  }
  auto* image = dynamic_cast<TAnimatedCursorImage*>(Source);
  if (image == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  try {
    NewImage();
    FHeader = image->FHeader;
    std::memcpy(FTitle, image->FTitle, sizeof FTitle);
    std::memcpy(FCreator, image->FCreator, sizeof FCreator);
    FMaxColorCount = image->FMaxColorCount;
    FHasTrueColor = image->FHasTrueColor;
    for (const auto& source : image->FFrames) {
      auto frame = std::make_unique<TIconFrame>(-1, image->FHeader.JifRate);
      frame->Assign(source.get());
      FFrames.push_back(std::move(frame));
    }
  } catch (...) {
    NewImage();
    throw;
  }
}

void TAnimatedCursorImage::AssignTo(TPersistent* Dest) {
  if (auto* icon = dynamic_cast<TIcon*>(Dest)) {
    icon->Assign(GetIconCount() > 0 ? GetIcon(0) : nullptr);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Dest)) {
    if (GetIconCount() > 0)
      AssignToBitmap(bitmap, bitmap->GetCanvas()->GetBrush()->GetColor(), true, false);
    else
      bitmap->Assign(nullptr);
  } else if (auto* list = dynamic_cast<TIconList*>(Dest)) {
    list->BeginUpdate();
    try {
      list->Clear();
      for (int i = 0; i < GetIconCount(); ++i) list->Add(GetIcon(i));
    } catch (...) {
      list->EndUpdate();
      throw;
    }
    list->EndUpdate();
  } else {
    TPersistent::AssignTo(Dest);
  }
}

void TAnimatedCursorImage::AssignToBitmap(TBitmap* Bitmap, TColor BkColor, bool DecreaseColors, bool Vertical) {
  TBitmap strip;
  if (GetIconCount() > 0) {
    TIcon* first = GetIcon(0);
    const std::int64_t along = std::int64_t{Vertical ? first->GetHeight() : first->GetWidth()} * GetIconCount();
    if (along > INT32_MAX) throw EOutOfResources(ResStr("Out of system resources"));
    const int width = Vertical ? first->GetWidth() : static_cast<int>(along);
    const int height = Vertical ? static_cast<int>(along) : first->GetHeight();
    strip.SetMonochrome(false);
    strip.GetCanvas()->GetBrush()->SetColor(BkColor);
    strip.SetSize(width, height);
    strip.GetCanvas()->FillRect(Rect(0, 0, width, height));
    for (int i = 0; i < GetIconCount(); ++i) {
      TIcon* icon = GetIcon(i);
      if (icon == nullptr) continue;
      if (Vertical)
        strip.GetCanvas()->Draw(0, icon->GetHeight() * i, icon);
      else
        strip.GetCanvas()->Draw(icon->GetWidth() * i, 0, icon);
    }
    if (DecreaseColors) {
      const int colors = FHasTrueColor ? 1 << 24 : Max(FMaxColorCount, 16);
      std::unique_ptr<TMemoryStream> reduced = BitmapToMemory(&strip, colors);
      strip.LoadFromStream(reduced.get());
    }
  }
  Bitmap->Assign(&strip);
}
