// One input for the icon-file reader: read as an icon; an icon it takes must save and read
// back, and give a real-size handle that measures and draws.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "imaging/Clipicon.h"
#include "platform/user/Icons.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int>(size));
  stream.SetPosition(0);
  TIcon icon;
  try {
    icon.LoadFromStream(&stream);
  } catch (const EInvalidGraphic&) {
    return 0;
  } catch (const EOutOfMemory&) {
    return 0;
  }
  TMemoryStream saved;
  icon.SaveToStream(&saved);
  saved.SetPosition(0);
  TIcon again;
  try {
    again.LoadFromStream(&saved);  // what the reader wrote it must take again
  } catch (const Exception&) {
    std::abort();
  }
  try {
    HICON real = CreateRealSizeIcon(&icon);
    int width = 0, height = 0;
    GetIconSize(real, width, height);
    DestroyIcon(real);
    TBitmap canvas;
    canvas.SetSize(16, 16);
    DrawRealSizeIcon(canvas.GetCanvas(), &icon, 0, 0);
  } catch (const EInvalidGraphic&) {
  } catch (const EOutOfMemory&) {
  }
  return 0;
}
