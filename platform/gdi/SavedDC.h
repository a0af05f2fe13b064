// A device context's state (objects, colours, clipping, origins) kept for the length of a scope
// and given back however the scope ends.
#pragma once

#include "platform/gdi/Gdi.h"

namespace gdi {

class SavedDC {
 public:
  explicit SavedDC(HDC dc) : dc_(dc), saved_(SaveDC(dc)) {}
  ~SavedDC() { RestoreDC(dc_, saved_); }
  SavedDC(const SavedDC&) = delete;
  SavedDC& operator=(const SavedDC&) = delete;

 private:
  HDC dc_;
  int saved_;
};

}  // namespace gdi
