// The clipboard's store: the formats placed, in order, with the data they own; the names of the
// registered formats; and the conversions between bitmaps, device-independent bitmaps and the
// items the desktop carries. Every size read from outside data is checked before it is used.
#include "platform/user/Clipboard.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "platform/gdi/GdiMemory.h"
#include "platform/gdi/PixelFormat.h"
#include "platform/user/UserInternal.h"
#include "platform/win32/GlobalMemory.h"
#include "platform/win32/Kernel32.h"
#include "platform/win32/NameKey.h"

namespace user {
namespace {

constexpr UINT kFirstRegistered = 0xC000;
constexpr char kTextType[] = "text/plain", kImageType[] = "image/bmp", kPaletteType[] = "application/x-qm-palette",
               kRegisteredType[] = "application/x-qm-clipboard;name=";

struct Entry {
  UINT format;
  HANDLE data;
};

struct State {
  std::recursive_mutex lock;
  bool open = false;
  bool changed = false;
  std::vector<Entry> entries;
  std::vector<std::string> names;  // registered formats, from kFirstRegistered
};

// Never destroyed: what it owns lives in other layers' tables, which go at exit too; the data
// it holds then is freed before them (FreeAtExit).
State& TheState() {
  static auto* state = new State;
  return *state;
}

bool IsObjectFormat(UINT format) { return format == CF_BITMAP || format == CF_PALETTE; }

void Free(const Entry& e) {
  if (IsObjectFormat(e.format))
    DeleteObject(e.data);
  else
    GlobalFree(e.data);
}

void Clear(State& s) {
  for (const Entry& e : s.entries) Free(e);
  s.entries.clear();
}

Entry* Find(State& s, UINT format) {
  const auto it = std::find_if(s.entries.begin(), s.entries.end(), [format](const Entry& e) { return e.format == format; });
  return it == s.entries.end() ? nullptr : &*it;
}

// What the program leaves on the clipboard goes with it. Registered when the first data is
// stored, so after the tables that data lives in were made and before they are destroyed.
void FreeAtExit() {
  State& s = TheState();
  std::unique_lock guard(s.lock, std::try_to_lock);  // never waits for a thread at exit
  if (guard.owns_lock()) Clear(s);
}

void Put(State& s, UINT format, HANDLE data) {
  static const bool freedAtExit = std::atexit(FreeAtExit) == 0;
  (void)freedAtExit;
  if (Entry* e = Find(s, format)) {
    Free(*e);
    e->data = data;
  } else {
    s.entries.push_back({format, data});
  }
}

HGLOBAL BlockOf(std::span<const std::byte> bytes) {
  if (bytes.empty()) return nullptr;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!block) return nullptr;
  std::memcpy(GlobalLock(block), bytes.data(), bytes.size());
  GlobalUnlock(block);
  return block;
}

std::vector<std::byte> BytesOf(HGLOBAL block) {
  const SIZE_T size = GlobalSize(block);
  const auto* p = static_cast<const std::byte*>(GlobalLock(block));
  std::vector<std::byte> bytes(p, p + (p ? size : 0));
  GlobalUnlock(block);
  return bytes;
}

// A bitmap as a device-independent bitmap: header, colours (or the 16-bit masks), bottom row first.
std::vector<std::byte> PackedDib(HBITMAP bitmap) {
  const gdi::PixelBuffer px = gdi::PixelsOf(bitmap);
  if (!px.bits) return {};
  const int bits = px.bitsPerPixel;
  BITMAPINFOHEADER h{sizeof(BITMAPINFOHEADER), px.width, px.height, 1, static_cast<WORD>(bits),
                     bits == 16 ? BI_BITFIELDS : BI_RGB, 0, 0, 0, 0, 0};
  const auto stride = static_cast<std::size_t>((px.width * bits + 31) / 32 * 4);
  h.biSizeImage = static_cast<DWORD>(stride * px.height);
  std::vector<std::byte> out(sizeof h);
  std::memcpy(out.data(), &h, sizeof h);
  const auto append = [&out](const void* p, std::size_t n) {
    out.insert(out.end(), static_cast<const std::byte*>(p), static_cast<const std::byte*>(p) + n);
  };
  if (bits <= 8) {
    std::vector<RGBQUAD> colors(std::size_t{1} << bits);
    std::copy_n(px.palette.begin(), std::min(colors.size(), px.palette.size()), colors.begin());
    append(colors.data(), colors.size() * sizeof(RGBQUAD));
  } else if (bits == 16) {
    const auto masks = gdi::ChannelMasks(px);
    append(masks.data(), sizeof masks);
  }
  const auto used = static_cast<std::size_t>((px.width * bits + 7) / 8);
  for (int y = px.height - 1; y >= 0; --y) {
    append(px.bits + static_cast<std::ptrdiff_t>(y) * px.pitch, used);
    out.resize(out.size() + stride - used);
  }
  return out;
}

// A device-independent bitmap as a bitmap of the same depth; null for one that does not add up.
HBITMAP BitmapOfDib(std::span<const std::byte> dib) {
  if (dib.size() < sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPINFOHEADER h;
  std::memcpy(&h, dib.data(), sizeof h);
  const int bits = h.biBitCount;
  if (h.biSize < sizeof h || h.biSize > dib.size() || h.biWidth <= 0 || h.biWidth > 65535 || h.biHeight == 0 ||
      h.biHeight < -65535 || h.biHeight > 65535 || (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32))
    return nullptr;
  const bool fields = h.biCompression == BI_BITFIELDS;
  if (h.biCompression != BI_RGB && !(fields && (bits == 16 || bits == 32))) return nullptr;
  const std::size_t colors = bits <= 8 ? (h.biClrUsed ? h.biClrUsed : std::size_t{1} << bits) : 0;
  if (colors > 256) return nullptr;
  const std::size_t tableBytes = colors * sizeof(RGBQUAD) + (fields && h.biSize == sizeof h ? 12 : 0);
  const auto stride = static_cast<std::size_t>((static_cast<long long>(h.biWidth) * bits + 31) / 32 * 4);
  const auto rows = static_cast<std::size_t>(h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight);
  if (static_cast<unsigned long long>(h.biSize) + tableBytes + static_cast<unsigned long long>(stride) * rows > dib.size() ||
      static_cast<unsigned long long>(stride) * rows > (1ull << 28))
    return nullptr;
  std::vector<std::byte> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  std::memcpy(info.data(), dib.data(), sizeof h);
  std::memcpy(info.data() + sizeof h, dib.data() + h.biSize, tableBytes);
  reinterpret_cast<BITMAPINFOHEADER*>(info.data())->biSize = sizeof h;
  void* pixels = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pixels,
                                    nullptr, 0);
  if (!bitmap) return nullptr;
  std::memcpy(pixels, dib.data() + h.biSize + tableBytes, stride * rows);
  return bitmap;
}

std::vector<std::byte> PaletteBytes(HPALETTE palette) {
  std::vector<PALETTEENTRY> entries(GetPaletteEntries(palette, 0, 0, nullptr));
  GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data());
  const auto* p = reinterpret_cast<const std::byte*>(entries.data());
  return {p, p + entries.size() * sizeof(PALETTEENTRY)};
}

