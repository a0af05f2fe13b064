// Sets the desktop's depth, which the screen's device context reports, for one scope.
#pragma once

#include "platform/gdi/GdiMemory.h"

class DesktopDepth {
 public:
  explicit DesktopDepth(int bits) : saved_(gdi::GetDesktopMode()) { gdi::SetDesktopMode({1024, 768, bits}); }
  ~DesktopDepth() { gdi::SetDesktopMode(saved_); }
  DesktopDepth(const DesktopDepth&) = delete;
  DesktopDepth& operator=(const DesktopDepth&) = delete;

 private:
  gdi::DesktopMode saved_;
};
