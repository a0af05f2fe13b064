// TJPEGImage: images encoded here with libjpeg are decoded into bitmaps (also the way the
// scenes copy a picture into a sprite), with the decoding options; damaged data raises EJPEG.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>

// The platform's types first: libjpeg's headers define TRUE and FALSE only when they are missing.
#include "platform/vcl/Jpeg.h"

#include <jpeglib.h>

namespace {

using Bytes = std::vector<std::byte>;

Bytes Encode(int width, int height, const std::function<COLORREF(int x, int y)>& pixel) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &out, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, 95, TRUE);
  info.comp_info[0].h_samp_factor = info.comp_info[0].v_samp_factor = 1;  // keep colour edges sharp
  jpeg_start_compress(&info, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * 3);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const COLORREF c = pixel(x, y);
      row[x * 3] = GetRValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetBValue(c);
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&info, rows, 1);
  }
  jpeg_finish_compress(&info);
  Bytes result(reinterpret_cast<std::byte*>(out), reinterpret_cast<std::byte*>(out) + size);
  std::free(out);
  jpeg_destroy_compress(&info);
  return result;
}

// Red, green, blue and white quarters.
COLORREF Quarters(int x, int y) {
  if (y < 8) return x < 8 ? RGB(255, 0, 0) : RGB(0, 255, 0);
  return x < 8 ? RGB(0, 0, 255) : RGB(255, 255, 255);
}

const Bytes& Picture16() {
  static const Bytes bytes = Encode(16, 16, Quarters);
  return bytes;
}

void Load(TJPEGImage& jpeg, const Bytes& bytes) {
  TMemoryStream stream;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<int>(bytes.size()));
  stream.SetPosition(0);
  jpeg.LoadFromStream(&stream);
}

void ExpectNear(TColor got, COLORREF want, int tolerance = 24) {
  const auto c = static_cast<COLORREF>(got);
  EXPECT_NEAR(GetRValue(c), GetRValue(want), tolerance) << std::hex << c;
  EXPECT_NEAR(GetGValue(c), GetGValue(want), tolerance) << std::hex << c;
  EXPECT_NEAR(GetBValue(c), GetBValue(want), tolerance) << std::hex << c;
}

void ExpectQuarters(TBitmap& bitmap, int scale = 1) {
  const int q = 4 / scale, far = 12 / scale;
  ExpectNear(bitmap.GetCanvas()->GetPixels(q, q), RGB(255, 0, 0));
  ExpectNear(bitmap.GetCanvas()->GetPixels(far, q), RGB(0, 255, 0));
  ExpectNear(bitmap.GetCanvas()->GetPixels(q, far), RGB(0, 0, 255));
  ExpectNear(bitmap.GetCanvas()->GetPixels(far, far), RGB(255, 255, 255));
}

TEST(Jpeg, DecodesIntoABitmapThroughAssignment) {
  TJPEGImage jpeg;
  EXPECT_TRUE(jpeg.GetEmpty());
  Load(jpeg, Picture16());
  EXPECT_FALSE(jpeg.GetEmpty());
  EXPECT_EQ(jpeg.GetWidth(), 16);
  EXPECT_EQ(jpeg.GetHeight(), 16);
  EXPECT_EQ(jpeg.GetPixelFormat(), jf24Bit);
  EXPECT_EQ(jpeg.GetScale(), jsFullSize);
  EXPECT_EQ(jpeg.GetPerformance(), jpBestQuality);
  EXPECT_FALSE(jpeg.GetGrayscale());
  TBitmap bitmap;
  bitmap.Assign(&jpeg);
  EXPECT_EQ(bitmap.GetPixelFormat(), pf24bit);
  ASSERT_EQ(bitmap.GetWidth(), 16);
  ASSERT_EQ(bitmap.GetHeight(), 16);
  ExpectQuarters(bitmap);
}

// The bitmap shares the decoded pixels until it is drawn on.
TEST(Jpeg, ABitmapMadeFromItAndDrawnOnLeavesItsPicture) {
  TJPEGImage jpeg;
  Load(jpeg, Picture16());
  TBitmap bitmap;
  bitmap.Assign(&jpeg);
  bitmap.GetCanvas()->FillRect(Rect(0, 0, 16, 16));
  TBitmap drawn;
  drawn.SetPixelFormat(pf24bit);
  drawn.SetSize(16, 16);
  drawn.GetCanvas()->Draw(0, 0, &jpeg);
  ExpectQuarters(drawn);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(4, 4), clWhite);
}

