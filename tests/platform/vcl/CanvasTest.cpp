// TCanvas over bitmaps and over a device context it does not own, and the drawing side of
// TBitmap: sizes, pixel formats, copies, palettes and change reports.
#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/GdiMemory.h"
#include "platform/vcl/Graphics.h"

namespace {

// A 24-bit bitmap of one colour.
std::unique_ptr<TBitmap> Filled(int width, int height, TColor color) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->GetCanvas()->GetBrush()->SetColor(color);
  bitmap->SetSize(width, height);
  return bitmap;
}

// The bitmap's pixels, top row first, as colours.
std::vector<std::vector<TColor>> Pixels(TBitmap& bitmap) {
  std::vector<std::vector<TColor>> rows;
  for (int y = 0; y < bitmap.GetHeight(); ++y) {
    rows.emplace_back();
    for (int x = 0; x < bitmap.GetWidth(); ++x) rows.back().push_back(bitmap.GetCanvas()->GetPixels(x, y));
  }
  return rows;
}

constexpr TColor W = clWhite, R = clRed, B = clBlue, G = clLime, K = clBlack;

TEST(Canvas, PixelsGetAndSet) {
  auto bitmap = Filled(3, 2, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->SetPixels(2, 1, clRed);
  canvas->SetPixels(0, 0, clBtnShadow);  // system colours are resolved
  EXPECT_EQ(canvas->GetPixels(2, 1), clRed);
  EXPECT_EQ(canvas->GetPixels(0, 0), clGray);
  EXPECT_EQ(canvas->GetPixels(1, 1), clWhite);
  EXPECT_EQ(canvas->GetPixels(5, 0), -1);  // outside the bitmap
}

TEST(Canvas, ShapesUseThePenAndTheBrushAndFollowTheirChanges) {
  auto bitmap = Filled(6, 6, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetPen()->SetColor(clRed);
  canvas->GetBrush()->SetColor(clBlue);
  canvas->Rectangle(0, 0, 4, 4);
  canvas->GetPen()->SetColor(clLime);
  canvas->MoveTo(0, 5);
  canvas->LineTo(5, 5);  // the end point is left out
  EXPECT_EQ(canvas->GetPenPos().x, 5);
  canvas->GetBrush()->SetColor(clBlack);
  canvas->FillRect(Rect(4, 0, 6, 2));
  EXPECT_EQ(Pixels(*bitmap), (std::vector<std::vector<TColor>>{{R, R, R, R, K, K},
                                                               {R, B, B, R, K, K},
                                                               {R, B, B, R, W, W},
                                                               {R, R, R, R, W, W},
                                                               {W, W, W, W, W, W},
                                                               {G, G, G, G, G, W}}));
}

TEST(Canvas, ClearBrushAndClearPenLeaveWhatIsThere) {
  auto bitmap = Filled(4, 4, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->GetPen()->SetColor(clRed);
  canvas->Rectangle(0, 0, 4, 4);
  canvas->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(canvas->GetPixels(1, 1), clWhite);
  EXPECT_EQ(canvas->GetPixels(0, 0), clRed);
  canvas->GetPen()->SetStyle(psClear);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clBlue);
  canvas->Ellipse(0, 0, 4, 4);
  EXPECT_EQ(canvas->GetPixels(0, 0), clRed);  // the corner is outside the ellipse
  EXPECT_EQ(canvas->GetPixels(1, 1), clBlue);
}

TEST(Canvas, PolygonFillsItsInside) {
  auto bitmap = Filled(5, 5, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetPen()->SetColor(clBlue);
  canvas->GetBrush()->SetColor(clBlue);
  const TPoint points[] = {Point(0, 0), Point(4, 0), Point(4, 4), Point(0, 4)};
  canvas->Polygon(points);
  EXPECT_EQ(canvas->GetPixels(2, 2), clBlue);
  EXPECT_EQ(canvas->GetPixels(0, 0), clBlue);
}

TEST(Canvas, DrawCopiesAGraphicAtItsOwnSize) {
  auto target = Filled(4, 3, clWhite);
  auto source = Filled(2, 2, clRed);
  source->GetCanvas()->SetPixels(1, 1, clBlue);
  target->GetCanvas()->Draw(1, 1, source.get());
  target->GetCanvas()->Draw(0, 0, nullptr);
  TBitmap empty;
  target->GetCanvas()->Draw(0, 0, &empty);
  EXPECT_EQ(Pixels(*target), (std::vector<std::vector<TColor>>{{W, W, W, W}, {W, R, R, W}, {W, R, B, W}}));
}

TEST(Canvas, StretchDrawTakesTheNearestPixel) {
  auto target = Filled(4, 4, clWhite);
  auto source = Filled(2, 2, clRed);
  source->GetCanvas()->SetPixels(1, 0, clBlue);
  source->GetCanvas()->SetPixels(0, 1, clLime);
  target->GetCanvas()->StretchDraw(Rect(0, 0, 4, 4), source.get());
  EXPECT_EQ(Pixels(*target),
            (std::vector<std::vector<TColor>>{{R, R, B, B}, {R, R, B, B}, {G, G, R, R}, {G, G, R, R}}));
}

TEST(Canvas, CopyRectStretchesWithTheCopyMode) {
  auto target = Filled(4, 2, clWhite);
  auto source = Filled(3, 3, clBlack);
  source->GetCanvas()->SetPixels(2, 2, clRed);
  TCanvas* canvas = target->GetCanvas();
  EXPECT_EQ(canvas->GetCopyMode(), cmSrcCopy);
  canvas->CopyRect(Rect(0, 0, 2, 2), source->GetCanvas(), Rect(1, 1, 3, 3));
  canvas->SetCopyMode(cmNotSrcCopy);
  canvas->CopyRect(Rect(2, 0, 3, 1), source->GetCanvas(), Rect(2, 2, 3, 3));
  EXPECT_EQ(Pixels(*target), (std::vector<std::vector<TColor>>{{K, K, clAqua, W}, {K, R, W, W}}));
}

TEST(Canvas, WrapsAForeignDeviceContextAndGivesItBack) {
  std::vector<std::byte> memory(4 * 4 * 4);
  gdi::PixelBuffer pixels{memory.data(), 4, 4, 16, 32, {}};
  HDC dc = gdi::CreateDCOverPixels(pixels);
  HGDIOBJ pen = GetCurrentObject(dc, OBJ_PEN);
  HGDIOBJ brush = GetCurrentObject(dc, OBJ_BRUSH);
  {
    TCanvas canvas;
    canvas.SetHandle(dc);
    EXPECT_EQ(canvas.GetHandle(), dc);
    canvas.GetBrush()->SetColor(clRed);
    canvas.FillRect(Rect(0, 0, 2, 1));
  }
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PEN), pen);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_BRUSH), brush);
  EXPECT_EQ(GetPixel(dc, 1, 0), RGB(255, 0, 0));  // still usable: the canvas did not own it
  EXPECT_EQ(memory[4 + 2], std::byte{0xFF});      // blue, green, red, unused
  DeleteDC(dc);
}

