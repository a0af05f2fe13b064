// The handle table and the stock objects. Handles are numbers that never repeat, so a stale
// handle finds nothing instead of somebody else's object.
#include "platform/gdi/Objects.h"

#include <array>
#include <mutex>
#include <new>
#include <unordered_map>

#include "platform/gdi/PixelFormat.h"
#include "platform/gdi/Shapes.h"

namespace gdi {
namespace {

constexpr long long kMaxBitmapBytes = 1LL << 30;

// Blocks of one size that freed objects leave for the next object of their kind. Never given
// back, so a pool keeps at most the most blocks ever in use at once; shared by all threads.
template <std::size_t Size>
class BlockPool {
 public:
  static_assert(Size >= sizeof(void*));
  static BlockPool& Get() {
    static auto* pool = new BlockPool;  // never destroyed: objects die during static destruction too
    return *pool;
  }
  void* take() {
    {
      std::lock_guard lock(mutex_);
      if (Free* block = free_) {
        free_ = block->next;
        return block;
      }
    }
    return ::operator new(Size);
  }
  void give(void* block) {
    std::lock_guard lock(mutex_);
    free_ = new (block) Free{free_};
  }

 private:
  struct Free {
    Free* next;
  };
  std::mutex mutex_;
  Free* free_ = nullptr;
};

// An allocator that takes single objects from the pool of their size, arrays from the heap.
template <class T>
struct Recycling {
  using value_type = T;
  static_assert(alignof(T) <= __STDCPP_DEFAULT_NEW_ALIGNMENT__);
  Recycling() = default;
  template <class U>
  Recycling(const Recycling<U>&) noexcept {}
  T* allocate(std::size_t n) {
    return n == 1 ? static_cast<T*>(BlockPool<sizeof(T)>::Get().take()) : std::allocator<T>().allocate(n);
  }
  void deallocate(T* p, std::size_t n) noexcept {
    if (n == 1) {
      BlockPool<sizeof(T)>::Get().give(p);
    } else {
      std::allocator<T>().deallocate(p, n);
    }
  }
  template <class U>
  bool operator==(const Recycling<U>&) const noexcept {
    return true;
  }
};

class HandleTable {
 public:
  void* add(std::shared_ptr<Object> object) {
    std::lock_guard lock(mutex_);
    next_ += 8;
    void* handle = reinterpret_cast<void*>(next_);
    object->handle = handle;
    objects_.emplace(next_, std::move(object));
    return handle;
  }
  std::shared_ptr<Object> find(const void* handle) {
    std::lock_guard lock(mutex_);
    const auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
    return it == objects_.end() ? nullptr : it->second;
  }
  std::shared_ptr<Object> remove(const void* handle) {
    std::shared_ptr<Object> removed;  // released after the lock
    std::lock_guard lock(mutex_);
    const auto it = objects_.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == objects_.end() || it->second->stock) return nullptr;
    removed = std::move(it->second);
    objects_.erase(it);
    return removed;
  }

 private:
  std::mutex mutex_;
  std::uintptr_t next_ = 0x10000;
  using Entry = std::pair<const std::uintptr_t, std::shared_ptr<Object>>;
  std::unordered_map<std::uintptr_t, std::shared_ptr<Object>, std::hash<std::uintptr_t>, std::equal_to<std::uintptr_t>,
                     Recycling<Entry>>
      objects_;
};

HandleTable& Table() {
  static HandleTable table;
  return table;
}

template <typename T>
std::shared_ptr<T> Stock(std::shared_ptr<T> object) {
  object->stock = true;
  AddObject(object);
  return object;
}

std::shared_ptr<BrushObject> StockBrush(COLORREF color, bool null) {
  auto b = std::make_shared<BrushObject>();
  b->color = color;
  b->null = null;
  return Stock(b);
}

std::shared_ptr<PenObject> StockPen(COLORREF color, int style) {
  auto p = std::make_shared<PenObject>();
  p->color = color;
  p->style = style;
  return Stock(p);
}

std::shared_ptr<FontObject> StockFont() {
  auto f = std::make_shared<FontObject>();
  f->font.lfHeight = 16;
  f->font.lfWeight = FW_NORMAL;
  return Stock(f);
}

// The platform's twenty reserved colours.
std::shared_ptr<PaletteObject> StockPalette() {
  static constexpr std::array<COLORREF, 20> kColors = {
      RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
      RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
      RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
      RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};
  auto p = std::make_shared<PaletteObject>();
  for (COLORREF c : kColors) p->entries.push_back({GetRValue(c), GetGValue(c), GetBValue(c), 0});
  return Stock(p);
}

struct StockObjects {
  std::array<std::shared_ptr<Object>, DEFAULT_PALETTE + 1> byIndex;
  std::shared_ptr<BitmapObject> bitmap;
  StockObjects() {
    byIndex[WHITE_BRUSH] = StockBrush(RGB(255, 255, 255), false);
    byIndex[LTGRAY_BRUSH] = StockBrush(RGB(192, 192, 192), false);
    byIndex[GRAY_BRUSH] = StockBrush(RGB(128, 128, 128), false);
    byIndex[DKGRAY_BRUSH] = StockBrush(RGB(64, 64, 64), false);
    byIndex[BLACK_BRUSH] = StockBrush(RGB(0, 0, 0), false);
    byIndex[NULL_BRUSH] = StockBrush(0, true);
    byIndex[WHITE_PEN] = StockPen(RGB(255, 255, 255), PS_SOLID);
    byIndex[BLACK_PEN] = StockPen(RGB(0, 0, 0), PS_SOLID);
    byIndex[NULL_PEN] = StockPen(0, PS_NULL);
    byIndex[SYSTEM_FONT] = StockFont();
    byIndex[DEFAULT_PALETTE] = StockPalette();
    bitmap = Stock(MakeBitmap(1, 1, 1, Layout::Device, {}));
  }
};

StockObjects& Stocks() {
  static StockObjects stocks;
  return stocks;
}

}  // namespace

