// One input for the animated-cursor reader: read as a file; a cursor it takes must draw, copy
// into an icon list and another image, and (when its strip stays small) make its bitmap strip,
// side by side and reduced. Only the read and resource errors may come out of any of it.
#include <cstddef>
#include <cstdint>

#include "imaging/AniFile.h"
#include "imaging/IcoList.h"

namespace {

void UseImage(TAnimatedCursorImage& image) {
  TBitmap canvas;
  canvas.SetSize(64, 64);
  image.Draw(canvas.GetCanvas(), Rect(0, 0, 64, 64));
  TIconList list;
  list.Assign(&image);
  TAnimatedCursorImage copy;
  copy.Assign(&image);
  TIcon* first = image.GetIcon(0);
  if (std::int64_t{first->GetWidth()} * first->GetHeight() * image.GetIconCount() > (1 << 18)) return;
  TBitmap strip;
  image.AssignToBitmap(&strip, clWhite, true, image.GetIconCount() % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > (1u << 20)) return 0;
  TMemoryStream stream;
  stream.WriteBuffer(data, static_cast<int>(size));
  stream.SetPosition(0);
  TAnimatedCursorImage image;
  try {
    image.LoadFromStream(&stream);
    if (image.GetIconCount() > 0) UseImage(image);  // no bytes leave the image empty
  } catch (const EReadError&) {
  } catch (const EInvalidGraphic&) {
  } catch (const EOutOfMemory&) {
  }
  return 0;
}
