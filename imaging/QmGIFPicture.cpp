// TGIFImage and TGIFFrame as pictures: assignment to and from other pictures, drawing, the frame
// list, the property setters, greyscale, and the registration with the picture registry.
#include <algorithm>
#include <cstring>

#include "imaging/AniFile.h"
#include "imaging/QmGIF.h"
#include "imaging/QmGIFTexts.h"
#include "imaging/QmGraph.h"
#include "platform/user/Clipboard.h"
#include "platform/win32/GlobalMemory.h"

namespace {

// The frame a picture copy would show: the current one, or frame 0 before any is chosen.
TGIFFrame* CurrentFrame(TGIFImage* Image) { return Image->GetFrames(Max(Image->GetFrameIndex(), 0)); }

// Bits per index of a paletted format; 0 for the others.
int PaletteBits(TPixelFormat Format) {
  switch (Format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    default: return 0;
  }
}

int IndexAt(const BYTE* Row, int X, int Bits) {
  if (Bits == 8) return Row[X];
  if (Bits == 4) return X % 2 ? Row[X / 2] & 0x0F : Row[X / 2] >> 4;
  return (Row[X / 8] >> (7 - X % 8)) & 1;
}

}  // namespace

TColor GrayOfColor(TColor Color) {
  const int g = ((Color & 0xFF) * 77 + ((Color >> 8) & 0xFF) * 150 + ((Color >> 16) & 0xFF) * 29) >> 8;
  return g | g << 8 | g << 16;
}

void GrayColorTable(TGIFColorTable& Table) {
  for (int i = 0; i < Min(Table.Count, 256); ++i) {
    TGIFColorItem& c = Table.Colors[i];
    const auto g = static_cast<BYTE>(GrayOfColor(GifColorToColor(c)));
    c = {g, g, g};
  }
}

// ---- TGIFFrame

void TGIFFrame::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    NewImage();
    FBitmap.reset();
  } else if (auto* frame = dynamic_cast<TGIFFrame*>(Source)) {
    FImage = frame->FImage;
    FLocalColors = frame->FOwner == FOwner ? frame->FLocalColors : true;
    FTopLeft = frame->FTopLeft;
    FInterlaced = frame->FInterlaced;
    // A bitmap of its own would hide the data the frame now shares.
    FBitmap.reset();
    if (frame->FBitmap) {
      NewBitmap();
      FBitmap->Assign(frame->FBitmap.get());
    }
    FTransparentColor = frame->FTransparentColor;
    FTransparentIndex = frame->FTransparentIndex;
    FAnimateInterval = frame->FAnimateInterval;
    FDisposalMethod = frame->FDisposalMethod;
    FGrayscale = frame->FGrayscale;
    FCorrupted = frame->FCorrupted;
    if (TStringList* comment = frame->FindComment(false); comment && comment->GetCount() > 0) SetComment(comment);
  } else if (auto* image = dynamic_cast<TGIFImage*>(Source)) {
    if (image->GetCount() == 0) return Assign(nullptr);
    return Assign(CurrentFrame(image));
  } else if (auto* graphic = dynamic_cast<TGraphic*>(Source)) {
    if (graphic->GetEmpty()) return Assign(nullptr);
    AssignGraphic(graphic);
  } else {
    return TPersistent::Assign(Source);
  }
  FOwner->UpdateScreenSize();
}

void TGIFFrame::AssignGraphic(TGraphic* Graphic) {
  NewImage();
  NewBitmap();
  auto* bitmap = dynamic_cast<TBitmap*>(Graphic);
  try {
    FBitmap->Assign(Graphic);
    if (bitmap) FBitmap->SetMonochrome(bitmap->GetMonochrome());
  } catch (const std::exception&) {
    // What a bitmap cannot copy is drawn on a background of its own.
    FBitmap->GetCanvas()->GetBrush()->SetColor(0xFF00FF);
    FBitmap->SetSize(Graphic->GetWidth(), Graphic->GetHeight());
    FBitmap->GetCanvas()->Draw(0, 0, Graphic);
  }
  if (!Graphic->GetTransparent()) return;
  if (bitmap) {
    FTransparentColor = bitmap->GetTransparentColor();
  } else {
    const COLORREF brush = static_cast<COLORREF>(ColorToRGB(FBitmap->GetCanvas()->GetBrush()->GetColor()));
    FTransparentColor = static_cast<TColor>(GetNearestColor(FBitmap->GetCanvas()->GetHandle(), brush));
  }
}