TEST(Jpeg, PictureToSpriteCopy) {
  TPicture picture;  // as an image component holds it
  {
    TJPEGImage loaded;
    Load(loaded, Picture16());
    picture.SetGraphic(&loaded);
  }
  ASSERT_NE(dynamic_cast<TJPEGImage*>(picture.GetGraphic()), nullptr);
  auto jpeg = std::make_unique<TJPEGImage>();
  jpeg->Assign(&picture);
  jpeg->DIBNeeded();
  TBitmap sprite;
  sprite.Assign(jpeg.get());
  jpeg.reset();
  ExpectQuarters(sprite);
  TMemoryStream kept;  // the picture keeps its own compressed copy
  picture.GetGraphic()->SaveToStream(&kept);
  EXPECT_EQ(kept.GetSize(), static_cast<std::int64_t>(Picture16().size()));
}

// Loading starts a decode that the first copy needing pixels with its options takes; the others
// decode for themselves and see the same picture.
TEST(Jpeg, EveryCopyOfALoadedImageGetsItsPixels) {
  TJPEGImage loaded, first, half, last;
  Load(loaded, Picture16());
  first.Assign(&loaded);
  half.Assign(&loaded);
  half.SetScale(jsHalf);
  last.Assign(&loaded);
  for (TJPEGImage* jpeg : {&half, &first, &last, &loaded}) {
    TBitmap bitmap;
    bitmap.Assign(jpeg);
    ExpectQuarters(bitmap, jpeg == &half ? 2 : 1);
  }
}

TEST(Jpeg, KeepsTheCompressedBytes) {
  TJPEGImage jpeg;
  Load(jpeg, Picture16());
  TMemoryStream out;
  jpeg.SaveToStream(&out);
  ASSERT_EQ(out.GetSize(), static_cast<std::int64_t>(Picture16().size()));
  EXPECT_EQ(std::memcmp(out.GetMemory(), Picture16().data(), Picture16().size()), 0);
  Load(jpeg, {});
  EXPECT_TRUE(jpeg.GetEmpty());
  EXPECT_EQ(jpeg.GetWidth(), 0);
}

TEST(Jpeg, DecodingOptions) {
  TJPEGImage jpeg;
  Load(jpeg, Picture16());
  jpeg.SetScale(jsHalf);
  EXPECT_EQ(jpeg.GetWidth(), 8);
  TBitmap bitmap;
  bitmap.Assign(&jpeg);
  EXPECT_EQ(bitmap.GetWidth(), 8);
  ExpectQuarters(bitmap, 2);
  jpeg.SetScale(jsEighth);
  bitmap.Assign(&jpeg);
  EXPECT_EQ(bitmap.GetWidth(), 2);

  jpeg.SetScale(jsFullSize);
  jpeg.SetGrayscale(true);
  bitmap.Assign(&jpeg);
  EXPECT_EQ(bitmap.GetPixelFormat(), pf8bit);
  EXPECT_NE(jpeg.GetPalette(), nullptr);
  const BYTE red = static_cast<BYTE>(0.299 * 255);
  ExpectNear(bitmap.GetCanvas()->GetPixels(4, 4), RGB(red, red, red), 8);
  ExpectNear(bitmap.GetCanvas()->GetPixels(12, 12), RGB(255, 255, 255), 8);

  jpeg.SetGrayscale(false);
  jpeg.SetPixelFormat(jf8Bit);
  bitmap.Assign(&jpeg);
  EXPECT_EQ(bitmap.GetPixelFormat(), pf8bit);
  ExpectQuarters(bitmap);

  jpeg.SetPixelFormat(jf24Bit);
  jpeg.SetPerformance(jpBestSpeed);
  bitmap.Assign(&jpeg);
  EXPECT_EQ(bitmap.GetPixelFormat(), pf24bit);
  EXPECT_EQ(jpeg.GetPalette(), nullptr);
  ExpectQuarters(bitmap);
}

