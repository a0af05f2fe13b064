// TClipboard over the window layer's clipboard.
#include "platform/vcl/Clipbrd.h"

namespace {

// Holds the clipboard open for one operation, also when it fails.
class OpenFor {
 public:
  explicit OpenFor(TClipboard* clipboard) : FClipboard(clipboard) { FClipboard->Open(); }
  ~OpenFor() { FClipboard->Close(); }
  OpenFor(const OpenFor&) = delete;
  OpenFor& operator=(const OpenFor&) = delete;

 private:
  TClipboard* FClipboard;
};

}  // namespace

TClipboard* Clipboard() {
  static auto* clipboard = new TClipboard;  // lives as long as the process
  return clipboard;
}

void TClipboard::Open() {
  if (FOpenRefCount == 0) {
    if (!OpenClipboard(nullptr)) throw Exception("Cannot open clipboard");
    FEmptied = false;
  }
  ++FOpenRefCount;
}

void TClipboard::Close() {
  if (FOpenRefCount == 0) return;
  if (--FOpenRefCount == 0) CloseClipboard();
}

void TClipboard::Adding() {
  if (FOpenRefCount > 0 && !FEmptied) {
    EmptyClipboard();
    FEmptied = true;
  }
}

void TClipboard::Clear() {
  OpenFor open(this);
  EmptyClipboard();
  FEmptied = true;
}

bool TClipboard::HasFormat(WORD Format) { return IsClipboardFormatAvailable(Format) != FALSE; }

HANDLE TClipboard::GetAsHandle(WORD Format) {
  OpenFor open(this);
  return GetClipboardData(Format);
}

void TClipboard::SetAsHandle(WORD Format, HANDLE Value) {
  OpenFor open(this);
  Adding();
  if (!SetClipboardData(Format, Value)) throw Exception("Cannot place the data on the clipboard");
}

int TClipboard::GetFormatCount() { return CountClipboardFormats(); }

WORD TClipboard::GetFormats(int Index) {
  OpenFor open(this);
  UINT format = EnumClipboardFormats(0);
  for (int i = 0; i < Index && format != 0; ++i) format = EnumClipboardFormats(format);
  return static_cast<WORD>(format);
}

void TClipboard::Assign(TPersistent* Source) {
  auto* picture = dynamic_cast<TPicture*>(Source);
  auto* graphic = picture ? picture->GetGraphic() : dynamic_cast<TGraphic*>(Source);
  if (!graphic) return TPersistent::Assign(Source);
  WORD format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  graphic->SaveToClipboardFormat(format, data, palette);
  OpenFor open(this);
  Adding();
  SetClipboardData(format, data);
  if (palette) SetClipboardData(CF_PALETTE, palette);
}

void TClipboard::AssignTo(TPersistent* Dest) {
  OpenFor open(this);
  HPALETTE palette = static_cast<HPALETTE>(GetClipboardData(CF_PALETTE));
  if (auto* picture = dynamic_cast<TPicture*>(Dest)) {
    for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format))
      if (TPicture::SupportsClipboardFormat(static_cast<WORD>(format)))
        return picture->LoadFromClipboardFormat(static_cast<WORD>(format), GetClipboardData(format), palette);
    if (HasFormat(CF_BITMAP))  // a device-independent bitmap read as a bitmap
      return picture->LoadFromClipboardFormat(CF_BITMAP, GetClipboardData(CF_BITMAP), palette);
    throw EInvalidGraphic("Unsupported clipboard format");
  }
  if (auto* graphic = dynamic_cast<TGraphic*>(Dest)) {
    if (!HasFormat(CF_BITMAP)) throw EInvalidGraphic("Unsupported clipboard format");
    return graphic->LoadFromClipboardFormat(CF_BITMAP, GetClipboardData(CF_BITMAP), palette);
  }
  TPersistent::AssignTo(Dest);
}
