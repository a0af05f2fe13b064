// Run-length encoded device-independent bits (BI_RLE8 and BI_RLE4): rows of 8- or 4-bit
// palette indices, bottom row first, in runs, literal stretches, skips and line ends.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

#include "platform/gdi/FunctionRef.h"

namespace gdi {

// Decodes `data` into `height` rows of `width` indices at `bitsPerPixel` (8 or 4), each row
// reached through `row(y)`, y = 0 being the bottom row; the rows are zero-filled first, so the
// pixels a skip or a line end passes over keep index 0. A run that passes the end of its row is
// cut there. False for damaged data: a run above the top row, a skip past the row or the image,
// or data that ends before the last row.
bool DecodeRle(std::span<const std::byte> data, int bitsPerPixel, int width, int height,
               FunctionRef<std::byte*(int y)> row);

// The run-length data of `height` rows of `width` indices at `bitsPerPixel` (8 or 4), row(y)
// giving row y from the bottom: runs of equal pixels, literal stretches of three or more, a line
// end after every row, then the end of the bitmap.
std::vector<std::byte> EncodeRle(int bitsPerPixel, int width, int height, FunctionRef<const std::byte*(int y)> row);

}  // namespace gdi