TEST(Jpeg, DrawsOnACanvas) {
  TJPEGImage jpeg;
  Load(jpeg, Picture16());
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(16, 16);
  target.GetCanvas()->Draw(0, 0, &jpeg);
  ExpectQuarters(target);
}

TEST(Jpeg, ReportsProgressAroundDecoding) {
  TJPEGImage jpeg;
  Load(jpeg, Picture16());
  std::vector<std::pair<TProgressStage, int>> seen;
  jpeg.OnProgress = [&](TObject* sender, TProgressStage stage, BYTE percent, bool, const TRect&, const AnsiString&) {
    EXPECT_EQ(sender, &jpeg);
    seen.emplace_back(stage, percent);
  };
  jpeg.DIBNeeded();
  jpeg.DIBNeeded();  // already decoded
  EXPECT_EQ(seen, (std::vector<std::pair<TProgressStage, int>>{{psStarting, 0}, {psEnding, 100}}));
}

TEST(Jpeg, CannotBeResizedOrMadeFromABitmap) {
  TJPEGImage jpeg;
  try {
    jpeg.SetWidth(3);
    FAIL();
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_EQ(e.Message, "Cannot change the size of a JPEG image");
  }
  EXPECT_THROW(jpeg.SetHeight(3), EInvalidGraphicOperation);
  TBitmap bitmap;
  try {
    jpeg.Assign(&bitmap);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message, "Cannot assign a TBitmap to a TJPEGImage");
  }
}

TEST(Jpeg, DataThatIsNoJpegIsRefusedAtLoadAndKeepsTheImage) {
  TJPEGImage jpeg;
  Load(jpeg, Picture16());
  for (const Bytes& bad : {Bytes(100, std::byte{0x42}), Bytes(Picture16().begin(), Picture16().begin() + 40)}) {
    try {
      Load(jpeg, bad);
      ADD_FAILURE();
    } catch (const EJPEG& e) {
      EXPECT_FALSE(e.Message.empty());
    }
  }
  EXPECT_EQ(jpeg.GetWidth(), 16);
  TBitmap bitmap;
  bitmap.Assign(&jpeg);
  ExpectQuarters(bitmap);
}

// The first byte offset of a marker in the data.
std::size_t Find(const Bytes& data, int marker) {
  for (std::size_t i = 0; i + 1 < data.size(); ++i)
    if (data[i] == std::byte{0xFF} && data[i + 1] == static_cast<std::byte>(marker)) return i;
  return data.size();
}

TEST(Jpeg, DamagedScanDataRaisesWhenDecoded) {
  const Bytes& good = Picture16();
  const std::size_t scan = Find(good, 0xDA);
  ASSERT_LT(scan, good.size());
  Bytes cut(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(scan + 20));
  Bytes marked = good;  // a restart marker where none belongs, in the middle of the scan
  marked[(scan + good.size()) / 2] = std::byte{0xFF};
  marked[(scan + good.size()) / 2 + 1] = std::byte{0xD3};
  Bytes noEnd(good.begin(), good.end() - 2);
  for (const Bytes* damaged : {&cut, &marked, &noEnd}) {
    TJPEGImage jpeg;
    Load(jpeg, *damaged);  // the header is whole
    EXPECT_EQ(jpeg.GetWidth(), 16);
    EXPECT_THROW(jpeg.DIBNeeded(), EJPEG);
    TBitmap bitmap;
    EXPECT_THROW(bitmap.Assign(&jpeg), EInvalidGraphic);
    EXPECT_TRUE(bitmap.GetEmpty());
  }
}

TEST(Jpeg, HugeDimensionsAreRefusedBeforeMemoryIsTaken) {
  Bytes huge = Picture16();
  const std::size_t frame = Find(huge, 0xC0);
  ASSERT_LT(frame, huge.size());
  for (std::size_t at : {frame + 5, frame + 7}) {  // height, then width: 65000 each
    huge[at] = std::byte{0xFD};
    huge[at + 1] = std::byte{0xE8};
  }
  TJPEGImage jpeg;
  Load(jpeg, huge);
  EXPECT_EQ(jpeg.GetWidth(), 65000);
  try {
    jpeg.DIBNeeded();
    FAIL();
  } catch (const EJPEG& e) {
    EXPECT_EQ(e.Message, "JPEG image is too large (65000 x 65000)");
  }
}

}  // namespace