void TGIFFrame::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TGIFFrame*>(Dest) || dynamic_cast<TGIFImage*>(Dest)) return Dest->Assign(this);
  auto* graphic = dynamic_cast<TGraphic*>(Dest);
  if (graphic == nullptr) return TPersistent::AssignTo(Dest);
  graphic->Assign(GetBitmap());
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr || FTransparentColor == clNone) return;
  const COLORREF color = static_cast<COLORREF>(ColorToRGB(FTransparentColor));
  bitmap->SetTransparentColor(static_cast<TColor>(GetNearestColor(bitmap->GetCanvas()->GetHandle(), color)));
  bitmap->SetTransparent(true);
}

std::unique_ptr<TBitmap> TGIFFrame::TransparentMask() {
  TBitmap* bitmap = GetBitmap();
  const int index = TransparentIndex();
  const int bits = PaletteBits(bitmap->GetPixelFormat());
  if (index < 0 || bits == 0 || index >= 1 << bits) return nullptr;
  PALETTEENTRY entry{};
  GetPaletteEntries(bitmap->GetPalette(), static_cast<UINT>(index), 1, &entry);
  if (RGB(entry.peRed, entry.peGreen, entry.peBlue) != (ColorToRGB(FTransparentColor) & 0xFFFFFF)) return nullptr;
  auto mask = std::make_unique<TBitmap>();
  mask->SetPixelFormat(pf1bit);
  mask->SetSize(bitmap->GetWidth(), bitmap->GetHeight());
  for (int y = 0; y < bitmap->GetHeight(); ++y) {
    const auto* row = static_cast<const BYTE*>(bitmap->GetScanLine(y));
    auto* out = static_cast<BYTE*>(mask->GetScanLine(y));
    for (int x = 0; x < bitmap->GetWidth(); ++x) {
      if (x % 8 == 0) out[x / 8] = 0;
      if (IndexAt(row, x, bits) == index) out[x / 8] |= static_cast<BYTE>(0x80 >> (x % 8));
    }
  }
  return mask;
}

void TGIFFrame::Draw(TCanvas* ACanvas, const TRect& Rect, bool Transparent) {
  TBitmap* bitmap = GetBitmap();
  if (!Transparent || FTransparentColor == clNone) return ACanvas->StretchDraw(Rect, bitmap);
  const TRect source(0, 0, bitmap->GetWidth(), bitmap->GetHeight());
  if (const std::unique_ptr<TBitmap> mask = TransparentMask()) {
    StretchBltMasked(ACanvas->GetHandle(), Rect.left, Rect.top, Rect.Width(), Rect.Height(),
                     bitmap->GetCanvas()->GetHandle(), 0, 0, source.Width(), source.Height(), bitmap->GetPalette(),
                     mask->GetCanvas()->GetHandle());
  } else {
    StretchBitmapRectTransparent(ACanvas, Rect.left, Rect.top, Rect.Width(), Rect.Height(), source, bitmap,
                                 FTransparentColor);
  }
}

void TGIFFrame::GrayscaleImage(bool ForceEncoding) {
  const bool hasData = FImage->FImageData && FImage->FImageData->GetSize() > 0;
  if (FGrayscale || (!FBitmap && !hasData)) return;
  if (hasData && FImage->FColorMap.Count >= 1) {
    FBitmap.reset();
    const int index = TransparentIndex();
    GrayColorTable(FImage->FColorMap);
    FTransparentColor = index >= 0 ? GifColorToColor(FImage->FColorMap.Colors[index]) : clNone;
    FTransparentIndex = index;
    FGrayscale = true;
    try {
      GetBitmap();
    } catch (const EAbort&) {
    }
    return;
  }
  const std::unique_ptr<TMemoryStream> stream = BitmapToMemoryStream(GetBitmap(), pf8bit, mmGrayscale);
  FImage = vcl::SharedImageRef<TGIFItem>(new TGIFItem);
  if (ForceEncoding) EncodeBitmapStream(stream.get());
  FGrayscale = true;
  if (FTransparentColor != clNone) FTransparentColor = GrayOfColor(FTransparentColor);
  stream->SetPosition(0);
  FBitmap->LoadFromStream(stream.get());
}

// ---- TGIFImage

void TGIFImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) {
    NewImage();
    Changed(this);
  } else if (auto* image = dynamic_cast<TGIFImage*>(Source)) {
    AssignImage(image);
  } else if (auto* frame = dynamic_cast<TGIFFrame*>(Source)) {
    AssignFrame(frame);
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    NewImage();
    AddFrame(bitmap);
    Changed(this);
  } else if (auto* cursor = dynamic_cast<TAnimatedCursorImage*>(Source)) {
    AssignCursor(cursor);
  } else {
    TGraphic::Assign(Source);
  }
}

