// TImageList over the common controls' image list.
#include "platform/vcl/ImgList.h"

TImageList::TImageList(TComponent* AOwner) : TImageList(AOwner, 16, 16) {}

TImageList::TImageList(TComponent* AOwner, int AWidth, int AHeight)
    : TComponent(AOwner), FWidth(AWidth), FHeight(AHeight) {
  Recreate();
}

TImageList::~TImageList() { ImageList_Destroy(FHandle); }

void TImageList::Recreate() {
  const COLORREF background = FHandle ? ImageList_GetBkColor(FHandle) : CLR_NONE;
  ImageList_Destroy(FHandle);
  FHandle = ImageList_Create(FWidth, FHeight, ILC_COLORDDB | (FMasked ? ILC_MASK : 0), FAllocBy, FAllocBy);
  if (!FHandle) throw EInvalidOperation("Invalid image size");
  ImageList_SetBkColor(FHandle, background);
}

void TImageList::Changed() {
  if (OnChange) OnChange(this);
}

void TImageList::SetWidth(int Value) {
  if (Value == FWidth) return;
  FWidth = Value;
  Recreate();
  Changed();
}

void TImageList::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Recreate();
  Changed();
}

void TImageList::SetMasked(bool Value) {
  if (Value == FMasked) return;
  FMasked = Value;
  Recreate();
  Changed();
}

TColor TImageList::GetBkColor() const {
  const COLORREF c = ImageList_GetBkColor(FHandle);
  return c == CLR_NONE ? clNone : static_cast<TColor>(c);
}

void TImageList::SetBkColor(TColor Value) {
  ImageList_SetBkColor(FHandle, Value == clNone ? CLR_NONE : static_cast<COLORREF>(ColorToRGB(Value)));
  Changed();
}

int TImageList::GetCount() const { return ImageList_GetImageCount(FHandle); }

int TImageList::Checked(int Index) {
  if (Index < 0) throw EInvalidOperation("Failed to add image");
  Changed();
  return Index;
}

int TImageList::Add(TBitmap* Image, TBitmap* Mask) {
  return Checked(ImageList_Add(FHandle, Image ? Image->GetHandle() : nullptr, Mask ? Mask->GetHandle() : nullptr));
}

int TImageList::AddMasked(TBitmap* Image, TColor MaskColor) {
  return Checked(ImageList_AddMasked(FHandle, Image ? Image->GetHandle() : nullptr,
                                     static_cast<COLORREF>(ColorToRGB(MaskColor))));
}

int TImageList::AddIcon(TIcon* Image) { return Checked(ImageList_ReplaceIcon(FHandle, -1, Image->GetHandle())); }

void TImageList::Delete(int Index) {
  if (!ImageList_Remove(FHandle, Index)) throw EListError(Format("List index out of bounds (%d)", Index));
  Changed();
}

void TImageList::Clear() { Delete(-1); }

void TImageList::GetIcon(int Index, TIcon* Image) {
  HICON icon = ImageList_GetIcon(FHandle, Index, ILD_NORMAL);
  if (!icon) throw EListError(Format("List index out of bounds (%d)", Index));
  Image->SetHandle(icon);
}

void TImageList::Draw(TCanvas* Canvas, int X, int Y, int Index) {
  ImageList_Draw(FHandle, Index, Canvas->GetHandle(), X, Y, ILD_NORMAL);
}
