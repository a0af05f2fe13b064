// TGIFImage and TGIFFrame: the image model with its shared data, the stream reader, and the
// lazy decoding of a frame into a bitmap.
#include "imaging/QmGIF.h"

#include <algorithm>

#include "imaging/QmGIFTexts.h"
#include "imaging/QmGraph.h"
#include "platform/vcl/GdiObject.h"

bool GIFLoadCorrupted = true;

namespace {

constexpr TColor kRgbMask = 0xFFFFFF;

BYTE ReadByte(TStream* Stream) {
  BYTE value = 0;
  Stream->ReadBuffer(&value, 1);
  return value;
}

bool Exhausted(TStream* Stream) { return Stream->GetPosition() >= Stream->GetSize(); }

// One byte, or 0 when the stream is exhausted.
BYTE NextByte(TStream* Stream) {
  BYTE value = 0;
  Stream->Read(&value, 1);
  return value;
}

// The data sub-blocks up to and including the zero-length one, or to the end of the data. A
// sub-block longer than what is left is a read error.
std::unique_ptr<TStringList> ReadSubBlocks(TStream* Stream) {
  auto list = std::make_unique<TStringList>();
  while (!Exhausted(Stream)) {
    const BYTE n = ReadByte(Stream);
    if (n == 0) break;
    AnsiString text(n, '\0');
    Stream->ReadBuffer(text.data(), n);
    list->Add(text);
  }
  return list;
}

// The loop block: "NETSCAPE2.0" or "ANIMEXTS1.0" over as many bytes as its block size states,
// at most the 11 held, and a first sub-block of at least 3 bytes that begins with 1.
bool IsLoopingBlock(const TExtension& Ext, WORD& RepeatCount) {
  if (!Ext.FData || Ext.FData->GetCount() == 0) return false;
  const auto length = static_cast<DWORD>(Min(Ext.FExtRec[0], 11));
  const BYTE* name = Ext.FExtRec.data() + 1;
  if (!CompareMem(name, "NETSCAPE2.0", length) && !CompareMem(name, "ANIMEXTS1.0", length)) return false;
  const AnsiString& first = Ext.FData->GetStrings(0);
  if (first.size() < 3 || first[0] != 1) return false;
  RepeatCount = static_cast<WORD>(static_cast<BYTE>(first[1]) | static_cast<BYTE>(first[2]) << 8);
  return true;
}

int FrameDibBitCount(int BitsPerPixel) {
  if (BitsPerPixel == 1) return 1;
  if (BitsPerPixel >= 2 && BitsPerPixel <= 4) return 4;
  if (BitsPerPixel >= 5 && BitsPerPixel <= 8) return 8;
  RaiseGifError(SWrongGIFColors);
}

// The most pixels code data of that many bytes can yield: each code takes at least CodeSize + 1
// bits, and no code yields more than a full stack of characters, damaged chains included.
std::int64_t MaxPixelsOfCodes(std::int64_t CodeBytes, int CodeSize) {
  const std::int64_t codes = CodeBytes * 8 / std::clamp(CodeSize + 1, 3, 10) + 1;
  return codes * 4098;
}

TPixelFormat PixelFormatForColorCount(int Count) {
  if (Count <= 2) return pf1bit;
  if (Count <= 16) return pf4bit;
  if (Count > 256) return pf24bit;
  return pf8bit;
}

}  // namespace

void RaiseGifError(const AnsiString& Message) { throw EInvalidGraphicOperation(ResStr(Message)); }

AnsiString GIFVersionName(TGIFVersion Version) {
  static const char* const kNames[] = {"", "87a", "89a"};
  return kNames[Version];
}

TColor GifColorToColor(const TGIFColorItem& Item) { return Item.Red | Item.Green << 8 | Item.Blue << 16; }

int BitsForColorCount(int Count) {
  for (int bits = 1; bits <= 8; ++bits)
    if (Count == 1 << bits) return bits;
  RaiseGifError(SWrongGIFColors);
}

int ColorIndexInTable(const TGIFColorTable& Table, TColor Color) {
  if (Color == clNone) return -1;
  const TColor rgb = ColorToRGB(Color) & kRgbMask;
  for (int i = 0; i < std::min(Table.Count, 256); ++i)
    if (GifColorToColor(Table.Colors[i]) == rgb) return i;
  return -1;
}