// One frame per icon, shown as long as the cursor shows it: jiffies of 1/60 s in hundredths.
void TGIFImage::AssignCursor(TAnimatedCursorImage* Source) {
  NewImage();
  FBackgroundColor = clWindow;
  for (int i = 0; i < Source->GetIconCount(); ++i) {
    AddFrame(Source->GetIcon(i));
    FItems[static_cast<std::size_t>(FFrameIndex)]->FAnimateInterval =
        static_cast<WORD>(Source->GetFrame(i)->GetJiffyRate() * 100 / 6);
  }
  Changed(this);
}

void TGIFImage::AssignImage(TGIFImage* Source) {
  FImage = Source->FImage;
  FVersion = Source->FVersion;
  FBackgroundColor = Source->FBackgroundColor;
  FRepeatCount = Source->FRepeatCount;
  FLooping = Source->FLooping;
  FCorrupted = Source->FCorrupted;
  ClearFrames();
  for (const auto& source : Source->FItems) {
    auto frame = std::make_unique<TGIFFrame>(this);
    frame->Assign(source.get());
    frame->FLocalColors = source->FLocalColors;
    FItems.push_back(std::move(frame));
  }
  FScreenWidth = Source->FScreenWidth;
  FScreenHeight = Source->FScreenHeight;
  FFrameIndex = Source->FFrameIndex;
  Changed(this);
}

void TGIFImage::AssignFrame(TGIFFrame* Source) {
  // One of this image's own frames survives the new image until it has been copied.
  std::unique_ptr<TGIFFrame> own;
  const auto it = std::find_if(FItems.begin(), FItems.end(), [Source](const auto& f) { return f.get() == Source; });
  if (it != FItems.end()) {
    own = std::move(*it);
    FItems.erase(it);
  }
  const vcl::SharedImageRef<TGIFData> sourceData = Source->FOwner->FImage;
  NewImage();
  FImage->FAspectRatio = sourceData->FAspectRatio;
  FImage->FBitsPerPixel = sourceData->FBitsPerPixel;
  FImage->FColorResBits = sourceData->FColorResBits;
  FImage->FColorMap = sourceData->FColorMap;
  FItems.push_back(std::make_unique<TGIFFrame>(this));
  FFrameIndex = GetCount() - 1;
  FItems.back()->Assign(Source);
  if (FVersion == gvUnknown) FVersion = gv87a;
  Changed(this);
}

void TGIFImage::AssignTo(TPersistent* Dest) {
  if (dynamic_cast<TGIFImage*>(Dest)) return Dest->Assign(this);
  auto* graphic = dynamic_cast<TGraphic*>(Dest);
  if (graphic == nullptr) return TGraphic::AssignTo(Dest);
  if (GetEmpty()) return graphic->Assign(nullptr);
  if (FFrameIndex < 0) return graphic->Assign(GetBitmap());
  GetFrames(FFrameIndex)->AssignTo(Dest);
}

void TGIFImage::Clear() { Assign(nullptr); }

int TGIFImage::AddFrame(TGraphic* Value) {
  FItems.push_back(std::make_unique<TGIFFrame>(this));
  FFrameIndex = GetCount() - 1;
  FItems.back()->Assign(Value);
  if (FVersion == gvUnknown) FVersion = gv87a;
  if (GetCount() > 1) FVersion = gv89a;
  return FFrameIndex;
}

void TGIFImage::DeleteFrame(int Index) {
  GetFrames(Index);
  FItems.erase(FItems.begin() + Index);
  UpdateScreenSize();
  if (FFrameIndex >= GetCount()) --FFrameIndex;
  Changed(this);
}

void TGIFImage::MoveFrame(int CurIndex, int NewIndex) {
  GetFrames(CurIndex);
  GetFrames(NewIndex);
  std::unique_ptr<TGIFFrame> frame = std::move(FItems[static_cast<std::size_t>(CurIndex)]);
  FItems.erase(FItems.begin() + CurIndex);
  FItems.insert(FItems.begin() + NewIndex, std::move(frame));
  FFrameIndex = NewIndex;
  Changed(this);
}

void TGIFImage::SetFrameIndex(int Value) {
  Value = Min(Max(Value, -1), GetCount() - 1);
  if (Value == FFrameIndex) return;
  FFrameIndex = Value;
  SetPaletteModified(true);
  Changed(this);
}

void TGIFImage::SetBackgroundColor(TColor Value) {
  if (Value == FBackgroundColor) return;
  FBackgroundColor = Value;
  Changed(this);
}

void TGIFImage::SetLooping(bool Value) {
  if (Value == FLooping) return;
  FLooping = Value;
  Changed(this);
}

void TGIFImage::SetRepeatCount(WORD Value) {
  Value = static_cast<WORD>(Min(Value, 30000));
  if (Value == FRepeatCount) return;
  FRepeatCount = Value;
  Changed(this);
}

