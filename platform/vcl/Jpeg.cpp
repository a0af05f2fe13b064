// TJPEGImage: the compressed bytes as loaded, shared between copies, and the bitmap decoded
// from them with the image's options: ahead on a thread of its own from the load, else on
// demand.
#include "platform/vcl/Jpeg.h"

#include <future>
#include <mutex>
#include <system_error>

#include "platform/vcl/StreamBytes.h"

namespace {

constexpr int kScaleDenominators[] = {1, 2, 4, 8};

std::unique_ptr<TBitmap> Decode(const std::vector<std::byte>& data, const vcl::jpeg::Options& options) {
  vcl::jpeg::Decompressor decoder(data);
  decoder.Start(options);
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
  return bitmap;
}

}  // namespace

// The decode started at load: its pixels go to the first copy that needs them with the same
// options; later ones decode for themselves. The last owner waits for the thread to finish.
struct TJPEGImage::TDecodeAhead {
  vcl::jpeg::Options Options;
  std::mutex Mutex;
  std::future<std::unique_ptr<TBitmap>> Bitmap;  // invalid once taken

  // The decoded bitmap, or null when it was taken or decoded with other options.
  std::unique_ptr<TBitmap> Take(const vcl::jpeg::Options& Wanted) {
    std::lock_guard lock(Mutex);
    if (!(Wanted == Options) || !Bitmap.valid()) return nullptr;
    return Bitmap.get();
  }
};

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(TPersistent* Source) {
  if (Source == this) return;
  auto* jpeg = dynamic_cast<TJPEGImage*>(Source);
  if (Source != nullptr && jpeg == nullptr) return TGraphic::Assign(Source);  // a picture hands over its graphic
  FData = jpeg ? jpeg->FData : nullptr;
  FAhead = jpeg ? jpeg->FAhead : nullptr;
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
  const std::shared_ptr<TDecodeAhead> ahead = std::move(FAhead);
  FBitmap = ahead ? ahead->Take(DecodeOptions()) : nullptr;
  if (!FBitmap) FBitmap = Decode(*FData, DecodeOptions());
  Progress(this, psEnding, 100, false, TRect(), "");
}

vcl::jpeg::Options TJPEGImage::DecodeOptions() const {
  return {.grayscale = FGrayscale,
          .quantize = FPixelFormat == jf8Bit,
          .scaleDenominator = kScaleDenominators[FScale],
          .fast = FPerformance == jpBestSpeed};
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
  FAhead = std::make_shared<TDecodeAhead>();
  FAhead->Options = DecodeOptions();
  try {
    FAhead->Bitmap = std::async(std::launch::async, [Data = FData, Options = FAhead->Options] { return Decode(*Data, Options); });
  } catch (const std::system_error&) {
    FAhead.reset();  // no thread to spare: decode on demand
  }
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
