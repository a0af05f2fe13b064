// The icon clipboard: a bitmap of the icon beside its file data under the format "Quillmont
// Icon", and the start-up registration of that format.
#include <memory>

#include "imaging/Clipicon.h"
#include "platform/user/Icons.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/win32/GlobalMemory.h"

WORD CF_ICON = 0;

namespace {

// A bitmap of the icon's real size with the icon drawn over BackColor.
std::unique_ptr<TBitmap> IconToBitmap(TIcon* Icon, TColor BackColor) {
  const RealSizeIcon icon(CreateRealSizeIcon(Icon));
  int width = 0, height = 0;
  GetIconSize(icon.get(), width, height);
  auto bitmap = std::make_unique<TBitmap>();
  bitmap->SetWidth(width);
  bitmap->SetHeight(height);
  bitmap->GetCanvas()->GetBrush()->SetColor(BackColor);
  bitmap->GetCanvas()->FillRect(Rect(0, 0, width, height));
  DrawIconEx(bitmap->GetCanvas()->GetHandle(), 0, 0, icon.get(), width, height, 0, nullptr, DI_NORMAL);
  return bitmap;
}

// Keeps the clipboard open for the length of a call.
class OpenClipboardScope {
 public:
  OpenClipboardScope() { Clipboard()->Open(); }
  ~OpenClipboardScope() { Clipboard()->Close(); }
  OpenClipboardScope(const OpenClipboardScope&) = delete;
  OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
};

// The icon's file data in a movable block handed to the clipboard; none when there is no memory.
void PlaceIconData(TMemoryStream& Data) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, static_cast<SIZE_T>(Data.GetSize()));
  if (block == nullptr) return;
  try {
    void* memory = GlobalLock(block);
    if (memory == nullptr) {
      GlobalFree(block);
      return;
    }
    Data.SetPosition(0);
    Data.ReadBuffer(memory, static_cast<int>(Data.GetSize()));
    GlobalUnlock(block);
    if (SetClipboardData(CF_ICON, block) == nullptr) GlobalFree(block);  // the clipboard did not take it
  } catch (...) {
    GlobalFree(block);
    throw;
  }
}

}  // namespace

void CopyIconToClipboard(TIcon* Icon, TColor BackColor) {
  std::unique_ptr<TBitmap> bitmap = IconToBitmap(Icon, BackColor);
  TMemoryStream data;
  Icon->SaveToStream(&data);
  OpenClipboardScope open;
  Clipboard()->Clear();
  WORD format = 0;
  HANDLE handle = nullptr;
  HPALETTE palette = nullptr;
  bitmap->SaveToClipboardFormat(format, handle, palette);
  // What the clipboard does not take stays ours to delete.
  if (SetClipboardData(format, handle) == nullptr) DeleteObject(handle);
  if (palette != nullptr && SetClipboardData(CF_PALETTE, palette) == nullptr) DeleteObject(palette);
  PlaceIconData(data);
}

void AssignClipboardIcon(TIcon* Icon) {
  if (!Clipboard()->HasFormat(CF_ICON)) return;
  OpenClipboardScope open;
  Icon->LoadFromClipboardFormat(CF_ICON, GetClipboardData(CF_ICON), nullptr);
}

std::unique_ptr<TIcon> CreateIconFromClipboard() {
  if (!Clipboard()->HasFormat(CF_ICON)) return nullptr;
  auto icon = std::make_unique<TIcon>();
  AssignClipboardIcon(icon.get());
  return icon;
}

void ClipiconInitialization() {
  if (CF_ICON != 0) return;
  CF_ICON = static_cast<WORD>(RegisterClipboardFormatA("Quillmont Icon"));
  TPicture::RegisterClipboardFormat(CF_ICON, CreateGraphic<TIcon>);
}