void TGIFImage::SetWidth(int) { RaiseGifError(SGIFNoResize); }
void TGIFImage::SetHeight(int) { RaiseGifError(SGIFNoResize); }

TBitmap* TGIFImage::GetBitmap() {
  if (FItems.empty()) {
    FFrameIndex = 0;
    TBitmap empty;
    Assign(&empty);
  }
  return CurrentFrame(this)->GetBitmap();
}

void TGIFImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (FFrameIndex >= 0) GetFrames(FFrameIndex)->Draw(ACanvas, Rect, GetTransparent());
}

void TGIFImage::Grayscale(bool ForceEncoding) {
  if (FItems.empty()) RaiseGifError(SNoGIFData);
  for (const auto& frame : FItems) frame->GrayscaleImage(ForceEncoding);
  TGIFColorTable& global = FImage->FColorMap;
  // The global table turns grey with the frames, as frames without a table of their own are
  // written against it.
  const int index = ColorIndexInTable(global, FBackgroundColor);
  GrayColorTable(global);
  if (FBackgroundColor != clNone)
    FBackgroundColor = index >= 0 ? GifColorToColor(global.Colors[index]) : GrayOfColor(FBackgroundColor);
  SetPaletteModified(true);
  Changed(this);
}

// ---- Clipboard

namespace {

// A locked global memory block, unlocked on every way out.
class LockedBlock {
 public:
  explicit LockedBlock(HGLOBAL Block) : block_(Block), bytes_(GlobalLock(Block)) {}
  ~LockedBlock() {
    if (bytes_) GlobalUnlock(block_);
  }
  LockedBlock(const LockedBlock&) = delete;
  LockedBlock& operator=(const LockedBlock&) = delete;
  void* bytes() const { return bytes_; }
  std::size_t size() const { return bytes_ ? GlobalSize(block_) : 0; }

 private:
  HGLOBAL block_;
  void* bytes_;
};

}  // namespace

void TGIFImage::SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) {
  if (FItems.empty()) return;
  GetFrames(0)->GetBitmap()->SaveToClipboardFormat(AFormat, AData, APalette);
  // Frames never encoded go to the clipboard only as the bitmap.
  if (!std::all_of(FItems.begin(), FItems.end(), [](const auto& f) {
        return f->FImage->FImageData && f->FImage->FImageData->GetSize() > 0;
      }))
    return;
  TMemoryStream stream;
  WriteStream(&stream, true);
  HGLOBAL block = GlobalAlloc(HeapAllocFlags, static_cast<SIZE_T>(stream.GetSize()));
  if (!block) return;
  try {
    const LockedBlock locked(block);
    if (!locked.bytes()) throw EOutOfMemory("Out of memory");
    std::memcpy(locked.bytes(), stream.GetMemory(), static_cast<std::size_t>(stream.GetSize()));
  } catch (...) {
    GlobalFree(block);
    throw;
  }
  if (!SetClipboardData(CF_GIF, block)) GlobalFree(block);
}

void TGIFImage::LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) {
  if (HANDLE gif = GetClipboardData(CF_GIF)) {
    TMemoryStream stream;
    {
      const LockedBlock locked(gif);
      stream.WriteBuffer(locked.bytes(), static_cast<int>(locked.size()));
    }
    stream.SetPosition(0);
    std::int32_t size = 0;
    stream.ReadBuffer(&size, sizeof size);
    ReadStream(size, &stream, false);
    if (FItems.empty()) return;
    FFrameIndex = 0;
    if (HANDLE bitmap = GetClipboardData(CF_BITMAP)) {
      TGIFFrame* first = GetFrames(0);
      first->NewBitmap();
      first->FBitmap->LoadFromClipboardFormat(CF_BITMAP, bitmap, APalette);
    }
    return;
  }
  TBitmap bitmap;
  bitmap.LoadFromClipboardFormat(AFormat, AData, APalette);
  Assign(&bitmap);
}

// ---- Registration

WORD CF_GIF = 0;

namespace {

// The unit's start-up and shutdown: while the program runs, a ".gif" file and the clipboard's
// GIF data become GIF images.
struct TGIFRegistration {
  TGIFRegistration() {
    CF_GIF = static_cast<WORD>(RegisterClipboardFormatA("GIF Image"));
    TPicture::RegisterFileFormat("gif", ResStr(SGIFImage), CreateGraphic<TGIFImage>);
    TPicture::RegisterClipboardFormat(CF_GIF, CreateGraphic<TGIFImage>);
  }
  ~TGIFRegistration() { TPicture::UnregisterGraphicClass(CreateGraphic<TGIFImage>); }
};

const TGIFRegistration Registration;

}  // namespace
