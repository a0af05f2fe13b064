// The window layer's drawing helpers, made of the drawing layer's calls, and rectangle
// arithmetic. A focus frame inverts every other pixel of its edges, so drawing it twice
// restores what was there.
#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"

#include <algorithm>

namespace {

// One pixel in two, starting at the top-left: rows of a word-aligned monochrome bitmap.
constexpr WORD kChecker[8] = {0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55, 0xAA, 0x55};

}  // namespace

BOOL InvertRect(HDC hdc, const RECT* rect) {
  if (!rect) return FALSE;
  return PatBlt(hdc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, DSTINVERT);
}

BOOL DrawFocusRect(HDC hdc, const RECT* rect) {
  if (!rect || IsRectEmpty(rect)) return FALSE;
  HBITMAP pattern = CreateBitmap(8, 8, 1, 1, kChecker);
  HBRUSH brush = CreatePatternBrush(pattern);
  // The pattern's 1 bits become white and invert; its 0 bits become black and change nothing.
  const COLORREF text = SetTextColor(hdc, RGB(0, 0, 0));
  const COLORREF back = SetBkColor(hdc, RGB(255, 255, 255));
  HGDIOBJ previous = SelectObject(hdc, brush);
  const int w = rect->right - rect->left, h = rect->bottom - rect->top;
  BOOL ok = PatBlt(hdc, rect->left, rect->top, w, 1, PATINVERT);
  if (h > 1) ok &= PatBlt(hdc, rect->left, rect->bottom - 1, w, 1, PATINVERT);
  if (h > 2) {
    ok &= PatBlt(hdc, rect->left, rect->top + 1, 1, h - 2, PATINVERT);
    if (w > 1) ok &= PatBlt(hdc, rect->right - 1, rect->top + 1, 1, h - 2, PATINVERT);
  }
  SelectObject(hdc, previous);
  SetTextColor(hdc, text);
  SetBkColor(hdc, back);
  DeleteObject(brush);
  DeleteObject(pattern);
  return ok ? TRUE : FALSE;
}

BOOL IsRectEmpty(const RECT* rect) {
  return !rect || rect->right <= rect->left || rect->bottom <= rect->top ? TRUE : FALSE;
}

BOOL InflateRect(RECT* rect, int dx, int dy) {
  if (!rect) return FALSE;
  *rect = {rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
  return TRUE;
}

BOOL IntersectRect(RECT* result, const RECT* a, const RECT* b) {
  if (!result || !a || !b) return FALSE;
  const RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
               std::min(a->bottom, b->bottom)};
  *result = IsRectEmpty(&r) ? RECT{0, 0, 0, 0} : r;
  return IsRectEmpty(&r) ? FALSE : TRUE;
}

BOOL OffsetRect(RECT* rect, int dx, int dy) {
  if (!rect) return FALSE;
  *rect = {rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
  return TRUE;
}

BOOL PtInRect(const RECT* rect, POINT point) {
  return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top && point.y < rect->bottom
             ? TRUE
             : FALSE;
}