TExtension* FindExtensionOfKind(const TExtensionList& List, TGIFExtensionKind Kind) {
  const auto found = std::find_if(List.rbegin(), List.rend(), [Kind](const auto& e) { return e && e->FExtType == Kind; });
  return found == List.rend() ? nullptr : found->get();
}

// ---- TExtension

void TExtension::Assign(TPersistent* Source) {
  auto* ext = dynamic_cast<TExtension*>(Source);
  if (ext == nullptr) return TPersistent::Assign(Source);
  if (ext == this) return;
  FExtType = ext->FExtType;
  FExtRec = ext->FExtRec;
  if (ext->FData) {
    if (!FData) FData = std::make_unique<TStringList>();
    FData->Assign(ext->FData.get());
  }
}

// ---- TGIFFrame

TGIFFrame::TGIFFrame(TGIFImage* AOwner) : FOwner(AOwner) { NewImage(); }

TGIFFrame::~TGIFFrame() = default;

void TGIFFrame::NewImage() {
  FImage = vcl::SharedImageRef<TGIFItem>(new TGIFItem);
  FGrayscale = false;
  FCorrupted = false;
  FTransparentColor = clNone;
  FTransparentIndex = -1;
  FTopLeft = TPoint(0, 0);
  FInterlaced = false;
  FLocalColors = false;
  FAnimateInterval = 0;
  FDisposalMethod = dmUndefined;
}

void TGIFFrame::NewBitmap() { FBitmap = std::make_unique<TBitmap>(); }

void TGIFFrame::LoadFromStream(TStream* Stream) {
  TGIFItem& item = *FImage;
  item.FImageData = std::make_unique<TMemoryStream>();
  try {
    const TGIFImageBlock block = CopyImageBlocks(Stream, item.FImageData.get());
    FCorrupted = block.Corrupted;
    if (FCorrupted && !GIFLoadCorrupted) RaiseGifError(SReadError);
    item.FImageData->SetPosition(0);
    FInterlaced = block.Interlaced;
    FLocalColors = block.LocalTable;
    if (block.LocalTable) item.FBitsPerPixel = static_cast<BYTE>(block.Bits);
    const TGIFImageDescriptor& d = block.Descriptor;
    FTopLeft = TPoint(d.Left, d.Top);
    item.FWidth = d.Width != 0 ? d.Width : FOwner->FScreenWidth;
    item.FHeight = d.Height != 0 ? d.Height : FOwner->FScreenHeight;
    item.FPackedFields = d.PackedFields;
    item.FColorMap = block.LocalTable ? block.Table : FOwner->FImage->FColorMap;
  } catch (...) {
    item.FImageData.reset();
    throw;
  }
  FAnimateInterval = 0;
  for (const auto& ext : FExtensions) {
    if (ext->FExtType != xkGraphicControl) continue;
    const BYTE packed = ext->FExtRec[1];
    const int delay = ext->FExtRec[2] | ext->FExtRec[3] << 8;
    const BYTE index = ext->FExtRec[4];
    if (!(packed & 1)) {
      FTransparentColor = clNone;
      FTransparentIndex = -1;
    } else if (index < item.FColorMap.Count) {
      FTransparentColor = GifColorToColor(item.FColorMap.Colors[index]);
      FTransparentIndex = index;
    }
    // A delay above 6553 hundredths keeps the largest interval there is.
    FAnimateInterval = static_cast<WORD>(Max(Min(delay * 10, 0xFFFF), FAnimateInterval));
    FDisposalMethod = static_cast<TDisposalMethod>((packed >> 2) & 7);
  }
}

// The code data of the frame can fill its pixels; a frame that claims more is damaged.
bool TGIFFrame::CodesCanFill() const {
  const TGIFItem& item = *FImage;
  const std::int64_t codeBytes = item.FImageData ? item.FImageData->GetSize() : 0;
  const int codeSize = codeBytes > 0 ? static_cast<const BYTE*>(item.FImageData->GetMemory())[0] : 0;
  return static_cast<std::int64_t>(item.FWidth) * item.FHeight <= MaxPixelsOfCodes(codeBytes, codeSize);
}

