// TIcon: the icon file's bytes kept as read, the handle made from them when first needed.
#include "platform/vcl/Icon.h"

#include "platform/gdi/GdiMemory.h"
#include "platform/user/IconFile.h"
#include "platform/user/Icons.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/IconCodec.h"
#include "platform/win32/GlobalMemory.h"

TIcon::TIcon() = default;

TIcon::~TIcon() { DestroyIcon(FHandle); }

void TIcon::Reset(std::shared_ptr<const std::vector<std::byte>> Data, HICON Handle) {
  if (FHandle && FHandle != Handle) DestroyIcon(FHandle);
  FData = std::move(Data);
  FHandle = Handle;
  FSize = {0, 0};
  Changed(this);
}

void TIcon::Assign(TPersistent* Source) {
  if (Source == this) return;
  if (Source == nullptr) return Reset(nullptr, nullptr);
  auto* icon = dynamic_cast<TIcon*>(Source);
  if (icon == nullptr) return TGraphic::Assign(Source);
  Reset(icon->FData, icon->FData || !icon->FHandle ? nullptr : CopyIcon(icon->FHandle));
}

SIZE TIcon::HandleSize() {
  if (GetEmpty()) return {0, 0};
  if (FSize.cx == 0) {
    ICONINFO info{};
    if (GetIconInfo(GetHandle(), &info)) {
      const gdi::PixelBuffer mask = gdi::PixelsOf(info.hbmMask);
      FSize = {mask.width, info.hbmColor ? mask.height : mask.height / 2};
      DeleteObject(info.hbmMask);
      DeleteObject(info.hbmColor);
    }
  }
  return FSize;
}

int TIcon::GetWidth() { return HandleSize().cx; }
int TIcon::GetHeight() { return HandleSize().cy; }

void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

HICON TIcon::GetHandle() {
  if (!FHandle && FData) {
    FHandle = user::CreateIconFromFile(*FData, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    if (!FHandle) throw EInvalidGraphic("Icon image is not valid");
  }
  return FHandle;
}

void TIcon::SetHandle(HICON Value) {
  if (Value == FHandle) return;
  Reset(nullptr, Value);
}

HICON TIcon::ReleaseHandle() {
  HICON handle = GetHandle();
  FHandle = nullptr;
  if (!FData) FSize = {0, 0};
  return handle;
}

void TIcon::LoadFromStream(TStream* Stream) {
  auto data = std::make_shared<const std::vector<std::byte>>(vcl::ico::Read(Stream));
  Reset(std::move(data), nullptr);
}

void TIcon::SaveToStream(TStream* Stream) {
  if (FData) return Stream->WriteBuffer(FData->data(), static_cast<int>(FData->size()));
  if (!FHandle) return;
  const std::vector<std::byte> data = vcl::ico::Write(FHandle);
  Stream->WriteBuffer(data.data(), static_cast<int>(data.size()));
}

void TIcon::LoadFromClipboardFormat(WORD, HANDLE AData, HPALETTE) {
  const void* memory = AData ? GlobalLock(AData) : nullptr;
  if (memory == nullptr) throw EInvalidGraphic("Icon image is not valid");
  TMemoryStream stream;
  try {
    stream.WriteBuffer(memory, static_cast<int>(GlobalSize(AData)));
  } catch (...) {
    GlobalUnlock(AData);
    throw;
  }
  GlobalUnlock(AData);
  stream.SetPosition(0);
  LoadFromStream(&stream);
}

std::unique_ptr<TGraphic> TIcon::NewGraphic() const { return std::make_unique<TIcon>(); }

void TIcon::Draw(TCanvas* ACanvas, const TRect& Rect) {
  DrawIconEx(ACanvas->GetHandle(), Rect.left, Rect.top, GetHandle(), Rect.Width(), Rect.Height(), 0, nullptr,
             DI_NORMAL);
}
