// One input for the real-size icons' reading of icon data: an icon the class library's reader
// takes must give a real-size handle that measures and draws, or the icon error.
#include <cstddef>
#include <cstdint>

#include "imaging/Clipicon.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int>(size));
  stream.SetPosition(0);
  TIcon icon;
  try {
    icon.LoadFromStream(&stream);
    const RealSizeIcon real(CreateRealSizeIcon(&icon));
    int width = 0, height = 0;
    GetIconSize(real.get(), width, height);
    TBitmap canvas;
    canvas.SetSize(16, 16);
    DrawRealSizeIcon(canvas.GetCanvas(), &icon, 0, 0);
  } catch (const EInvalidGraphic&) {
  } catch (const EOutOfMemory&) {
  }
  return 0;
}
