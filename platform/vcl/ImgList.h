// The class library's image list: images of one size over the common controls' image list,
// added from bitmaps and icons, drawn onto canvases and given back as icons.
#pragma once

#include "platform/user/CommCtrl.h"
#include "platform/vcl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Icon.h"

class TImageList : public TComponent {
 public:
  // 16 x 16 images with masks.
  explicit TImageList(TComponent* AOwner);
  TImageList(TComponent* AOwner, int AWidth, int AHeight);
  ~TImageList() override;

  int GetWidth() const { return FWidth; }
  int GetHeight() const { return FHeight; }
  // A new size empties the list.
  void SetWidth(int Value);
  void SetHeight(int Value);
  bool GetMasked() const { return FMasked; }
  void SetMasked(bool Value);
  // How many images room is made for at a time; the common list needs no room ahead.
  int GetAllocBy() const { return FAllocBy; }
  void SetAllocBy(int Value) { FAllocBy = Value; }
  // clNone draws transparent.
  TColor GetBkColor() const;
  void SetBkColor(TColor Value);
  int GetCount() const;
  HIMAGELIST GetHandle() const { return FHandle; }

  // EInvalidOperation "Failed to add image" when the image cannot be added; Image may hold a
  // strip of several images side by side.
  int Add(TBitmap* Image, TBitmap* Mask);
  int AddMasked(TBitmap* Image, TColor MaskColor);
  int AddIcon(TIcon* Image);
  void Delete(int Index);
  void Clear();
  // The image as an icon (Image takes the handle).
  void GetIcon(int Index, TIcon* Image);
  void Draw(TCanvas* Canvas, int X, int Y, int Index);

  TNotifyEvent OnChange;

 private:
  void Recreate();
  void Changed();
  int Checked(int Index);

  int FWidth = 16;
  int FHeight = 16;
  bool FMasked = true;
  int FAllocBy = 4;
  HIMAGELIST FHandle = nullptr;
};
