// TJPEGImage: the compressed bytes as loaded, shared between copies, and the bitmap decoded
// from them on demand with the image's options.
#include "platform/vcl/Jpeg.h"

#include "platform/vcl/JpegDecoder.h"
#include "platform/vcl/StreamBytes.h"

namespace {

constexpr int kScaleDenominators[] = {1, 2, 4, 8};

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  auto* jpeg = dynamic_cast<TJPEGImage*>(Source);
  if (Source != nullptr && jpeg == nullptr) return TGraphic::Assign(Source);  // a picture hands over its graphic
  FData = jpeg ? jpeg->FData : nullptr;
  FImageWidth = jpeg ? jpeg->FImageWidth : 0;
  FImageHeight = jpeg ? jpeg->FImageHeight : 0;
  if (jpeg) {
    FGrayscale = jpeg->FGrayscale;
    FPixelFormat = jpeg->FPixelFormat;
    FScale = jpeg->FScale;
    FPerformance = jpeg->FPerformance;
  }
  FBitmap.reset();
  Changed(this);
}

void TJPEGImage::AssignTo(TPersistent* Dest) {
  auto* bitmap = dynamic_cast<TBitmap*>(Dest);
  if (bitmap == nullptr) return TGraphic::AssignTo(Dest);
  DIBNeeded();
  bitmap->Assign(FBitmap.get());
}

void TJPEGImage::DIBNeeded() {
  if (FBitmap || !FData) return;
  Progress(this, psStarting, 0, false, TRect(), "");
  vcl::jpeg::Decompressor decoder(*FData);
  decoder.Start({.grayscale = FGrayscale,
                 .quantize = FPixelFormat == jf8Bit,
                 .scaleDenominator = kScaleDenominators[FScale],
                 .fast = FPerformance == jpBestSpeed});
  auto bitmap = std::make_unique<TBitmap>();
  if (decoder.OutputComponents() == 1) {
    bitmap->SetPixelFormat(pf8bit);
    bitmap->SetPalette(vcl::NewPalette(decoder.Palette()).get());
  } else {
    bitmap->SetPixelFormat(pf24bit);
  }
  bitmap->SetSize(decoder.OutputWidth(), decoder.OutputHeight());
  std::vector<std::byte*> rows(static_cast<std::size_t>(decoder.OutputHeight()));
  for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = static_cast<std::byte*>(bitmap->GetScanLine(static_cast<int>(y)));
  decoder.ReadRows(rows);
  FBitmap = std::move(bitmap);
  Progress(this, psEnding, 100, false, TRect(), "");
}

int TJPEGImage::ScaledSize(int Size) const {
  const int denominator = kScaleDenominators[FScale];
  return (Size + denominator - 1) / denominator;
}

int TJPEGImage::GetWidth() { return ScaledSize(FImageWidth); }
int TJPEGImage::GetHeight() { return ScaledSize(FImageHeight); }

void TJPEGImage::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }
void TJPEGImage::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of a JPEG image"); }

HPALETTE TJPEGImage::GetPalette() {
  if (!FData) return nullptr;
  DIBNeeded();
  return FBitmap->GetPalette();
}

void TJPEGImage::SetOption(auto& Field, auto Value) {
  if (Field == Value) return;
  Field = Value;
  FBitmap.reset();
  Changed(this);
}

void TJPEGImage::SetGrayscale(bool Value) { SetOption(FGrayscale, Value); }
void TJPEGImage::SetPixelFormat(TJPEGPixelFormat Value) { SetOption(FPixelFormat, Value); }
void TJPEGImage::SetScale(TJPEGScale Value) { SetOption(FScale, Value); }
void TJPEGImage::SetPerformance(TJPEGPerformance Value) { SetOption(FPerformance, Value); }

void TJPEGImage::LoadFromStream(TStream* Stream) {
  auto data = std::make_shared<std::vector<std::byte>>(vcl::ReadToEnd(Stream));
  if (data->empty()) return Assign(nullptr);
  const vcl::jpeg::Decompressor header(*data);
  FImageWidth = header.ImageWidth();
  FImageHeight = header.ImageHeight();
  FData = std::move(data);
  FBitmap.reset();
  Changed(this);
}

void TJPEGImage::SaveToStream(TStream* Stream) {
  if (FData) Stream->WriteBuffer(FData->data(), static_cast<int>(FData->size()));
}

std::unique_ptr<TGraphic> TJPEGImage::NewGraphic() const { return std::make_unique<TJPEGImage>(); }

void TJPEGImage::Draw(TCanvas* ACanvas, const TRect& Rect) {
  DIBNeeded();
  ACanvas->StretchDraw(Rect, FBitmap.get());
}
