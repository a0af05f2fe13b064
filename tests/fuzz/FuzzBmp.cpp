// One input for the BMP reader: read as a file and as a BITMAP resource (the file without its
// 14-byte header). A picture the reader takes must write out and read back (pictures of up to
// a million pixels, so the runs stay quick), and a small one must convert to the pixel format
// and reduction the input's last bytes choose and read back too.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/QmGraph.h"
#include "platform/win32/Resources.h"

namespace {

// The reader must take again what it wrote; anything else is a fault to stop at.
void ReadBack(TMemoryStream& stream) {
  TBitmap again;
  stream.SetPosition(0);
  try {
    again.LoadFromStream(&stream);
  } catch (const Exception&) {
    std::abort();
  }
}

void Convert(TBitmap& bitmap, const std::uint8_t* data, std::size_t size) {
  if (std::int64_t{bitmap.GetWidth()} * bitmap.GetHeight() > 4096 || size < 2) return;
  constexpr TPixelFormat kFormats[] = {pf1bit, pf4bit, pf8bit, pf24bit};
  const auto format = kFormats[data[size - 1] % 4];
  const auto method = static_cast<TMappingMethod>(data[size - 2] % 6);
  ReadBack(*BitmapToMemoryStream(&bitmap, format, method));
}

void ReadFile(const std::uint8_t* data, std::size_t size) {
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int>(size));
  stream.SetPosition(0);
  TBitmap bitmap;
  try {
    bitmap.LoadFromStream(&stream);
  } catch (const EInvalidGraphic&) {
    return;
  } catch (const EOutOfMemory&) {
    return;
  }
  if (bitmap.GetEmpty() || std::int64_t{bitmap.GetWidth()} * bitmap.GetHeight() > (1 << 20)) return;
  TMemoryStream out;
  bitmap.SaveToStream(&out);
  ReadBack(out);
  Convert(bitmap, data, size);
}

void ReadResource(const std::uint8_t* data, std::size_t size) {
  if (size < 14) return;
  win32::RegisterResource("FUZZ_BMP", RT_BITMAP, data + 14, size - 14);
  TBitmap bitmap;
  try {
    bitmap.LoadFromResourceName(nullptr, "FUZZ_BMP");
  } catch (const EInvalidGraphic&) {
  } catch (const EOutOfMemory&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  ReadFile(data, size);
  ReadResource(data, size);
  return 0;
}
