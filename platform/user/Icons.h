// Icons and cursors: a mask and a colour bitmap with a hot spot, made from bitmaps, from the
// images of icon and cursor files, from the program's resources or the system's own set, drawn
// onto device contexts.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/win32/Win32Types.h"

struct ICONINFO {
  BOOL fIcon;
  DWORD xHotspot;
  DWORD yHotspot;
  HBITMAP hbmMask;  // 1 bit per pixel; twice as high, AND over XOR rows, when there is no colour bitmap
  HBITMAP hbmColor;
};

// Copies of the bitmaps are kept; the caller keeps its own. A mask is needed.
HICON CreateIconIndirect(const ICONINFO* info);
// Rows of `width` pixels padded to 2 bytes, top row first: the AND mask at 1 bit, the XOR
// image at the given planes and bits per pixel (a monochrome icon when that is 1).
HICON CreateIcon(HINSTANCE instance, int width, int height, BYTE planes, BYTE bitsPixel, const BYTE* andBits,
                 const BYTE* xorBits);
// New copies of the icon's bitmaps, which the caller deletes.
BOOL GetIconInfo(HICON icon, ICONINFO* info);
HICON CopyIcon(HICON icon);
BOOL DestroyIcon(HICON icon);
BOOL DestroyCursor(HCURSOR cursor);

// One image of an icon or cursor file or resource: an info header twice the image's height,
// its colour table, the XOR rows and the AND rows (a cursor's image starts with its hot spot,
// two 16-bit values). Every size is checked against `size` first; 32-bit images take their
// mask from the alpha channel when they have one (pixels under half opacity are transparent).
// A desired size of 0 keeps the image's own; LR_DEFAULTSIZE asks for the system's.
constexpr UINT LR_DEFAULTCOLOR = 0x0000, LR_MONOCHROME = 0x0001, LR_DEFAULTSIZE = 0x0040;
HICON CreateIconFromResourceEx(const BYTE* bits, DWORD size, BOOL icon, DWORD version, int cxDesired, int cyDesired,
                               UINT flags);

constexpr UINT DI_MASK = 0x1, DI_IMAGE = 0x2, DI_NORMAL = 0x3, DI_DEFAULTSIZE = 0x8;
// The destination is ANDed with the mask (DI_MASK), then the image XORed on (DI_IMAGE; copied
// when alone). A width or height of 0 draws the icon's own (the system's with DI_DEFAULTSIZE);
// with a brush the icon is put together over that brush offscreen first. `step` is not used.
BOOL DrawIconEx(HDC hdc, int x, int y, HICON icon, int cx, int cy, UINT step, HBRUSH flickerFreeBrush, UINT flags);
BOOL DrawIcon(HDC hdc, int x, int y, HICON icon);

// The system's icons and cursors (module null) or the program's: a RT_GROUP_ICON or
// RT_GROUP_CURSOR resource holds the whole icon or cursor file, whose best image for the
// display is taken at the system's size. The system's own come in one picture each of a
// window and an arrow; a toolkit shows its own cursor of each kind.
inline const LPCSTR IDI_APPLICATION = MAKEINTRESOURCEA(32512), IDI_HAND = MAKEINTRESOURCEA(32513),
                    IDI_QUESTION = MAKEINTRESOURCEA(32514), IDI_EXCLAMATION = MAKEINTRESOURCEA(32515),
                    IDI_ASTERISK = MAKEINTRESOURCEA(32516), IDI_WINLOGO = MAKEINTRESOURCEA(32517);
inline const LPCSTR IDC_ARROW = MAKEINTRESOURCEA(32512), IDC_IBEAM = MAKEINTRESOURCEA(32513),
                    IDC_WAIT = MAKEINTRESOURCEA(32514), IDC_CROSS = MAKEINTRESOURCEA(32515),
                    IDC_UPARROW = MAKEINTRESOURCEA(32516), IDC_SIZENWSE = MAKEINTRESOURCEA(32642),
                    IDC_SIZENESW = MAKEINTRESOURCEA(32643), IDC_SIZEWE = MAKEINTRESOURCEA(32644),
                    IDC_SIZENS = MAKEINTRESOURCEA(32645), IDC_SIZEALL = MAKEINTRESOURCEA(32646),
                    IDC_NO = MAKEINTRESOURCEA(32648), IDC_HAND = MAKEINTRESOURCEA(32649),
                    IDC_APPSTARTING = MAKEINTRESOURCEA(32650), IDC_HELP = MAKEINTRESOURCEA(32651);
HICON LoadIconA(HINSTANCE instance, LPCSTR name);
HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name);
// A cursor file (.cur), an icon file (.ico, hot spot in the middle) or an animated cursor's
// first frame (.ani); null, with the last error set, for anything else.
HCURSOR LoadCursorFromFileA(LPCSTR fileName);

// A bitmap resource of the module as a new bitmap; this layer has no system bitmaps, so a
// null module finds none.
HBITMAP LoadBitmapA(HINSTANCE instance, LPCSTR name);

namespace user {

// A cursor from the bytes of a cursor, icon or animated cursor file, as LoadCursorFromFileA
// reads them; null for anything else.
HCURSOR CursorFromFileData(std::span<const std::byte> data);

// What a toolkit needs to show a cursor: its picture as 32-bit pixels with alpha
// (0xAARRGGBB, rows top first), its hot spot, and for the system's cursors which one it is.
struct CursorImage {
  WORD systemId = 0;  // one of the IDC_ numbers, or 0 for the program's own cursors
  int width = 0;
  int height = 0;
  POINT hotSpot{0, 0};
  std::vector<std::uint32_t> pixels;
};
// None for a handle that names no cursor.
std::optional<CursorImage> ImageOfCursor(HCURSOR cursor);

// The cursor shown over all of the program's windows; null lets each window show its own.
void SetScreenCursor(HCURSOR cursor);
HCURSOR GetScreenCursor();

}  // namespace user
