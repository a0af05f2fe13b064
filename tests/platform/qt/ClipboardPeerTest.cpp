// The clipboard through Qt: what the program places is an image other programs can paste and
// data of the program's own types; an image another program placed is pasted as a bitmap.
#include "PeerFixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <cstdlib>
#include <cstring>

#include "platform/gdi/GdiMemory.h"
#include "platform/qt/QtPlatform.h"
#include "platform/user/Clipboard.h"
#include "platform/user/UserPeer.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/GlobalMemory.h"

namespace {

class ClipboardThroughQt : public PeerTest {};

TEST_F(ClipboardThroughQt, PlacedDataIsAnImageAndTypesOfItsOwn) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf24bit);
  bitmap.SetSize(3, 2);
  bitmap.GetCanvas()->SetPixels(0, 0, clRed);
  bitmap.GetCanvas()->SetPixels(2, 1, clBlue);
  Clipboard()->Open();
  Clipboard()->Assign(&bitmap);
  HGLOBAL tag = GlobalAlloc(GMEM_MOVEABLE, 3);
  std::memcpy(GlobalLock(tag), "ico", 3);
  GlobalUnlock(tag);
  Clipboard()->SetAsHandle(static_cast<WORD>(RegisterClipboardFormatA("Quillmont Icon")), tag);
  Clipboard()->Close();

  const QImage image = QGuiApplication::clipboard()->image();
  ASSERT_EQ(image.size(), QSize(3, 2));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 0, 0));
  EXPECT_EQ(image.pixel(2, 1), qRgb(0, 0, 255));
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  EXPECT_EQ(mime->data("application/x-qm-clipboard;name=Quillmont%20Icon"), QByteArray("ico"));
  // Still this program's: opening again keeps its own bitmap.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_NE(GetClipboardData(CF_BITMAP), nullptr);
  CloseClipboard();
}

TEST_F(ClipboardThroughQt, AnotherProgramsImageIsPastedAsABitmap) {
  QImage image(4, 1, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 255, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(2, 0, qRgb(0, 0, 0));
  image.setPixel(3, 0, qRgb(255, 255, 255));
  QGuiApplication::clipboard()->setImage(image);
  ASSERT_TRUE(Clipboard()->HasFormat(CF_BITMAP));
  TPicture picture;
  picture.Assign(Clipboard());
  TBitmap* pasted = picture.GetBitmap();
  ASSERT_EQ(pasted->GetWidth(), 4);
  EXPECT_EQ(pasted->GetCanvas()->GetPixels(0, 0), clYellow);
  EXPECT_EQ(pasted->GetCanvas()->GetPixels(1, 0), clLime);
  EXPECT_EQ(pasted->GetCanvas()->GetPixels(3, 0), clWhite);
}

}  // namespace