// The codes go straight into a DIB section of the frame's depth and table, which the bitmap
// then takes over: the pixels are written once, with no BMP image in between.
void TGIFFrame::DecodeBitmap() {
  const TGIFItem& item = *FImage;
  const int bitCount = FrameDibBitCount(item.FBitsPerPixel);
  const std::int64_t imageSize = LzwRowStride(item.FWidth, bitCount) * item.FHeight;
  if (item.FWidth <= 0 || item.FHeight <= 0 || imageSize > kMaxGIFFrameBytes) RaiseGifError(SGIFDecodeError);
  if (!CodesCanFill()) {
    if (!GIFLoadCorrupted) RaiseGifError(SGIFDecodeError);
    FCorrupted = true;
  }
  struct {
    BITMAPINFOHEADER Header;
    std::array<RGBQUAD, 256> Colors;
  } info{};
  info.Header.biSize = sizeof info.Header;
  info.Header.biWidth = item.FWidth;
  info.Header.biHeight = item.FHeight;  // bottom-up, as the decoder writes the rows
  info.Header.biPlanes = 1;
  info.Header.biBitCount = static_cast<WORD>(bitCount);
  info.Header.biCompression = BI_RGB;
  info.Header.biSizeImage = static_cast<DWORD>(imageSize);
  GifTableToRgbQuads(item.FColorMap, info.Colors);
  // A bitmap's colour table keeps no reserved byte.
  for (RGBQUAD& quad : info.Colors) quad.rgbReserved = 0;
  void* bits = nullptr;
  vcl::GdiBitmap dib(
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!dib || bits == nullptr) throw EOutOfResources("Out of system resources");

  item.FImageData->SetPosition(0);
  bool corrupted = false;
  DecodeLzwRaster(item.FImageData.get(), info.Header, FInterlaced, FOwner->ProgressProc(), corrupted,
                  std::span<BYTE>(static_cast<BYTE*>(bits), static_cast<std::size_t>(imageSize)), item.FBitsPerPixel,
                  GIFLoadCorrupted);
  FCorrupted = FCorrupted || corrupted;
  FBitmap->SetHandle(dib.release());
}

TBitmap* TGIFFrame::GetBitmap() {
  if (FBitmap && !FBitmap->GetEmpty()) return FBitmap.get();
  NewBitmap();
  if (FImage->FImageData && FImage->FImageData->GetSize() > 0) DecodeBitmap();
  return FBitmap.get();
}

int TGIFFrame::GetWidth() {
  if (!FBitmap && !FImage->FImageData) return 0;
  return GetBitmap()->GetWidth();
}

int TGIFFrame::GetHeight() {
  if (!FBitmap && !FImage->FImageData) return 0;
  return GetBitmap()->GetHeight();
}

int TGIFFrame::GetColorCount() {
  if (FImage->FColorMap.Count != 0) return FImage->FColorMap.Count;
  if (FBitmap && FBitmap->GetPalette()) return PaletteEntries(FBitmap->GetPalette());
  return 0;
}

TStringList* TGIFFrame::FindComment(bool Create) {
  TExtension* ext = FindExtensionOfKind(FExtensions, xkComment);
  if (ext == nullptr) {
    if (!Create) return nullptr;
    auto created = std::make_unique<TExtension>();
    created->FExtType = xkComment;
    ext = created.get();
    FExtensions.push_back(std::move(created));
  }
  if (!ext->FData && Create) ext->FData = std::make_unique<TStringList>();
  return ext->FData.get();
}

void TGIFFrame::SetTopLeft(const TPoint& Value) {
  if (Value.x == FTopLeft.x && Value.y == FTopLeft.y) return;
  FTopLeft = Value;
  FOwner->FScreenWidth = static_cast<WORD>(Max(FOwner->FScreenWidth, FImage->FWidth + Value.x));
  FOwner->FScreenHeight = static_cast<WORD>(Max(FOwner->FScreenHeight, FImage->FHeight + Value.y));
  FOwner->Changed(FOwner);
}

int TGIFFrame::TransparentIndex() const {
  const TGIFColorTable& table = FImage->FColorMap;
  const bool kept = FTransparentColor != clNone && FTransparentIndex >= 0 &&
                    FTransparentIndex < std::min(table.Count, 256) &&
                    GifColorToColor(table.Colors[FTransparentIndex]) == (ColorToRGB(FTransparentColor) & kRgbMask);
  return kept ? FTransparentIndex : ColorIndexInTable(table, FTransparentColor);
}

