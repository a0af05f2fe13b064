// The common controls' image lists: images of one size in a list, each with a mask, added from
// bitmaps (strips of several images), masked by a colour or taken from icons, drawn transparent
// or opaque, and given back as icons.
#pragma once

#include "platform/win32/Win32Types.h"

struct _IMAGELIST;
using HIMAGELIST = _IMAGELIST*;

constexpr UINT ILC_MASK = 0x1, ILC_COLOR = 0x0, ILC_COLOR4 = 0x4, ILC_COLOR8 = 0x8, ILC_COLOR16 = 0x10,
               ILC_COLOR24 = 0x18, ILC_COLOR32 = 0x20, ILC_COLORDDB = 0xFE;
constexpr UINT ILD_NORMAL = 0x0, ILD_TRANSPARENT = 0x1, ILD_MASK = 0x10, ILD_IMAGE = 0x20;
constexpr COLORREF CLR_NONE = 0xFFFFFFFF, CLR_DEFAULT = 0xFF000000;

// Images are kept at the depth the flags name (the desktop's for ILC_COLOR and ILC_COLORDDB);
// `initial` and `grow` are not needed by this layer.
HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int initial, int grow);
BOOL ImageList_Destroy(HIMAGELIST list);
int ImageList_GetImageCount(HIMAGELIST list);
BOOL ImageList_GetIconSize(HIMAGELIST list, int* cx, int* cy);
// As many images as the bitmap is wide, at least one; the mask's 1 bits are transparent (a
// list without ILC_MASK keeps no masks). Returns the first new index, or -1.
int ImageList_Add(HIMAGELIST list, HBITMAP image, HBITMAP mask);
// The pixels of `mask` colour are transparent.
int ImageList_AddMasked(HIMAGELIST list, HBITMAP image, COLORREF mask);
// Replaces image `index`, or adds one for -1; returns its index or -1.
int ImageList_ReplaceIcon(HIMAGELIST list, int index, HICON icon);
// Removes one image, or all for -1.
BOOL ImageList_Remove(HIMAGELIST list, int index);
// ILD_NORMAL draws a masked list's images transparent while its background is CLR_NONE, over
// the background colour otherwise; ILD_TRANSPARENT always transparent; ILD_MASK the mask alone
// (black where the image is opaque, white elsewhere).
BOOL ImageList_Draw(HIMAGELIST list, int index, HDC hdc, int x, int y, UINT style);
HICON ImageList_GetIcon(HIMAGELIST list, int index, UINT flags);
COLORREF ImageList_SetBkColor(HIMAGELIST list, COLORREF color);
COLORREF ImageList_GetBkColor(HIMAGELIST list);
