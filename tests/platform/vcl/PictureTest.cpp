// TPicture and what TGraphic shares: copies of graphics, the file-format registry, change
// reports, and assignment between pictures and bitmaps.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/vcl/Graphics.h"
#include "platform/vcl/Jpeg.h"

namespace {

std::unique_ptr<TBitmap> RedBitmap() {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->GetCanvas()->GetBrush()->SetColor(clRed);
  bitmap->SetSize(3, 2);
  return bitmap;
}

class PictureFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() / ("vcl_picture_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }

 private:
  std::filesystem::path dir_;
};

TEST(Picture, KeepsACopyOfTheGraphic) {
  TPicture picture;
  EXPECT_EQ(picture.GetGraphic(), nullptr);
  EXPECT_EQ(picture.GetWidth(), 0);
  auto bitmap = RedBitmap();
  picture.SetGraphic(bitmap.get());
  ASSERT_NE(picture.GetGraphic(), bitmap.get());
  bitmap.reset();
  EXPECT_EQ(picture.GetWidth(), 3);
  EXPECT_EQ(picture.GetBitmap()->GetCanvas()->GetPixels(2, 1), clRed);
  picture.SetGraphic(nullptr);
  EXPECT_EQ(picture.GetGraphic(), nullptr);
}

TEST(Picture, BitmapReplacesAGraphicOfAnotherClass) {
  TPicture picture;
  TJPEGImage jpeg;
  picture.SetGraphic(&jpeg);
  TBitmap* bitmap = picture.GetBitmap();
  EXPECT_EQ(picture.GetGraphic(), bitmap);
  EXPECT_TRUE(bitmap->GetEmpty());
  EXPECT_EQ(picture.GetBitmap(), bitmap);  // a bitmap stays
}

TEST(Picture, ReportsChangesOfItsGraphic) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &picture);
    ++changes;
  };
  TBitmap* bitmap = picture.GetBitmap();
  EXPECT_EQ(changes, 1);
  bitmap->SetSize(2, 2);
  bitmap->GetCanvas()->SetPixels(0, 0, clBlue);
  EXPECT_EQ(changes, 3);
}

TEST(Picture, AssignsToAndFromPicturesAndGraphics) {
  TPicture first;
  auto red = RedBitmap();
  first.Assign(red.get());
  TPicture second;
  second.Assign(&first);
  EXPECT_NE(second.GetGraphic(), first.GetGraphic());
  EXPECT_EQ(second.GetHeight(), 2);
  TBitmap bitmap;
  bitmap.Assign(&second);  // the picture hands over its graphic
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(0, 0), clRed);
  second.Assign(nullptr);
  EXPECT_EQ(second.GetGraphic(), nullptr);
  EXPECT_THROW(bitmap.Assign(&second), EConvertError);  // an empty picture has nothing to give
}

TEST_F(PictureFiles, LoadsByExtensionAndSavesTheGraphic) {
  auto red = RedBitmap();
  red->SaveToFile(Path("red.bmp"));
  TPicture picture;
  picture.LoadFromFile(Path("red.bmp"));
  ASSERT_NE(dynamic_cast<TBitmap*>(picture.GetGraphic()), nullptr);
  EXPECT_EQ(picture.GetWidth(), 3);
  picture.SaveToFile(Path("copy.BMP"));
  TPicture again;
  again.LoadFromFile(Path("copy.BMP"));  // the extension in any case
  EXPECT_EQ(again.GetBitmap()->GetCanvas()->GetPixels(1, 1), clRed);
}

TEST_F(PictureFiles, UnknownOrDamagedFilesKeepTheGraphic) {
  TPicture picture;
  auto red = RedBitmap();
  picture.SetGraphic(red.get());
  try {
    picture.LoadFromFile(Path("picture.xyz"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_EQ(e.Message, "Unknown picture file extension (.xyz)");
  }
  EXPECT_THROW(picture.LoadFromFile(Path("missing.bmp")), EFOpenError);
  {
    TFileStream junk(Path("junk.jpg"), fmCreate);
    junk.WriteBuffer("not a picture", 13);
  }
  EXPECT_THROW(picture.LoadFromFile(Path("junk.jpg")), EJPEG);
  EXPECT_EQ(picture.GetWidth(), 3);
}

TEST(Picture, RegisteredFormatsAreFoundAndCanBeRemoved) {
  TPicture::RegisterFileFormat("PIX", "Test pictures", CreateGraphic<TBitmap>);
  const std::string name = (std::filesystem::temp_directory_path() / ("vcl_" + std::to_string(::getpid()) + ".pix")).string();
  RedBitmap()->SaveToFile(name);
  TPicture picture;
  picture.LoadFromFile(name);
  EXPECT_EQ(picture.GetWidth(), 3);
  TPicture::UnregisterGraphicClass(CreateGraphic<TBitmap>);
  EXPECT_THROW(picture.LoadFromFile(name), EInvalidGraphic);
  TPicture::RegisterFileFormat("bmp", "Bitmaps", CreateGraphic<TBitmap>);  // as it was for the others
  std::filesystem::remove(name);
}

TEST(Graphic, TransparentAndModifiedReportChanges) {
  TBitmap bitmap;
  int changes = 0;
  bitmap.OnChange = [&](TObject*) { ++changes; };
  bitmap.SetTransparent(true);
  bitmap.SetTransparent(true);
  EXPECT_TRUE(bitmap.GetTransparent());
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(bitmap.GetModified());
  bitmap.SetModified(false);
  EXPECT_FALSE(bitmap.GetModified());
  EXPECT_EQ(changes, 1);
}

}  // namespace