template <class T>
void TGIFFrame::SetProperty(T& Field, T Value, T Default) {
  if (Field == Value) return;
  Field = Value;
  if (Value != Default) FOwner->FVersion = gv89a;
  FOwner->Changed(FOwner);
}

void TGIFFrame::SetTransparentColor(TColor Value) { SetProperty(FTransparentColor, Value, clNone); }
void TGIFFrame::SetAnimateInterval(WORD Value) { SetProperty(FAnimateInterval, Value, WORD{0}); }
void TGIFFrame::SetDisposalMethod(TDisposalMethod Value) { SetProperty(FDisposalMethod, Value, dmUndefined); }

// ---- TGIFImage

TGIFImage::TGIFImage() {
  NewImage();
  SetTransparent(true);
}

TGIFImage::~TGIFImage() { OnChange = nullptr; }

void TGIFImage::ClearFrames() { FItems.clear(); }

void TGIFImage::NewImage() {
  FImage = vcl::SharedImageRef<TGIFData>(new TGIFData);
  ClearFrames();
  FCorrupted = false;
  FFrameIndex = -1;
  FBackgroundColor = clNone;
  FRepeatCount = 1;
  FLooping = false;
  FVersion = gvUnknown;
}

void TGIFImage::UniqueImage() {
  if (!FImage) return NewImage();
  if (FImage->GetRefCount() < 2) return;
  auto* copy = new TGIFData;
  vcl::SharedImageRef<TGIFData> fresh(copy);
  copy->FComment.Assign(&FImage->FComment);
  copy->FAspectRatio = FImage->FAspectRatio;
  copy->FBitsPerPixel = FImage->FBitsPerPixel;
  copy->FColorResBits = FImage->FColorResBits;
  copy->FColorMap = FImage->FColorMap;
  FImage = fresh;
}

void TGIFImage::SetComment(TStringList* Value) {
  UniqueImage();
  FImage->FComment.Assign(Value);
}

TGIFFrame* TGIFImage::GetFrames(int Index) const {
  if (Index < 0 || Index >= GetCount()) throw EListError(Format("List index out of bounds (%d)", Index));
  return FItems[static_cast<std::size_t>(Index)].get();
}

bool TGIFImage::GetEmpty() {
  if (FItems.empty()) return true;
  TGIFFrame* frame = GetFrames(Min(Max(FFrameIndex, 0), GetCount() - 1));
  const bool hasBitmap = frame->FBitmap && !frame->FBitmap->GetEmpty();
  const bool hasData = frame->FImage->FImageData && frame->FImage->FImageData->GetSize() > 0;
  return !hasBitmap && !hasData;
}

int TGIFImage::GetWidth() {
  if (GetEmpty() || FFrameIndex < 0 || FFrameIndex >= GetCount()) return 0;
  return GetFrames(FFrameIndex)->GetBitmap()->GetWidth();
}

int TGIFImage::GetHeight() {
  if (GetEmpty() || FFrameIndex < 0 || FFrameIndex >= GetCount()) return 0;
  return GetFrames(FFrameIndex)->GetBitmap()->GetHeight();
}

WORD TGIFImage::GetScreenWidth() { return GetEmpty() ? 0 : FScreenWidth; }
WORD TGIFImage::GetScreenHeight() { return GetEmpty() ? 0 : FScreenHeight; }

bool TGIFImage::GetCorrupted() const {
  return FCorrupted || std::any_of(FItems.begin(), FItems.end(), [](const auto& f) { return f->FCorrupted; });
}

TColor TGIFImage::GetTransparentColor() const {
  if (FItems.empty() || FFrameIndex < 0) return clNone;
  return GetFrames(FFrameIndex)->FTransparentColor;
}

bool TGIFImage::GetTransparent() {
  return TGraphic::GetTransparent() &&
         std::any_of(FItems.begin(), FItems.end(), [](const auto& f) { return f->FTransparentColor != clNone; });
}

HPALETTE TGIFImage::GetPalette() { return FItems.empty() ? nullptr : GetBitmap()->GetPalette(); }