TEST(Canvas, WithoutADeviceContextRefusesToDraw) {
  TCanvas canvas;
  try {
    canvas.Rectangle(0, 0, 1, 1);
    FAIL();
  } catch (const EInvalidOperation& e) {
    EXPECT_EQ(e.Message, "Canvas does not allow drawing");
  }
}

TEST(Canvas, TextFollowsTheFont) {
  auto bitmap = Filled(60, 30, clWhite);
  TCanvas* canvas = bitmap->GetCanvas();
  EXPECT_EQ(canvas->GetFont()->GetSize(), 8);
  EXPECT_EQ(canvas->GetFont()->GetHeight(), -11);
  const int one = canvas->TextWidth("W");
  EXPECT_GT(one, 0);
  EXPECT_GT(canvas->TextWidth("WWWW"), 3 * one);
  const int small = canvas->TextHeight("Wg");
  canvas->GetFont()->SetSize(16);
  EXPECT_GT(canvas->TextHeight("Wg"), small);
  canvas->GetFont()->SetColor(clRed);
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->TextOut(2, 2, "W");
  bool red = false;
  for (const auto& row : Pixels(*bitmap))
    for (TColor c : row) red = red || c == clRed;
  EXPECT_TRUE(red);
}

TEST(Canvas, ReportsEachDrawing) {
  auto bitmap = Filled(3, 3, clWhite);
  int changing = 0, changed = 0;
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->OnChanging = [&](TObject* sender) {
    EXPECT_EQ(sender, canvas);
    ++changing;
  };
  canvas->OnChange = [&](TObject*) { ++changed; };
  canvas->SetPixels(0, 0, clRed);
  canvas->FillRect(Rect(0, 0, 1, 1));
  canvas->GetPixels(0, 0);
  EXPECT_EQ(changing, 2);
  EXPECT_EQ(changed, 2);
}

// ---- TBitmap

TEST(Bitmap, NewAreaTakesTheBrushColour) {
  TBitmap bitmap;
  EXPECT_TRUE(bitmap.GetEmpty());
  bitmap.SetSize(2, 1);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(1, 0), clWhite);
  bitmap.GetCanvas()->SetPixels(0, 0, clRed);
  bitmap.GetCanvas()->GetBrush()->SetColor(clFuchsia);
  bitmap.SetWidth(3);
  bitmap.SetHeight(2);
  EXPECT_EQ(Pixels(bitmap), (std::vector<std::vector<TColor>>{{R, W, clFuchsia}, {clFuchsia, clFuchsia, clFuchsia}}));
}

