// The transfer engine: axis maps decide clipping and sampling once, a converter chosen once per
// transfer brings source values into the destination's format, and rows are combined in place.
#include "platform/gdi/Blit.h"

#include <algorithm>
#include <cstring>

namespace gdi {
namespace {

// Destination coordinates first .. first + source.size() - 1 and the source index of each.
struct AxisMap {
  int first = 0;
  std::vector<int> source;
  // Ascending 1:1. The map is monotonic, so a first step of one is not enough (a slight
  // enlargement starts 0, 1, 2, 2, ...): the whole span must be one per pixel too.
  bool unitStep() const {
    return source.size() < 2 ||
           (source[1] == source[0] + 1 && source.back() - source.front() == static_cast<int>(source.size()) - 1);
  }
};

AxisMap MapAxis(int d, int dw, int s, int sw, int clipLo, int clipHi, int sourceLimit) {
  const long long n = std::llabs(static_cast<long long>(dw)), m = std::llabs(static_cast<long long>(sw));
  const long long d0 = dw < 0 ? static_cast<long long>(d) + dw : d;
  const long long s0 = sw < 0 ? static_cast<long long>(s) + sw : s;
  const bool mirror = (dw < 0) != (sw < 0);
  const long long lo = std::max<long long>(d0, clipLo), hi = std::min<long long>(d0 + n, clipHi);
  AxisMap map;
  if (n == 0 || m == 0 || lo >= hi) return map;
  for (long long c = lo; c < hi; ++c) {
    long long t = c - d0;
    if (mirror) t = n - 1 - t;
    // Centre of the destination pixel mapped into the source.
    const long long sample = s0 + (2 * t + 1) * m / (2 * n);
    if (sample < 0 || sample >= sourceLimit) {
      if (!map.source.empty()) break;  // the map is monotonic: nothing further is inside
      continue;
    }
    if (map.source.empty()) map.first = static_cast<int>(c);
    map.source.push_back(static_cast<int>(sample));
  }
  return map;
}

// Brings rows of source values into the destination's values.
class Converter {
 public:
  Converter(const PixelBuffer& src, const PixelBuffer& dst, const MonoRule& mono)
      : srcCoder_(src), dstCoder_(dst) {
    const FormatOps& s = srcCoder_.ops();
    const FormatOps& d = dstCoder_.ops();
    const bool srcMono = s.bitsPerPixel == 1, dstMono = d.bitsPerPixel == 1;
    if (!mono.byColor && srcMono) {
      mode_ = dstMono ? Mode::Same : Mode::Table;
      table_ = {dstCoder_.encode(mono.text), dstCoder_.encode(mono.background)};
    } else if (!mono.byColor && dstMono) {
      const Pixel bk = srcCoder_.encode(mono.background);
      if (s.indexed) {
        mode_ = Mode::Table;
        const COLORREF bkColor = srcCoder_.decode(bk);
        for (Pixel i = 0; i < (1u << s.bitsPerPixel); ++i) table_.push_back(srcCoder_.decode(i) == bkColor ? 1 : 0);
      } else {
        mode_ = Mode::ToMono;
        background_ = bk;
      }
    } else if (s.indexed) {
      const bool sameTable = s.bitsPerPixel == d.bitsPerPixel && std::equal(
          srcCoder_.table().begin(), srcCoder_.table().end(), dstCoder_.table().begin(), dstCoder_.table().end(),
          [](const RGBQUAD& a, const RGBQUAD& b) { return ColorOf(a) == ColorOf(b); });
      mode_ = sameTable ? Mode::Same : Mode::Table;
      for (Pixel i = 0; !sameTable && i < (1u << s.bitsPerPixel); ++i)
        table_.push_back(dstCoder_.encode(srcCoder_.decode(i)));
    } else {
      // 24 and 32 bits hold the same 0x00RRGGBB value: a 3-byte pixel reads with no unused
      // byte, and writes none.
      const auto rgb = [](const FormatOps& f) { return f.bitsPerPixel == 24 || f.bitsPerPixel == 32; };
      mode_ = &s == &d || (rgb(s) && rgb(d)) ? Mode::Same : Mode::Colors;
    }
  }
  bool identity() const { return mode_ == Mode::Same; }
  void apply(Pixel* v, int n) {
    switch (mode_) {
      case Mode::Same: break;
      case Mode::Table:
        for (int i = 0; i < n; ++i) v[i] = table_[v[i]];
        break;
      case Mode::ToMono:
        for (int i = 0; i < n; ++i) v[i] = v[i] == background_ ? 1 : 0;
        break;
      case Mode::Colors:
        srcCoder_.decodeRow(v, n);
        dstCoder_.encodeRow(v, n);
        break;
    }
  }