TPixelFormat TGIFImage::GetPixelFormat() {
  if (GetEmpty()) return pfDevice;
  TPixelFormat result = PixelFormatForColorCount(FImage->FColorMap.Count);
  for (const auto& frame : FItems) {
    const bool hasData = frame->FImage->FImageData && frame->FImage->FImageData->GetSize() > 0;
    if (!hasData && frame->FBitmap) result = std::max(result, GetBitmapPixelFormat(frame->FBitmap.get()));
    else if (hasData && frame->FLocalColors)
      result = std::max(result, PixelFormatForColorCount(frame->FImage->FColorMap.Count));
  }
  return result;
}

bool TGIFImage::Equals(TGraphic* Graphic) const {
  auto* gif = dynamic_cast<TGIFImage*>(Graphic);
  return gif != nullptr && gif->FImage.get() == FImage.get();
}

std::unique_ptr<TGraphic> TGIFImage::NewGraphic() const { return std::make_unique<TGIFImage>(); }

void TGIFImage::DoProgress(TProgressStage Stage, BYTE PercentDone, const AnsiString& Msg) {
  Progress(this, Stage, PercentDone, false, TRect(0, 0, 0, 0), Msg);
}

TProgressProc TGIFImage::ProgressProc() {
  return [this](TProgressStage Stage, BYTE PercentDone, const AnsiString& Msg) { DoProgress(Stage, PercentDone, Msg); };
}

void TGIFImage::DropFramesFrom(std::size_t Index) {
  FItems.erase(FItems.begin() + static_cast<std::ptrdiff_t>(Index), FItems.end());
  FFrameIndex = std::min(FFrameIndex, GetCount() - 1);
}

void TGIFImage::DecodeAllFrames() {
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    try {
      FItems[i]->GetBitmap();
    } catch (const EAbort&) {
      DropFramesFrom(i);
      FCorrupted = true;
      return;
    }
  }
}

// ---- Reading

void TGIFImage::LoadFromStream(TStream* Stream) {
  ReadStream(Stream->GetSize() - Stream->GetPosition(), Stream, true);
}

void TGIFImage::LoadFromResourceName(HINSTANCE Instance, const AnsiString& ResName, LPCSTR ResType) {
  TResourceStream stream(Instance, ResName, ResType);
  LoadFromStream(&stream);
}

void TGIFImage::LoadFromResourceID(HINSTANCE Instance, int ResID, LPCSTR ResType) {
  TResourceStream stream(Instance, ResID, ResType);
  LoadFromStream(&stream);
}

void TGIFImage::ReadData(TStream* Stream) {
  std::int32_t size = 0;
  Stream->ReadBuffer(&size, sizeof size);
  ReadStream(size, Stream, true);
}

void TGIFImage::ReadSignature(TStream* Stream) {
  FVersion = gvUnknown;
  char text[3];
  Stream->ReadBuffer(text, 3);
  if (UpperCase(AnsiString(text, 3)) != "GIF") RaiseGifError(SGIFVersion);
  Stream->ReadBuffer(text, 3);
  const AnsiString version = UpperCase(AnsiString(text, 3));
  for (TGIFVersion v : {gv87a, gv89a})
    if (version == UpperCase(GIFVersionName(v))) FVersion = v;
  if (FVersion == gvUnknown) RaiseGifError(SGIFVersion);
}

TGIFImage::TScreenDescriptor TGIFImage::ReadScreenDescriptor(TStream* Stream) {
  BYTE d[7];
  Stream->ReadBuffer(d, sizeof d);
  FScreenWidth = static_cast<WORD>(d[0] | d[1] << 8);
  FScreenHeight = static_cast<WORD>(d[2] | d[3] << 8);
  FImage->FAspectRatio = d[6];
  FImage->FBitsPerPixel = static_cast<BYTE>((d[4] & 7) + 1);
  FImage->FColorResBits = static_cast<BYTE>(((d[4] & 0x70) >> 4) + 1);
  return {d[4], d[5]};
}