bool RegionObject::contains(int x, int y) const {
  if (!rect.contains(x, y)) return false;
  if (rectangular()) return true;
  bool inside = false;
  ForEachPolygonSpan(polygon, winding, {x, y, x + 1, y + 1}, [&](int, int x0, int x1) { inside |= x >= x0 && x < x1; });
  return inside;
}

std::shared_ptr<BitmapObject> MakeBitmap(int width, int height, int bitsPerPixel, Layout layout,
                                         std::vector<RGBQUAD> colors) {
  const FormatOps* ops = FindFormat(bitsPerPixel);
  if (!ops || width <= 0 || height <= 0) return nullptr;
  const long long stride = RowBytes(width, bitsPerPixel, layout == Layout::Device ? 2 : 4);
  if (stride * height > kMaxBitmapBytes || stride > INT32_MAX) return nullptr;
  auto bmp = std::make_shared<BitmapObject>();
  bmp->storage = ZeroedBytes(static_cast<std::size_t>(stride * height));
  bmp->colors = std::move(colors);
  if (ops->indexed && bmp->colors.empty()) {
    const auto defaults = DefaultColorTable(bitsPerPixel);
    bmp->colors.assign(defaults.begin(), defaults.end());
  }
  if (!ops->indexed) bmp->colors.clear();
  auto& px = bmp->pixels;
  px.width = width;
  px.height = height;
  px.bitsPerPixel = bitsPerPixel;
  px.pitch = static_cast<int>(stride);
  px.bits = bmp->storage.data();
  if (layout == Layout::BottomUp) {
    px.bits += stride * (height - 1);
    px.pitch = -px.pitch;
  }
  bmp->syncPalette();
  return bmp;
}

std::shared_ptr<DcObject> MakeDc(DcObject::Device device) {
  auto dc = std::make_shared<DcObject>(device);
  ResetDc(*dc);
  return dc;
}

void ResetDc(DcObject& dc) {
  auto bitmap = dc.device == DcObject::Device::Memory ? Stocks().bitmap  // 1x1, monochrome
                                                      : std::move(dc.state.bitmap);
  dc.state = DcState{};
  dc.state.bitmap = std::move(bitmap);
  dc.state.pen = std::static_pointer_cast<PenObject>(StockObject(BLACK_PEN));
  dc.state.brush = std::static_pointer_cast<BrushObject>(StockObject(WHITE_BRUSH));
  dc.state.font = std::static_pointer_cast<FontObject>(StockObject(SYSTEM_FONT));
  dc.state.palette = std::static_pointer_cast<PaletteObject>(StockObject(DEFAULT_PALETTE));
  dc.saved.clear();  // keeps its room, so the next SaveDC allocates nothing
}

std::shared_ptr<PenObject> NewPen() { return std::allocate_shared<PenObject>(Recycling<PenObject>()); }

std::shared_ptr<BrushObject> NewBrush() { return std::allocate_shared<BrushObject>(Recycling<BrushObject>()); }

void* AddObject(std::shared_ptr<Object> object) { return Table().add(std::move(object)); }

std::shared_ptr<Object> FindObject(const void* handle) {
  if (!handle) return nullptr;
  Stocks();  // stock handles resolve before anyone asked for them by index
  return Table().find(handle);
}

bool RemoveObject(const void* handle) { return Table().remove(handle) != nullptr; }

std::shared_ptr<Object> StockObject(int index) {
  if (index < 0 || index > DEFAULT_PALETTE) return nullptr;
  return Stocks().byIndex[static_cast<std::size_t>(index)];
}

}  // namespace gdi
