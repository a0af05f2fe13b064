// Writer of 8-bit BMP files with a colour table, stored plain or run-length encoded (RLE8):
// file header, 40-byte info header, the palette as blue-green-red-0 quads, rows bottom-up.
#include "tools/art/BmpFile.h"

#include "tools/art/LittleEndian.h"

namespace art {
namespace {

void PlainRow(const std::uint8_t* row, int width, std::vector<std::uint8_t>& out) {
  out.insert(out.end(), row, row + width);
  const int pad = (4 - width % 4) % 4;  // rows end on 4-byte boundaries
  out.insert(out.end(), static_cast<std::size_t>(pad), std::uint8_t{0});
}

// One row in RLE8: repeated runs as (count, index); stretches of differing bytes of three or
// more in absolute mode (0, count, bytes, padded to an even length); then end of line.
void RleRow(const std::uint8_t* row, int width, std::vector<std::uint8_t>& out) {
  int x = 0;
  while (x < width) {
    int run = 1;
    while (x + run < width && run < 255 && row[x + run] == row[x]) ++run;
    if (run >= 2) {
      out.push_back(static_cast<std::uint8_t>(run));
      out.push_back(row[x]);
      x += run;
      continue;
    }
    // Gather literals until a run of two begins.
    int lit = 1;
    while (x + lit < width && lit < 255 && !(x + lit + 1 < width && row[x + lit] == row[x + lit + 1])) ++lit;
    if (lit < 3) {
      for (int i = 0; i < lit; ++i) {
        out.push_back(1);
        out.push_back(row[x + i]);
      }
    } else {
      out.push_back(0);
      out.push_back(static_cast<std::uint8_t>(lit));
      out.insert(out.end(), row + x, row + x + lit);
      if (lit % 2) out.push_back(0);
    }
    x += lit;
  }
}

}  // namespace

std::vector<std::uint8_t> EncodeBmp8(const IndexedImage& picture, BmpCompression compression) {
  const auto colours = static_cast<std::uint32_t>(picture.palette.size());
  const std::uint32_t dataOffset = 14 + 40 + 4 * colours;
  std::vector<std::uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  Put32(out, 0);  // file size, set below
  Put32(out, 0);
  Put32(out, dataOffset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(picture.width));
  Put32(out, static_cast<std::uint32_t>(picture.height));  // positive: bottom-up rows
  Put16(out, 1);
  Put16(out, 8);
  Put32(out, compression == BmpCompression::Rle8 ? 1 : 0);
  Put32(out, 0);  // image size, set below
  Put32(out, 2835);  // 72 dots per inch
  Put32(out, 2835);
  Put32(out, colours);
  Put32(out, colours);
  for (const Pixel8& p : picture.palette) {
    out.push_back(p.b);
    out.push_back(p.g);
    out.push_back(p.r);
    out.push_back(0);
  }
  std::vector<std::uint8_t> data;
  for (int y = picture.height - 1; y >= 0; --y) {
    const std::uint8_t* row = picture.index.data() + static_cast<std::size_t>(y) * picture.width;
    if (compression == BmpCompression::Rle8) {
      RleRow(row, picture.width, data);
      data.push_back(0);
      data.push_back(y == 0 ? 1 : 0);  // end of line, or end of bitmap after the top row
    } else {
      PlainRow(row, picture.width, data);
    }
  }
  out.insert(out.end(), data.begin(), data.end());
  Set32(out, 2, static_cast<std::uint32_t>(out.size()));
  Set32(out, 34, static_cast<std::uint32_t>(data.size()));
  return out;
}

}  // namespace art