void TGIFImage::ReadGlobalColorTable(TStream* Stream, const TScreenDescriptor& Screen) {
  if (!(Screen.PackedFields & 0x80)) return;
  TGIFColorTable& table = FImage->FColorMap;
  table.Count = 1 << FImage->FBitsPerPixel;
  Stream->ReadBuffer(table.Colors, table.Count * static_cast<int>(sizeof(TGIFColorItem)));
  if (Screen.BackgroundIndex < table.Count) FBackgroundColor = GifColorToColor(table.Colors[Screen.BackgroundIndex]);
}

void TGIFImage::ReadExtensionBlock(TStream* Stream, TExtensionList& Pending) {
  auto ext = std::make_unique<TExtension>();
  const BYTE label = ReadByte(Stream);
  std::size_t fixed = 0;
  switch (label) {
    case 0xF9: ext->FExtType = xkGraphicControl, fixed = 6; break;
    case 0xFE: ext->FExtType = xkComment; break;
    case 0x01: ext->FExtType = xkPlainText, fixed = 13; break;
    case 0xFF: ext->FExtType = xkApplication, fixed = 12; break;
    default: RaiseGifError(Format(SBadGIFExtension, label));
  }
  Stream->ReadBuffer(ext->FExtRec.data(), static_cast<int>(fixed));
  if (ext->FExtType != xkGraphicControl) ext->FData = ReadSubBlocks(Stream);
  switch (ext->FExtType) {
    case xkPlainText: Pending.clear(); return;
    case xkApplication:
      if (WORD repeat = 0; IsLoopingBlock(*ext, repeat)) {
        FLooping = true;
        FRepeatCount = static_cast<WORD>(Min(repeat, 30000));
      }
      return;
    default: Pending.push_back(std::move(ext));
  }
}

void TGIFImage::ReadFrame(TStream* Stream, TExtensionList& Pending) {
  if (GetCount() >= kMaxGIFFrames) RaiseGifError(SGIFDecodeError);
  auto frame = std::make_unique<TGIFFrame>(this);
  if (FImage->FColorMap.Count > 0) frame->FImage->FBitsPerPixel = static_cast<BYTE>(BitsForColorCount(FImage->FColorMap.Count));
  frame->FExtensions = std::move(Pending);
  Pending.clear();
  frame->LoadFromStream(Stream);
  FItems.push_back(std::move(frame));
}

void TGIFImage::AddTrailingComments(const TExtensionList& Pending) {
  TStringList& comment = FImage->FComment;
  for (const auto& ext : Pending) {
    if (ext->FExtType != xkComment) continue;
    if (comment.GetCount() > 0) comment.Add("\r\n\r\n");
    comment.AddStrings(ext->FData.get());
  }
}

void TGIFImage::ReadStream(std::int64_t Size, TStream* Stream, bool ReadFirstFrame) {
  NewImage();
  // Nothing is taken for bytes the source does not hold.
  if (Size < 0 || Size > Stream->GetSize() - Stream->GetPosition()) throw EReadError("Stream read error");
  // The copy goes before the first frame is decoded, which needs only the frame's own data.
  if (Size > 0) {
    TMemoryStream data;
    data.CopyFrom(Stream, Size);
    data.SetPosition(0);
    ReadSignature(&data);
    ReadGlobalColorTable(&data, ReadScreenDescriptor(&data));
    BYTE c = NextByte(&data);
    while (c != 0 && c != ';' && !Exhausted(&data)) {
      TExtensionList pending;
      while (c == '!') {
        ReadExtensionBlock(&data, pending);
        c = Exhausted(&data) ? ';' : ReadByte(&data);
      }
      if (c == ',') {
        ReadFrame(&data, pending);
        if (Exhausted(&data)) {
          c = ';';
        } else {
          do c = ReadByte(&data);
          while (c == 0 && !Exhausted(&data));
          if (c != '!' && c != ',' && c != ';') c = 0;
        }
      } else {
        if (FImage->FComment.GetCount() == 0 && !pending.empty()) AddTrailingComments(pending);
        else if (c != 0 && c != ';') RaiseGifError(SReadError);
      }
    }
  }
  if (!FItems.empty()) {
    FFrameIndex = 0;
    if (ReadFirstFrame) {
      try {
        FItems[0]->GetBitmap();
      } catch (...) {
        FItems.erase(FItems.begin());
        FFrameIndex = std::min(FFrameIndex, GetCount() - 1);
        throw;
      }
    }
  }
  SetPaletteModified(true);
  Changed(this);
}

