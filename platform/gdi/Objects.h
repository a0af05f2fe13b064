// The objects behind the layer's handles (bitmaps, pens, brushes, fonts, palettes, regions,
// device contexts) and the table that hands handles out and resolves them, shared by all threads.
#pragma once

#include <memory>
#include <optional>
#include <vector>

#include "platform/gdi/Geometry.h"
#include "platform/gdi/GdiMemory.h"
#include "platform/gdi/ZeroedBytes.h"

namespace gdi {

enum class Kind { Pen = 1, Brush = 2, Dc = 3, Palette = 5, Font = 6, Bitmap = 7, Region = 8 };

struct Object {
  explicit Object(Kind k) : kind(k) {}
  virtual ~Object() = default;
  const Kind kind;
  void* handle = nullptr;  // given by the table
  bool stock = false;
};

// Pixels with their colour table: owned storage, or memory another layer owns.
struct BitmapObject : Object {
  static constexpr Kind kKind = Kind::Bitmap;
  BitmapObject() : Object(kKind) {}
  ZeroedBytes storage;
  std::vector<RGBQUAD> colors;
  PixelBuffer pixels;
  bool dibSection = false;
  std::byte* dibBits = nullptr;  // first row in memory order, as CreateDIBSection handed it out
  BITMAPINFOHEADER dibHeader{};

  // Points `pixels.palette` at `colors` again after the table was replaced.
  void syncPalette() { pixels.palette = colors; }
};

enum class Layout { BottomUp, TopDown, Device };

// A zero-filled bitmap; device bitmaps keep top-down rows padded to 2 bytes, device-independent
// ones rows padded to 4 bytes. Null for a size or depth the layer cannot hold.
std::shared_ptr<BitmapObject> MakeBitmap(int width, int height, int bitsPerPixel, Layout layout,
                                         std::vector<RGBQUAD> colors);

struct PenObject : Object {
  static constexpr Kind kKind = Kind::Pen;
  PenObject() : Object(kKind) {}
  int style = PS_SOLID;
  int width = 1;
  COLORREF color = 0;
};

// A brush tile in colours, kept apart from any bitmap; a monochrome tile holds 0 and 1.
struct BrushPattern {
  int width = 0;
  int height = 0;
  bool mono = false;
  std::vector<COLORREF> colors;
};

struct BrushObject : Object {
  static constexpr Kind kKind = Kind::Brush;
  BrushObject() : Object(kKind) {}
  bool null = false;
  COLORREF color = 0;
  std::optional<BrushPattern> pattern;
};

struct FontObject : Object {
  static constexpr Kind kKind = Kind::Font;
  FontObject() : Object(kKind) {}
  LOGFONTA font{};
};

struct PaletteObject : Object {
  static constexpr Kind kKind = Kind::Palette;
  PaletteObject() : Object(kKind) {}
  std::vector<PALETTEENTRY> entries;
};

// A rectangle, or the pixels a polygon covers by its fill rule (`rect` is then their bounds).
struct RegionObject : Object {
  static constexpr Kind kKind = Kind::Region;
  RegionObject() : Object(kKind) {}
  Rect rect;
  std::vector<Point> polygon;
  bool winding = false;
  bool rectangular() const { return polygon.empty(); }
  bool contains(int x, int y) const;
};

// The part of a device context that SaveDC keeps.
struct DcState {
  std::shared_ptr<BitmapObject> bitmap;
  std::shared_ptr<PenObject> pen;
  std::shared_ptr<BrushObject> brush;
  std::shared_ptr<FontObject> font;
  std::shared_ptr<PaletteObject> palette;
  COLORREF textColor = 0;
  COLORREF bkColor = 0xFFFFFF;
  int bkMode = OPAQUE;
  int polyFillMode = ALTERNATE;
  int stretchMode = BLACKONWHITE;
  int mix = R2_COPYPEN;
  POINT position{0, 0};  // logical
  std::optional<Rect> clip;  // device
  int mapMode = MM_TEXT;
  POINT windowOrg{0, 0};
  POINT viewportOrg{0, 0};
  SIZE windowExt{1, 1};
  SIZE viewportExt{1, 1};
};

struct DcObject : Object {
  static constexpr Kind kKind = Kind::Dc;
  enum class Device { Screen, Memory, Pixels };
  explicit DcObject(Device d) : Object(kKind), device(d) {}
  const Device device;
  DcState state;
  std::vector<DcState> saved;
};

// A new device context with the defaults: black pen, white brush, the system font.
std::shared_ptr<DcObject> MakeDc(DcObject::Device device);
// Gives a context back the defaults of a new one: objects, colours, modes, position, no clip,
// nothing saved. A memory context gets the shared 1x1 bitmap; the others keep their target.
void ResetDc(DcObject& dc);

// A new pen or brush. Drawing passes make and delete these every frame, so their memory is
// recycled rather than given back to the heap (as are the handle table's entries).
std::shared_ptr<PenObject> NewPen();
std::shared_ptr<BrushObject> NewBrush();

// Registers an object under a new handle and returns the handle.
void* AddObject(std::shared_ptr<Object> object);
std::shared_ptr<Object> FindObject(const void* handle);
// Removes an object's handle; the object lives on while a device context still holds it.
// Stock objects stay.
bool RemoveObject(const void* handle);
// The stock objects, made on first use; null for an index that names none.
std::shared_ptr<Object> StockObject(int index);

template <typename T>
std::shared_ptr<T> Find(const void* handle) {
  auto object = FindObject(handle);
  if (!object || object->kind != T::kKind) return nullptr;
  return std::static_pointer_cast<T>(object);
}

}  // namespace gdi
