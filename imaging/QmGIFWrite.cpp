// Writing a TGIFImage as a GIF stream, assembled whole in memory before the target sees a
// byte, and encoding a frame that holds only a bitmap.
#include <algorithm>
#include <cstring>

#include "imaging/QmGIF.h"
#include "imaging/QmGIFTexts.h"
#include "imaging/QmGraph.h"

namespace {

void WriteByte(TStream* Stream, BYTE Value) { Stream->WriteBuffer(&Value, 1); }

void WriteWord(TStream* Stream, int Value) {
  const BYTE bytes[2] = {static_cast<BYTE>(Value), static_cast<BYTE>(Value >> 8)};
  Stream->WriteBuffer(bytes, 2);
}

void WriteGifHeader(TStream* Stream, TGIFVersion Version) {
  const AnsiString header = "GIF" + GIFVersionName(Version);
  Stream->WriteBuffer(header.data(), static_cast<int>(header.size()));
}

// Each line as one sub-block of at most 255 bytes (an empty line writes none), then the end.
void WriteSubBlocks(TStream* Stream, const TStringList* Lines) {
  for (int i = 0; Lines && i < Lines->GetCount(); ++i) {
    const AnsiString& line = Lines->GetStrings(i);
    const auto n = static_cast<BYTE>(line.size() > 255 ? 255 : line.size());
    if (n == 0) continue;
    WriteByte(Stream, n);
    Stream->WriteBuffer(line.data(), n);
  }
  WriteByte(Stream, 0);
}

void WriteExtensionList(TStream* Stream, const TExtensionList& List) {
  static constexpr BYTE kLabels[] = {0xF9, 0x01, 0xFF, 0xFE};
  static constexpr int kFixedBytes[] = {6, 13, 12, 0};
  for (const auto& ext : List) {
    if (!ext) continue;
    WriteByte(Stream, 0x21);
    WriteByte(Stream, kLabels[ext->FExtType]);
    Stream->WriteBuffer(ext->FExtRec.data(), kFixedBytes[ext->FExtType]);
    if (ext->FExtType != xkGraphicControl) WriteSubBlocks(Stream, ext->FData.get());
  }
}

void WriteLoopBlock(TStream* Stream, WORD RepeatCount) {
  static constexpr BYTE kHead[] = {0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0', 0x03, 0x01};
  Stream->WriteBuffer(kHead, sizeof kHead);
  WriteWord(Stream, RepeatCount);
  WriteByte(Stream, 0);
}

// The smallest n from 1 up with 2^n at least Count.
int TableBits(int Count) {
  int n = 1;
  while ((1 << n) < Count && n < 8) ++n;
  return n;
}

}  // namespace

// ---- TGIFImage

void TGIFImage::SaveToStream(TStream* Stream) { WriteStream(Stream, false); }

void TGIFImage::WriteData(TStream* Stream) { WriteStream(Stream, true); }

void TGIFImage::UpdateScreenSize() {
  int width = 0;
  int height = 0;
  for (const auto& frame : FItems) {
    width = Max(width, frame->GetWidth() + frame->FTopLeft.x);
    height = Max(height, frame->GetHeight() + frame->FTopLeft.y);
  }
  FScreenWidth = static_cast<WORD>(width);
  FScreenHeight = static_cast<WORD>(height);
}

void TGIFImage::WriteScreenDescriptor(TStream* Stream) {
  UpdateScreenSize();
  const TGIFColorTable& table = FImage->FColorMap;
  BYTE packed = 0;
  BYTE background = 0;
  if (table.Count > 0) {
    packed = static_cast<BYTE>(0x80 + (BitsForColorCount(table.Count) - 1) * 16 + (FImage->FBitsPerPixel - 1));
    if (const int index = ColorIndexInTable(table, FBackgroundColor); index >= 0) background = static_cast<BYTE>(index);
  }
  WriteWord(Stream, FScreenWidth);
  WriteWord(Stream, FScreenHeight);
  const BYTE rest[3] = {packed, background, FImage->FAspectRatio};
  Stream->WriteBuffer(rest, 3);
  if (table.Count > 0) Stream->WriteBuffer(table.Colors, table.Count * static_cast<int>(sizeof(TGIFColorItem)));
}

void TGIFImage::EncodeFrames(bool ReverseDecode) {
  for (const auto& frame : FItems) {
    TGIFItem& item = *frame->FImage;
    if (!item.FImageData || item.FImageData->GetSize() == 0) {
      item.FImageData.reset();
      frame->EncodeRasterData();
      if (ReverseDecode && frame->FBitmap && frame->FBitmap->GetPalette() == nullptr) {
        frame->FBitmap.reset();
        try {
          frame->GetBitmap();
        } catch (const EAbort&) {
        }
      }
    }
    frame->UpdateExtensions();
  }
}

void TGIFImage::EncodeAllFrames() { EncodeFrames(true); }

void TGIFImage::WriteStream(TStream* Stream, bool WriteSize) {
  if (FItems.empty()) RaiseGifError(SNoGIFData);
  EncodeFrames(false);
  TMemoryStream buffer;
  if (FImage->FComment.GetCount() > 0) FVersion = gv89a;
  WriteGifHeader(&buffer, FVersion);
  WriteScreenDescriptor(&buffer);
  if (FLooping && FItems.size() >= 2) WriteLoopBlock(&buffer, FRepeatCount);
  for (const auto& frame : FItems) {
    WriteExtensionList(&buffer, frame->FExtensions);
    WriteByte(&buffer, 0x2C);
    frame->WriteImageDescriptor(&buffer);
    frame->WriteLocalColorMap(&buffer);
    frame->WriteRasterData(&buffer);
  }
  if (FImage->FComment.GetCount() > 0) {
    WriteByte(&buffer, 0x21);
    WriteByte(&buffer, 0xFE);
    WriteSubBlocks(&buffer, &FImage->FComment);
  }
  WriteByte(&buffer, 0x3B);
  if (WriteSize) {
    const auto size = static_cast<std::int32_t>(buffer.GetSize());
    Stream->WriteBuffer(&size, sizeof size);
  }
  buffer.SaveToStream(Stream);
}

// ---- TGIFFrame

void TGIFFrame::UpdateExtensions() {
  TExtension* control = FindExtensionOfKind(FExtensions, xkGraphicControl);
  if (control == nullptr &&
      (FAnimateInterval != 0 || FTransparentColor != clNone || FDisposalMethod != dmUndefined)) {
    auto created = std::make_unique<TExtension>();
    created->FExtType = xkGraphicControl;
    created->FExtRec[0] = 4;
    control = created.get();
    FExtensions.push_back(std::move(created));
  }
  if (control) {
    std::array<BYTE, 13>& rec = control->FExtRec;
    const int delay = FAnimateInterval / 10;
    rec[2] = static_cast<BYTE>(delay);
    rec[3] = static_cast<BYTE>(delay >> 8);
    if (const int index = TransparentIndex(); index >= 0) {
      rec[4] = static_cast<BYTE>(index);
      rec[1] |= 1;
    } else {
      rec[1] &= static_cast<BYTE>(~1);
    }
    rec[1] = static_cast<BYTE>((rec[1] & 0xE3) | (FDisposalMethod << 2));
  }
  std::erase_if(FExtensions, [](const auto& ext) {
    return ext->FExtType == xkComment && (!ext->FData || ext->FData->GetCount() == 0);
  });
  if (!FExtensions.empty()) FOwner->FVersion = gv89a;
}

void TGIFFrame::WriteImageDescriptor(TStream* Stream) {
  BYTE packed = 0;
  if (FLocalColors) {
    FImage->FBitsPerPixel = static_cast<BYTE>(TableBits(FImage->FColorMap.Count));
    packed = static_cast<BYTE>(0x80 + (FImage->FBitsPerPixel - 1));
  }
  if (FInterlaced) packed |= 0x40;
  WriteWord(Stream, FTopLeft.x);
  WriteWord(Stream, FTopLeft.y);
  WriteWord(Stream, FImage->FWidth);
  WriteWord(Stream, FImage->FHeight);
  WriteByte(Stream, packed);
}

void TGIFFrame::WriteLocalColorMap(TStream* Stream) {
  // The whole table the descriptor announces, so a table of no colours still has its size.
  if (FLocalColors) Stream->WriteBuffer(FImage->FColorMap.Colors, (1 << FImage->FBitsPerPixel) * 3);
}

void TGIFFrame::WriteRasterData(TStream* Stream) {
  if (FImage->FImageData) FImage->FImageData->SaveToStream(Stream);
}

void TGIFFrame::EncodeRasterData() {
  if (!FBitmap || FBitmap->GetEmpty()) RaiseGifError(SNoGIFData);
  const TPixelFormat format = GetBitmapPixelFormat(FBitmap.get());
  std::unique_ptr<TMemoryStream> stream;
  if (format == pf1bit || format == pf4bit || format == pf8bit) {
    stream = std::make_unique<TMemoryStream>();
  } else {
    const TMappingMethod method = FGrayscale ? mmGrayscale : DefaultMappingMethod;
    stream = BitmapToMemoryStream(FBitmap.get(), pf8bit, method);
    if (method == mmGrayscale) FGrayscale = true;
  }
  if (stream->GetSize() == 0) FBitmap->SaveToStream(stream.get());
  EncodeBitmapStream(stream.get());
}

void TGIFFrame::EncodeBitmapStream(TMemoryStream* Stream) {
  Stream->SetPosition(0);
  const auto* bytes = static_cast<const BYTE*>(Stream->GetMemory());
  const std::int64_t size = Stream->GetSize();
  BITMAPFILEHEADER file{};
  BITMAPINFOHEADER info{};
  if (size >= 54) {
    std::memcpy(&file, bytes, sizeof file);
    std::memcpy(&info, bytes + sizeof file, sizeof info);
  }
  int colors = 0;
  switch (info.biBitCount) {
    case 1: colors = 2; break;
    case 4: colors = 16; break;
    case 8: colors = 256; break;
    default: RaiseGifError(SGIFEncodeError);
  }
  const std::int64_t imageBytes = LzwRowStride(info.biWidth, info.biBitCount) * info.biHeight;
  if (info.biWidth <= 0 || info.biHeight <= 0 || 54 + 4 * colors > size || file.bfOffBits + imageBytes > size)
    RaiseGifError(SGIFEncodeError);
  FInterlaced = false;
  RgbQuadsToGifTable(FImage->FColorMap, std::span(reinterpret_cast<const RGBQUAD*>(bytes + 54), static_cast<std::size_t>(colors)),
                     colors);
  if (FImage->FImageData) FImage->FImageData->SetSize(0);
  else FImage->FImageData = std::make_unique<TMemoryStream>();
  try {
    EncodeLzwRaster(FImage->FImageData.get(), info, false, FOwner->ProgressProc(),
                    std::span(bytes + file.bfOffBits, static_cast<std::size_t>(imageBytes)));
  } catch (const EAbort&) {
    NewImage();
    throw;
  }
  TGIFItem& item = *FImage;
  item.FBitsPerPixel = static_cast<BYTE>(TableBits(item.FColorMap.Count));
  TGIFData& global = *FOwner->FImage;
  if (global.FColorMap.Count > 0) {
    FLocalColors = true;
  } else {
    global.FColorMap = item.FColorMap;
    global.FBitsPerPixel = item.FBitsPerPixel;
    FLocalColors = false;
  }
  item.FWidth = info.biWidth;
  item.FHeight = info.biHeight;
  FOwner->FScreenWidth = static_cast<WORD>(Max(FOwner->FScreenWidth, item.FWidth + FTopLeft.x));
  FOwner->FScreenHeight = static_cast<WORD>(Max(FOwner->FScreenHeight, item.FHeight + FTopLeft.y));
}
