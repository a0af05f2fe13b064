// The class library's JPEG picture: keeps the compressed bytes and decodes them through
// libjpeg into a bitmap when pixels are first needed; loading starts that decode on a thread of
// its own, so the pixels are mostly there by the time they are asked for.
#pragma once

#include <cstddef>
#include <memory>
#include <vector>

#include "platform/vcl/JpegDecoder.h"

#include "platform/vcl/Graphics.h"

// A JPEG that libjpeg cannot decode; the message is libjpeg's.
class EJPEG : public EInvalidGraphic {
 public:
  using EInvalidGraphic::EInvalidGraphic;
};

enum TJPEGPixelFormat { jf24Bit, jf8Bit };
enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

// Decoding options change the next decode; the compressed bytes are kept as read and shared
// between copies, and so is the decode started at load, which the first copy to need pixels
// with the options it was made with takes. Width and Height are the decoded size (after Scale).
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;
  TJPEGImage(const TJPEGImage&) = delete;
  TJPEGImage& operator=(const TJPEGImage&) = delete;

  // From a TJPEGImage: its bytes and options; from nil: empty; from a TPicture: its graphic.
  void Assign(TPersistent* Source) override;
  // Decodes into the internal bitmap unless that is done (EJPEG when the data is damaged).
  void DIBNeeded();

  bool GetEmpty() override { return !FData; }
  int GetWidth() override;
  int GetHeight() override;
  // EInvalidGraphicOperation "Cannot change the size of a JPEG image".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  // The decoded bitmap's palette (8-bit output only).
  HPALETTE GetPalette() override;

  bool GetGrayscale() const { return FGrayscale; }
  void SetGrayscale(bool Value);
  TJPEGPixelFormat GetPixelFormat() const { return FPixelFormat; }
  void SetPixelFormat(TJPEGPixelFormat Value);
  TJPEGScale GetScale() const { return FScale; }
  void SetScale(TJPEGScale Value);
  TJPEGPerformance GetPerformance() const { return FPerformance; }
  void SetPerformance(TJPEGPerformance Value);

  // All bytes from the position to the end; the header is read at once (EJPEG when it is not
  // a JPEG). No bytes left: empty.
  void LoadFromStream(TStream* Stream) override;
  // The compressed bytes as loaded.
  void SaveToStream(TStream* Stream) override;

  std::unique_ptr<TGraphic> NewGraphic() const override;

 protected:
  // Into a TBitmap: the decoded pixels.
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void SetOption(auto& Field, auto Value);
  int ScaledSize(int Size) const;
  vcl::jpeg::Options DecodeOptions() const;

  struct TDecodeAhead;
  std::shared_ptr<const std::vector<std::byte>> FData;
  std::shared_ptr<TDecodeAhead> FAhead;
  int FImageWidth = 0;
  int FImageHeight = 0;
  std::unique_ptr<TBitmap> FBitmap;
  bool FGrayscale = false;
  TJPEGPixelFormat FPixelFormat = jf24Bit;
  TJPEGScale FScale = jsFullSize;
  TJPEGPerformance FPerformance = jpBestQuality;
};
