// Bitmaps and icons from the program's resources, icons and bitmaps made from each other, and
// an image list's image drawn disabled. A failure frees what was being made.
#include <memory>

#include "imaging/QmUtils.h"
#include "imaging/QmUtilsMask.h"
#include "platform/user/CommCtrl.h"
#include "platform/user/Icons.h"
#include "platform/win32/Kernel32.h"

namespace {

HINSTANCE Program() { return GetModuleHandleA(nullptr); }

}  // namespace

TBitmap* MakeModuleBitmap(HINSTANCE Module, LPCSTR ResID) {
  auto bitmap = std::make_unique<TBitmap>();
  try {
    if (Module) {
      if (IS_INTRESOURCE(ResID))
        bitmap->LoadFromResourceID(Module, static_cast<int>(reinterpret_cast<std::uintptr_t>(ResID) & 0xFFFF));
      else
        bitmap->LoadFromResourceName(Module, ResID);
    } else {
      HBITMAP system = LoadBitmapA(nullptr, ResID);
      if (!system) ResourceNotFound(ResID);
      bitmap->SetHandle(system);
    }
  } catch (const Exception&) {
    return nullptr;
  }
  return bitmap.release();
}

TBitmap* MakeBitmap(LPCSTR ResName) { return MakeModuleBitmap(Program(), ResName); }
TBitmap* MakeBitmapID(WORD ResID) { return MakeModuleBitmap(Program(), MAKEINTRESOURCEA(ResID)); }

TIcon* MakeModuleIcon(HINSTANCE Module, LPCSTR ResID) {
  auto icon = std::make_unique<TIcon>();
  HICON handle = LoadIconA(Module, ResID);
  if (!handle) return nullptr;
  icon->SetHandle(handle);
  return icon.release();
}

TIcon* MakeIcon(LPCSTR ResName) { return MakeModuleIcon(Program(), ResName); }
TIcon* MakeIconID(WORD ResID) { return MakeModuleIcon(Program(), MAKEINTRESOURCEA(ResID)); }

TBitmap* CreateBitmapFromIcon(TIcon* Icon, TColor BackColor) {
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetWidth(Icon->GetWidth());
  bitmap->SetHeight(Icon->GetHeight());
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetBrush()->SetColor(BackColor);
  canvas->FillRect(Rect(0, 0, bitmap->GetWidth(), bitmap->GetHeight()));
  canvas->Draw(0, 0, Icon);
  bitmap->SetTransparentColor(BackColor);
  bitmap->SetTransparent(true);
  return bitmap.release();
}

TIcon* CreateIconFromBitmap(TBitmap* Bitmap, TColor TransparentColor) {
  TImageList list(nullptr, Bitmap->GetWidth(), Bitmap->GetHeight());
  list.SetAllocBy(1);
  if (TransparentColor == clDefault) TransparentColor = Bitmap->GetTransparentColor();
  list.AddMasked(Bitmap, TransparentColor);
  auto icon = std::make_unique<TIcon>();
  list.GetIcon(0, icon.get());
  return icon.release();
}

void ImageListDrawDisabled(TImageList* Images, TCanvas* Canvas, int X, int Y, int Index, TColor HighlightColor,
                           TColor GrayColor, bool DrawHighlight) {
  const TColor savedBrush = Canvas->GetBrush()->GetColor();
  struct RestoreBrush {
    TCanvas* canvas;
    TColor color;
    ~RestoreBrush() { canvas->GetBrush()->SetColor(color); }
  } restore{Canvas, savedBrush};
  TBitmap mask;
  mask.SetWidth(Images->GetWidth());
  mask.SetHeight(Images->GetHeight());
  mask.GetCanvas()->GetBrush()->SetColor(clWhite);
  mask.GetCanvas()->FillRect(Rect(0, 0, mask.GetWidth(), mask.GetHeight()));
  ImageList_Draw(Images->GetHandle(), Index, mask.GetCanvas()->GetHandle(), 0, 0, ILD_MASK);
  mask.SetMonochrome(true);
  // The opaque pixels are the mask's clear ones.
  if (DrawHighlight) qmutils::PaintThroughMask(Canvas, HighlightColor, X + 1, Y + 1, &mask, false);
  qmutils::PaintThroughMask(Canvas, GrayColor, X, Y, &mask, false);
}
