// One input of the mutation run over the GIF reader and its lazy decoder: read with and
// without tolerance of damaged rasters, every frame decoded, the image written and read again.
// Every failure must come as one of the class library's exceptions.
#include <cstddef>
#include <cstdint>

#include "imaging/QmGIF.h"

namespace {

std::unique_ptr<TMemoryStream> StreamOf(const void* data, std::size_t size) {
  auto stream = std::make_unique<TMemoryStream>();
  stream->WriteBuffer(data, static_cast<int>(size));
  stream->SetPosition(0);
  return stream;
}

void ReadDecodeWrite(const std::uint8_t* data, std::size_t size, bool tolerant) {
  GIFLoadCorrupted = tolerant;
  TGIFImage image;
  try {
    image.LoadFromStream(StreamOf(data, size).get());
  } catch (const Exception&) {
  }
  for (int i = 0; i < image.GetCount(); ++i) {
    try {
      TGIFFrame* frame = image.GetFrames(i);
      frame->GetBitmap();
      frame->GetWidth();
      frame->GetColorCount();
    } catch (const Exception&) {
    }
  }
  image.GetPixelFormat();
  image.GetCorrupted();
  if (!tolerant) return;
  try {
    TMemoryStream written;
    image.SaveToStream(&written);
    written.SetPosition(0);
    TGIFImage back;
    back.LoadFromStream(&written);
  } catch (const Exception&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ReadDecodeWrite(data, size, true);
  ReadDecodeWrite(data, size, false);
  GIFLoadCorrupted = true;
  return 0;
}
