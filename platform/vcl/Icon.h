// The class library's icon picture: the icon file's data as it was read (shared by copies),
// and the icon handle made from its best image at the system's icon size.
#pragma once

#include <memory>
#include <vector>

#include "platform/vcl/Graphics.h"

class TIcon : public TGraphic {
 public:
  TIcon();
  ~TIcon() override;
  TIcon(const TIcon&) = delete;
  TIcon& operator=(const TIcon&) = delete;

  // From a TIcon: its data shared, or a copy of its handle; from nil: empty.
  void Assign(TPersistent* Source) override;

  bool GetEmpty() override { return !FData && !FHandle; }
  // The handle's size (the system's icon size for an icon read from a file); 0 when empty.
  int GetWidth() override;
  int GetHeight() override;
  // An icon's size cannot be set: EInvalidGraphicOperation "Cannot change the size of an icon".
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  bool GetTransparent() override { return true; }

  // Made from the data on first need; EInvalidGraphic "Icon image is not valid" when no image
  // of it can be drawn. Setting takes ownership of the handle and drops the data.
  HICON GetHandle();
  void SetHandle(HICON Value);
  bool HandleAllocated() const { return FHandle != nullptr; }
  // Gives the handle up to the caller; the icon keeps its data.
  HICON ReleaseHandle();

  // Reads exactly one icon file (every image of its directory) from the stream's position;
  // EInvalidGraphic "Icon image is not valid" for damaged data, which leaves the icon as it was.
  void LoadFromStream(TStream* Stream) override;
  // The data as read, or a file of one image made from the handle; nothing when empty.
  void SaveToStream(TStream* Stream) override;
  // Clipboard data of the icon formats registered with the picture class: a global memory block
  // holding an icon file (the block may be longer). Read as LoadFromStream reads; a missing or
  // empty block raises EInvalidGraphic "Icon image is not valid".
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) override;

  std::unique_ptr<TGraphic> NewGraphic() const override;

 protected:
  // Stretched into Rect.
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void Reset(std::shared_ptr<const std::vector<std::byte>> Data, HICON Handle);
  SIZE HandleSize();

  std::shared_ptr<const std::vector<std::byte>> FData;
  HICON FHandle = nullptr;
  SIZE FSize{0, 0};
};