HPALETTE PaletteOf(std::span<const std::byte> bytes) {
  const std::size_t count = bytes.size() / sizeof(PALETTEENTRY);
  if (count == 0 || count > 256) return nullptr;
  std::vector<std::byte> storage(sizeof(LOGPALETTE) + count * sizeof(PALETTEENTRY));
  auto* pal = reinterpret_cast<LOGPALETTE*>(storage.data());
  pal->palVersion = 0x300;
  pal->palNumEntries = static_cast<WORD>(count);
  std::memcpy(pal->palPalEntry, bytes.data(), count * sizeof(PALETTEENTRY));
  return CreatePalette(pal);
}

// The platform's text ends its lines with CR LF, the desktop's with LF.
std::vector<std::byte> DesktopText(HGLOBAL block) {
  const std::vector<std::byte> bytes = BytesOf(block);
  std::vector<std::byte> out;
  for (std::size_t i = 0; i < bytes.size() && bytes[i] != std::byte{0}; ++i)
    if (bytes[i] != std::byte{'\r'} || i + 1 == bytes.size() || bytes[i + 1] != std::byte{'\n'}) out.push_back(bytes[i]);
  return out;
}

HGLOBAL TextBlock(std::span<const std::byte> text) {
  std::vector<std::byte> out;
  for (std::size_t i = 0; i < text.size() && text[i] != std::byte{0}; ++i) {
    if (text[i] == std::byte{'\n'} && (i == 0 || text[i - 1] != std::byte{'\r'})) out.push_back(std::byte{'\r'});
    out.push_back(text[i]);
  }
  out.push_back(std::byte{0});
  return BlockOf(out);
}

