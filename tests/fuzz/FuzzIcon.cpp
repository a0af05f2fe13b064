// One input for the icon-file reader: the class library's icon reads it from a stream, every
// image of its directory becomes a handle, the best one is drawn and written back as a file;
// the same bytes are read as a cursor file too, an animated one included.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Icon.h"

namespace {

void ReadAsIcon(std::span<const std::byte> data) {
  TMemoryStream stream;
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int>(data.size()));
  stream.SetPosition(0);
  TIcon icon;
  try {
    icon.LoadFromStream(&stream);
  } catch (const EInvalidGraphic&) {
    return;
  }
  TMemoryStream saved;
  icon.SaveToStream(&saved);
  const std::span<const std::byte> file(static_cast<const std::byte*>(saved.GetMemory()),
                                        static_cast<std::size_t>(saved.GetSize()));
  const auto directory = user::ReadIconFileDirectory(file);
  if (!directory) std::abort();  // what the icon took, its own reader must take again
  const std::size_t count = std::min<std::size_t>(directory->entries.size(), 16);
  for (std::size_t i = 0; i < count; ++i) DestroyIcon(user::CreateIconFromFileImage(file, *directory, static_cast<int>(i), 0, 0));
  HICON handle = nullptr;
  try {
    handle = icon.GetHandle();
  } catch (const EInvalidGraphic&) {
    return;  // no image it can draw
  }
  TBitmap canvas;
  canvas.SetPixelFormat(pf24bit);
  canvas.SetSize(32, 32);
  canvas.GetCanvas()->Draw(0, 0, &icon);
  TIcon copy;
  copy.SetHandle(CopyIcon(handle));
  TMemoryStream written;
  copy.SaveToStream(&written);
  written.SetPosition(0);
  TIcon again;
  try {
    again.LoadFromStream(&written);
  } catch (const EInvalidGraphic&) {
    std::abort();  // a file the writer made must read back
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::byte> bytes(reinterpret_cast<const std::byte*>(data), size);
  ReadAsIcon(bytes);
  DestroyCursor(user::CursorFromFileData(bytes));
  return 0;
}