 private:
  enum class Mode { Same, Table, ToMono, Colors };
  ColorCoder srcCoder_, dstCoder_;
  Mode mode_ = Mode::Same;
  std::vector<Pixel> table_;
  Pixel background_ = 0;
};

std::byte* RowOf(const PixelBuffer& p, int y) { return p.bits + static_cast<std::ptrdiff_t>(y) * p.pitch; }

// Whole pixels of `Bytes` bytes from the sampled columns of a row, in order.
template <std::size_t Bytes>
void GatherPixels(std::byte* out, const std::byte* in, const std::vector<int>& columns) {
  for (const int c : columns) {
    std::memcpy(out, in + static_cast<std::size_t>(c) * Bytes, Bytes);
    out += Bytes;
  }
}
using GatherRoutine = void (*)(std::byte*, const std::byte*, const std::vector<int>&);
constexpr GatherRoutine kGather[] = {&GatherPixels<1>, &GatherPixels<2>, &GatherPixels<3>, &GatherPixels<4>};

// The address range a buffer's rows occupy.
std::pair<const std::byte*, const std::byte*> Extent(const PixelBuffer& p) {
  const std::byte* first = RowOf(p, 0);
  const std::byte* last = RowOf(p, p.height - 1);
  const auto rowBytes = static_cast<std::ptrdiff_t>(RowBytes(p.width, p.bitsPerPixel, 1));
  return {std::min(first, last), std::max(first, last) + rowBytes};
}

bool Overlaps(const PixelBuffer& a, const PixelBuffer& b) {
  const auto [a0, a1] = Extent(a);
  const auto [b0, b1] = Extent(b);
  return a0 < b1 && b0 < a1;
}

// Rows top .. bottom - 1 of a buffer copied out, so a transfer within one buffer reads what
// was there before it began; the copy's row 0 is row `top`.
struct Snapshot {
  std::vector<std::byte> bytes;
  PixelBuffer view;
  int top = 0;
};
void TakeSnapshot(const PixelBuffer& p, int top, int bottom, Snapshot& s) {
  const auto rowBytes = static_cast<std::size_t>(RowBytes(p.width, p.bitsPerPixel, 1));
  s.bytes.resize(rowBytes * static_cast<std::size_t>(bottom - top));
  for (int y = top; y < bottom; ++y) std::memcpy(s.bytes.data() + rowBytes * (y - top), RowOf(p, y), rowBytes);
  s.view = p;
  s.view.bits = s.bytes.data();
  s.view.height = bottom - top;
  s.view.pitch = static_cast<int>(rowBytes);
  s.top = top;
}

}  // namespace

void Blit(const PixelBuffer& dst, const Rect& clip, const BlitArea& to, const PixelBuffer* src,
          const BlitArea& from, RopCode rop, const Ink& pattern, const MonoRule& mono) {
  const FormatOps* dops = FindFormat(dst);
  if (!dst.bits || !dops) return;
  if (!RopUsesSource(rop)) src = nullptr;
  if (src && (!src->bits || !FindFormat(*src))) return;
  const Rect c = clip.intersected({0, 0, dst.width, dst.height});
  // Without a source the destination maps onto itself, which only clips.
  const BlitArea& sampled = src ? from : to;
  const AxisMap xs = MapAxis(to.x, to.width, sampled.x, sampled.width, c.left, c.right, src ? src->width : c.right);
  const AxisMap ys = MapAxis(to.y, to.height, sampled.y, sampled.height, c.top, c.bottom, src ? src->height : c.bottom);
  if (xs.source.empty() || ys.source.empty()) return;
  const int n = static_cast<int>(xs.source.size());
  const int x0 = xs.first;

  Snapshot snapshot;
  if (src && Overlaps(*src, dst)) {
    const auto [lo, hi] = std::minmax_element(ys.source.begin(), ys.source.end());
    TakeSnapshot(*src, *lo, *hi + 1, snapshot);
    src = &snapshot.view;
  }

  std::vector<Pixel> s(src ? n : 0), p, d(static_cast<std::size_t>(n));
  std::optional<Converter> convert;
  const auto [sxMin, sxMax] = std::minmax_element(xs.source.begin(), xs.source.end());
  std::vector<Pixel> sourceRow;
  const FormatOps* sops = src ? FindFormat(*src) : nullptr;
  if (src) {
    convert.emplace(*src, dst, mono);
    if (!xs.unitStep()) sourceRow.resize(static_cast<std::size_t>(*sxMax - *sxMin + 1));
  }
  // A copy between buffers of one byte-sized format moves whole pixels: a row at once when the
  // columns step by one, else the sampled ones; a row that samples the same source row as the
  // one before it is that row again.
  const bool moveBytes = src && rop == kRopSrcCopy && convert->identity() && dops->bitsPerPixel >= 8 &&
                         dops->bitsPerPixel == sops->bitsPerPixel;
  const bool copyBytes = moveBytes && xs.unitStep();
  const std::size_t bpp = static_cast<std::size_t>(dops->bitsPerPixel / 8);
  const bool constant = !src && !pattern.pattern && !RopUsesDest(rop);
  const Pixel constantValue = ApplyRop(rop, pattern.solid, 0, 0) & dops->mask;
  if (RopUsesPattern(rop)) p.assign(static_cast<std::size_t>(n), pattern.solid);

  for (std::size_t row = 0; row < ys.source.size(); ++row) {
    const int y = ys.first + static_cast<int>(row);
    std::byte* out = RowOf(dst, y);
    if (constant) {
      dops->fill(out, x0, n, constantValue);
      continue;
    }
    if (src) {
      const std::byte* in = RowOf(*src, ys.source[row] - snapshot.top);
      if (moveBytes && row > 0 && ys.source[row] == ys.source[row - 1]) {
        std::memcpy(out + x0 * bpp, RowOf(dst, y - 1) + x0 * bpp, static_cast<std::size_t>(n) * bpp);
        continue;
      }
      if (copyBytes) {
        std::memmove(out + x0 * bpp, in + static_cast<std::size_t>(*sxMin) * bpp, static_cast<std::size_t>(n) * bpp);
        continue;
      }
      if (moveBytes) {
        kGather[bpp - 1](out + x0 * bpp, in, xs.source);
        continue;
      }
      if (xs.unitStep()) {
        sops->read(in, *sxMin, n, s.data());
      } else {
        sops->read(in, *sxMin, static_cast<int>(sourceRow.size()), sourceRow.data());
        for (int i = 0; i < n; ++i) s[i] = sourceRow[xs.source[i] - *sxMin];
      }
      convert->apply(s.data(), n);
      if (rop == kRopSrcCopy) {
        dops->write(out, x0, n, s.data());
        continue;
      }
    }
    if (RopUsesDest(rop)) dops->read(out, x0, n, d.data());
    if (pattern.pattern && !p.empty()) pattern.pattern->fillRow(x0, y, n, p.data());
    CombineRow(rop, p.empty() ? nullptr : p.data(), src ? s.data() : nullptr, d.data(), n, dops->mask);
    dops->write(out, x0, n, d.data());
  }
}

}  // namespace gdi