std::string Encoded(const std::string& name) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : name) {
    if (std::isalnum(c) || c == '-' || c == '_' || c == '.') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

std::string Decoded(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

UINT Register(State& s, const std::string& name) {
  const std::string key = win32::NameKey(name);
  for (std::size_t i = 0; i < s.names.size(); ++i)
    if (win32::NameKey(s.names[i]) == key) return kFirstRegistered + static_cast<UINT>(i);
  if (s.names.size() >= 0x3FFF) return 0;
  s.names.push_back(name);
  return kFirstRegistered + static_cast<UINT>(s.names.size() - 1);
}

// What the desktop shows: the text, the image once (from the bitmap when there is no DIB), the
// palette, the registered formats.
std::vector<ClipboardItem> Items(State& s) {
  std::vector<ClipboardItem> items;
  if (const Entry* t = Find(s, CF_TEXT)) items.push_back({kTextType, DesktopText(t->data)});
  std::vector<std::byte> dib;
  if (const Entry* e = Find(s, CF_DIB)) dib = BytesOf(e->data);
  else if (const Entry* b = Find(s, CF_BITMAP)) dib = PackedDib(static_cast<HBITMAP>(b->data));
  if (dib.size() >= sizeof(BITMAPINFOHEADER)) {
    BITMAPINFOHEADER h;
    std::memcpy(&h, dib.data(), sizeof h);
    const std::size_t colors = h.biBitCount <= 8 ? (h.biClrUsed ? h.biClrUsed : std::size_t{1} << h.biBitCount) : 0;
    const std::size_t masks = h.biCompression == BI_BITFIELDS && h.biSize == sizeof h ? 12 : 0;
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof file + dib.size()), 0, 0,
                          static_cast<DWORD>(sizeof file + h.biSize + colors * 4 + masks)};
    std::vector<std::byte> bmp(sizeof file);
    std::memcpy(bmp.data(), &file, sizeof file);
    bmp.insert(bmp.end(), dib.begin(), dib.end());
    items.push_back({kImageType, std::move(bmp)});
  }
  if (const Entry* p = Find(s, CF_PALETTE)) items.push_back({kPaletteType, PaletteBytes(static_cast<HPALETTE>(p->data))});
  for (const Entry& e : s.entries)
    if (e.format >= kFirstRegistered && e.format - kFirstRegistered < s.names.size())
      items.push_back({kRegisteredType + Encoded(s.names[e.format - kFirstRegistered]), BytesOf(e.data)});
  return items;
}

// Another program's items replace the store's.
void TakeItems(State& s, const std::vector<ClipboardItem>& items) {
  Clear(s);
  for (const ClipboardItem& item : items) {
    if (item.type == kTextType) {
      if (HGLOBAL block = TextBlock(item.data)) Put(s, CF_TEXT, block);
    } else if (item.type == kImageType) {
      if (item.data.size() <= sizeof(BITMAPFILEHEADER) || item.data[0] != std::byte{'B'} || item.data[1] != std::byte{'M'}) continue;
      if (HGLOBAL block = BlockOf(std::span(item.data).subspan(sizeof(BITMAPFILEHEADER)))) Put(s, CF_DIB, block);
    } else if (item.type == kPaletteType) {
      if (HPALETTE palette = PaletteOf(item.data)) Put(s, CF_PALETTE, palette);
    } else if (item.type.rfind(kRegisteredType, 0) == 0) {
      const UINT format = Register(s, Decoded(item.type.substr(sizeof kRegisteredType - 1)));
      if (HGLOBAL block = BlockOf(item.data); block && format) Put(s, format, block);
    }
  }
}

