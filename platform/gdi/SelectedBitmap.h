// A memory device context holding one bitmap for the length of a scope: the usual way of the
// drawing calls into a bitmap; the previous selection goes back and the context is deleted.
#pragma once

#include "platform/gdi/Gdi.h"

namespace gdi {

class SelectedBitmap {
 public:
  // `compatibleWith` null: compatible with the screen. get() is null when no context was had.
  explicit SelectedBitmap(HBITMAP bitmap, HDC compatibleWith = nullptr)
      : dc_(CreateCompatibleDC(compatibleWith)), previous_(SelectObject(dc_, bitmap)) {}
  ~SelectedBitmap() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  SelectedBitmap(const SelectedBitmap&) = delete;
  SelectedBitmap& operator=(const SelectedBitmap&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace gdi
