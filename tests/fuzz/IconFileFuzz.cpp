// The icon-file reader under mutation: the class library's icon reads a file from a stream,
// every image of its directory becomes a handle, and the best one is drawn and written back.
#include <algorithm>

#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/IconCodec.h"
#include "tests/fuzz/FuzzDriver.h"
#include "tests/support/IconFiles.h"

namespace {

void ReadIconFile(std::span<const std::byte> data) {
  TMemoryStream stream;
  if (!data.empty()) stream.WriteBuffer(data.data(), static_cast<int>(data.size()));
  stream.SetPosition(0);
  TIcon icon;
  try {
    icon.LoadFromStream(&stream);
  } catch (const Exception&) {
    return;
  }
  TMemoryStream saved;
  icon.SaveToStream(&saved);
  const std::span<const std::byte> file(static_cast<const std::byte*>(saved.GetMemory()),
                                        static_cast<std::size_t>(saved.GetSize()));
  if (const auto directory = user::ReadIconFileDirectory(file)) {
    const std::size_t count = std::min<std::size_t>(directory->entries.size(), 16);
    for (std::size_t i = 0; i < count; ++i) {
      HICON each = user::CreateIconFromFileImage(file, *directory, static_cast<int>(i), 0, 0);
      DestroyIcon(each);
    }
  }
  try {
    TBitmap canvas;
    canvas.SetPixelFormat(pf24bit);
    canvas.SetSize(32, 32);
    canvas.GetCanvas()->Draw(0, 0, &icon);
    TMemoryStream written;
    TIcon copy;
    copy.SetHandle(CopyIcon(icon.GetHandle()));
    copy.SaveToStream(&written);
  } catch (const Exception&) {
  }
}

std::vector<fuzz::Input> Seeds() {
  using iconfiles::File;
  using iconfiles::Square;
  return {
      File(1, {{Square(16, 'R'), 1}, {Square(16, 'G'), 4}, {Square(32, 'B'), 8}}),
      File(1, {{Square(24, 'Y'), 24}, {Square(32, 'W'), 32}}),
      File(2, {{Square(32, 'K'), 1, {6, 16}}}),
      File(1, {{Square(48, 'R'), 32, {0, 0}, true}, {{"RG", "B."}, 8}}),
  };
}

}  // namespace

int main(int argc, char* argv[]) { return fuzz::Run(argc, argv, ReadIconFile, Seeds()); }