TEST(Bitmap, AssignCopiesAndNilEmpties) {
  auto original = Filled(2, 2, clRed);
  TBitmap copy;
  copy.Assign(original.get());
  original->GetCanvas()->SetPixels(0, 0, clBlue);
  EXPECT_EQ(copy.GetPixelFormat(), pf24bit);
  EXPECT_EQ(copy.GetCanvas()->GetPixels(0, 0), clRed);
  EXPECT_NE(copy.GetHandle(), original->GetHandle());
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.GetEmpty());
  EXPECT_EQ(copy.GetWidth(), 0);
}

TEST(Bitmap, ScanLineOutsideTheImageRaises) {
  auto bitmap = Filled(2, 2, clRed);
  EXPECT_NE(bitmap->GetScanLine(1), nullptr);
  for (int row : {-1, 2}) {
    try {
      bitmap->GetScanLine(row);
      FAIL();
    } catch (const EInvalidGraphicOperation& e) {
      EXPECT_EQ(e.Message, "Scan line index out of range");
    }
  }
  TBitmap empty;
  EXPECT_THROW(empty.GetScanLine(0), EInvalidGraphicOperation);
}

TEST(Bitmap, ScanLinesRunTopDown) {
  auto bitmap = Filled(2, 2, clWhite);
  bitmap->GetCanvas()->SetPixels(1, 0, clBlue);
  const auto* top = static_cast<const BYTE*>(bitmap->GetScanLine(0));
  EXPECT_EQ(top[3], 0xFF);  // blue, green, red
  EXPECT_EQ(top[4], 0x00);
  EXPECT_EQ(top[5], 0x00);
}

TEST(Bitmap, PixelFormatChangesConvertThePixels) {
  auto bitmap = Filled(2, 1, clRed);
  bitmap->GetCanvas()->SetPixels(1, 0, clWhite);
  bitmap->SetPixelFormat(pf8bit);
  EXPECT_EQ(bitmap->GetPixelFormat(), pf8bit);
  EXPECT_NE(bitmap->GetPalette(), nullptr);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(0, 0), clRed);
  bitmap->SetPixelFormat(pf15bit);  // 5-5-5
  EXPECT_EQ(bitmap->GetPixelFormat(), pf15bit);
  EXPECT_EQ(bitmap->GetPalette(), nullptr);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(0, 0), clRed);
  bitmap->GetCanvas()->SetPixels(0, 0, static_cast<TColor>(RGB(0, 132, 0)));
  EXPECT_EQ(static_cast<const WORD*>(bitmap->GetScanLine(0))[0], 16 << 5);
  bitmap->SetPixelFormat(pf16bit);  // 5-6-5
  EXPECT_EQ(bitmap->GetPixelFormat(), pf16bit);
  EXPECT_EQ(static_cast<const WORD*>(bitmap->GetScanLine(0))[0], 33 << 5);
  bitmap->GetCanvas()->SetPixels(0, 0, clRed);
  bitmap->SetPixelFormat(pf1bit);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(1, 0), clWhite);
  bitmap->SetPixelFormat(pf32bit);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(1, 0), clWhite);
}

TEST(Bitmap, SettingThePaletteReplacesTheColourTable) {
  TBitmap bitmap;
  bitmap.SetPixelFormat(pf8bit);
  bitmap.SetSize(1, 1);
  static_cast<BYTE*>(bitmap.GetScanLine(0))[0] = 3;
  std::vector<RGBQUAD> colors(256, RGBQUAD{0, 0, 0, 0});
  colors[3] = RGBQUAD{0x10, 0x20, 0x30, 0};
  bitmap.SetPalette(vcl::NewPalette(colors).get());
  EXPECT_EQ(static_cast<const BYTE*>(bitmap.GetScanLine(0))[0], 3);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(0, 0), static_cast<TColor>(RGB(0x30, 0x20, 0x10)));
}

TEST(Bitmap, AdoptsAHandleOfTheDrawingLayer) {
  TBitmap bitmap;
  bitmap.SetHandle(CreateCompatibleBitmap(gdi::ScreenDC(), 3, 2));
  EXPECT_EQ(bitmap.GetWidth(), 3);
  EXPECT_EQ(bitmap.GetHeight(), 2);
  EXPECT_EQ(bitmap.GetPixelFormat(), pf32bit);
  bitmap.GetCanvas()->SetPixels(2, 1, clRed);
  EXPECT_EQ(bitmap.GetCanvas()->GetPixels(2, 1), clRed);
}

TEST(Bitmap, DrawingOnTheCanvasReportsAChange) {
  auto bitmap = Filled(2, 2, clWhite);
  int changes = 0;
  bitmap->OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, bitmap.get());
    ++changes;
  };
  bitmap->GetCanvas()->SetPixels(0, 0, clRed);
  bitmap->SetSize(3, 3);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(bitmap->GetModified());
}

}  // namespace