void Refresh(State& s) {
  if (Peer* peer = GetPeer())
    if (auto items = peer->ReadClipboard()) TakeItems(s, *items);
}

bool Available(State& s, UINT format) {
  return Find(s, format) || (format == CF_BITMAP && Find(s, CF_DIB)) || (format == CF_DIB && Find(s, CF_BITMAP));
}

}  // namespace

void ResetClipboardForTest() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  Clear(s);
  s.names.clear();
  s.open = s.changed = false;
}

}  // namespace user

using namespace user;

BOOL OpenClipboard(HWND) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (s.open) return FALSE;
  Refresh(s);
  s.open = true;
  s.changed = false;
  return TRUE;
}

BOOL CloseClipboard() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  s.open = false;
  if (s.changed)
    if (Peer* peer = GetPeer()) peer->PublishClipboard(Items(s));
  s.changed = false;
  return TRUE;
}

BOOL EmptyClipboard() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return FALSE;
  }
  Clear(s);
  s.changed = true;
  return TRUE;
}

HANDLE SetClipboardData(UINT format, HANDLE data) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open || !data || format == 0) {
    SetLastError(s.open ? ERROR_INVALID_PARAMETER : ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  const bool fits = format == CF_BITMAP    ? gdi::PixelsOf(static_cast<HBITMAP>(data)).bits != nullptr
                    : format == CF_PALETTE ? GetObjectA(data, 0, nullptr) == sizeof(WORD)
                                           : GlobalSize(data) > 0;
  if (!fits) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // Each image format stands for the other: the newer one is what the clipboard holds.
  if (format == CF_BITMAP || format == CF_DIB)
    if (Entry* other = Find(s, format == CF_BITMAP ? CF_DIB : CF_BITMAP)) {
      Free(*other);
      std::erase_if(s.entries, [&](const Entry& e) { return &e == other; });
    }
  Put(s, format, data);
  s.changed = true;
  return data;
}

HANDLE GetClipboardData(UINT format) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open) {
    SetLastError(ERROR_CLIPBOARD_NOT_OPEN);
    return nullptr;
  }
  if (const Entry* e = Find(s, format)) return e->data;
  if (format == CF_BITMAP)
    if (const Entry* dib = Find(s, CF_DIB))
      if (HBITMAP made = BitmapOfDib(BytesOf(dib->data))) {
        s.entries.push_back({CF_BITMAP, made});
        return made;
      }
  if (format == CF_DIB)
    if (const Entry* bitmap = Find(s, CF_BITMAP))
      if (HGLOBAL made = BlockOf(PackedDib(static_cast<HBITMAP>(bitmap->data)))) {
        s.entries.push_back({CF_DIB, made});
        return made;
      }
  return nullptr;
}

BOOL IsClipboardFormatAvailable(UINT format) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open) Refresh(s);
  return Available(s, format) ? TRUE : FALSE;
}

UINT EnumClipboardFormats(UINT format) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open) return 0;
  auto it = s.entries.begin();
  if (format != 0) {
    it = std::find_if(s.entries.begin(), s.entries.end(), [format](const Entry& e) { return e.format == format; });
    if (it == s.entries.end()) return 0;
    ++it;
  }
  return it == s.entries.end() ? 0 : it->format;
}

int CountClipboardFormats() {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!s.open) Refresh(s);
  return static_cast<int>(s.entries.size());
}

UINT RegisterClipboardFormatA(LPCSTR name) {
  if (!name || !*name) return 0;
  State& s = TheState();
  std::lock_guard guard(s.lock);
  return Register(s, name);
}

int GetClipboardFormatNameA(UINT format, LPSTR name, int size) {
  State& s = TheState();
  std::lock_guard guard(s.lock);
  if (!name || size <= 0 || format < kFirstRegistered || format - kFirstRegistered >= s.names.size()) return 0;
  const std::string& n = s.names[format - kFirstRegistered];
  const auto copied = static_cast<int>(std::min<std::size_t>(n.size(), static_cast<std::size_t>(size - 1)));
  std::memcpy(name, n.data(), static_cast<std::size_t>(copied));
  name[copied] = '\0';
  return copied;
}
