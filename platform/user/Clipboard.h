// The clipboard: data in numbered formats, placed between one opening and one closing. The
// clipboard owns what is placed on it. With a toolkit, what this program places is published
// on the desktop's clipboard when the clipboard is closed, and what another program placed
// there is read back on opening: bitmaps and device-independent bitmaps as images, the palette
// and every registered format as data of a type of its own.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/win32/Win32Types.h"

// CF_BITMAP carries an HBITMAP, CF_PALETTE an HPALETTE; CF_DIB and registered formats a global
// memory block (CF_DIB: an info header, its colours or masks, then the rows).
constexpr UINT CF_BITMAP = 2, CF_DIB = 8, CF_PALETTE = 9;

// One opener at a time: FALSE while the clipboard is open.
BOOL OpenClipboard(HWND owner);
// Publishes what changed since the clipboard was opened.
BOOL CloseClipboard();
// Frees everything on the clipboard; the clipboard must be open.
BOOL EmptyClipboard();
// Takes ownership of the data, replacing (and freeing) what the format held; null on failure
// (the clipboard not open, or data that is not of the format's kind, which stays the caller's).
HANDLE SetClipboardData(UINT format, HANDLE data);
// The format's data, which stays the clipboard's: a bitmap is made from a device-independent
// bitmap when asked for, and the other way round. Null when absent or the clipboard is closed.
HANDLE GetClipboardData(UINT format);
BOOL IsClipboardFormatAvailable(UINT format);
// The formats on the clipboard in the order they were placed: the one after `format` (0 for
// the first), 0 after the last.
UINT EnumClipboardFormats(UINT format);
int CountClipboardFormats();
// Numbers from 0xC000; a name registered again (in any case) has its first number.
UINT RegisterClipboardFormatA(LPCSTR name);
int GetClipboardFormatNameA(UINT format, LPSTR name, int size);

namespace user {

// Clipboard data as the desktop carries it: a type name and bytes. Images are "image/bmp"
// (a BMP file), the palette "application/x-qm-palette" (the logical palette's entries), a
// registered format "application/x-qm-clipboard;name=" with its name, percent-encoded.
struct ClipboardItem {
  std::string type;
  std::vector<std::byte> data;
};

// Back to a fresh program's clipboard: empty, closed, no formats registered.
void ResetClipboardForTest();

}  // namespace user
