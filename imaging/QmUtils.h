// The image library's utilities: rectangles and units, memory blocks, errors and texts,
// windows, cursors and message boxes, and the bitmap and drawing helpers.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "imaging/Maxmin.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Variants.h"

class TForm;

// ---- Rectangles, points, units

int WidthOf(const TRect& R);
int HeightOf(const TRect& R);
// All four edges count as inside.
bool PointInRect(const TPoint& P, const TRect& R);
// Whether the point lies in the polygon filled by the winding rule.
bool PointInPolyRgn(const TPoint& P, std::span<const TPoint> Points);
// Dialog units and pixels by the system font's base units, rounded down.
WORD DialogUnitsToPixelsX(WORD DlgUnits);
WORD DialogUnitsToPixelsY(WORD DlgUnits);
WORD PixelsToDialogUnitsX(WORD PixUnits);
WORD PixelsToDialogUnitsY(WORD PixUnits);
// The desktop's work area, or the whole screen when the platform does not tell.
TRect ScreenWorkArea();
// The number of entries of a palette.
int PaletteEntries(HPALETTE Palette);

// ---- Memory blocks: platform global memory, zero-filled, addressed through the locked pointer

// None for a size of 0 or less, and none (no exception) when the platform has no block.
void* AllocMemo(LONG Size);
// None when the platform cannot resize; the block is then kept as it was.
void* ReallocMemo(void* fpBlock, LONG Size);
// Frees a present block and sets the pointer to none.
void FreeMemo(void*& fpBlock);
// 0 for none or a pointer that is not a block's.
LONG GetMemoSize(void* fpBlock);
bool CompareMem(const void* fpBlock1, const void* fpBlock2, DWORD Size);
void HugeInc(void*& HugePtr, LONG Amount);
void HugeDec(void*& HugePtr, LONG Amount);
void* HugeOffset(void* HugePtr, LONG Amount);
// The ranges may overlap.
void HMemCpy(void* DstPtr, const void* SrcPtr, LONG Amount);
// Moves Size 4-byte items from index SrcIndex to index DstIndex of one block.
void HugeMove(void* Base, LONG Dst, LONG Src, LONG Size);

// ---- Errors and texts

AnsiString ResStr(const AnsiString& Ident);
// EResNotFound "Resource %s not found" with the name, or the number of a numeric id.
[[noreturn]] void ResourceNotFound(LPCSTR ResID);
// EWin32Error for the code; 0 does nothing.
void RaiseWin32Error(DWORD ErrCode);
bool CheckWin32(bool OK);
// Tells the user that the function is not implemented and ends the operation silently.
[[noreturn]] void NotImplemented();
// Empty when the variable is not set.
AnsiString GetEnvVar(const AnsiString& VarName);
void SplitCommandLine(const AnsiString& CmdLine, AnsiString& ProgName, AnsiString& Params);
AnsiString AnsiUpperFirstChar(const AnsiString& S);
// Freed with StrDispose.
char* StrPAlloc(const AnsiString& S);
char* StringToPChar(AnsiString& S);
AnsiString DropT(const AnsiString& S);
AnsiString GetWindowsVersion();
// Null for no values, the value for one, an array of them all for more.
Variant MakeVariant(std::initializer_list<Variant> Values);

// ---- Windows, messages and dialogs

// A form in the middle of the screen (of the main form for a child of a multiple-document
// frame), any other control in the middle of its parent; never at negative coordinates.
void CenterControl(TControl* Control);
// A window in the middle of the screen, moved without activating or resizing it.
void CenterWindow(HWND Wnd);
// Puts the form inside the control, without a frame: aligned as given, or else moved by the
// control's client origin; shown or hidden as asked.
void MergeForm(TWinControl* AControl, TForm* AForm, TAlign Align, bool Show);
// Sets or clears the client edge of the window's extended style; the frame is redrawn only
// when that changes.
void ShowMDIClientEdge(HWND ClientHandle, bool ShowEdge);
AnsiString WindowClassName(HWND Wnd);
// ShowWindow with the minimise and restore animation switched off meanwhile.
void ShowWinNoAnimate(HWND Handle, int CmdShow);
void SwitchToWindow(HWND Wnd, bool Restore);
void ActivateWindow(HWND Wnd);
// A window of the class and with the title given (an empty one matches any); 0 when both are empty.
HWND FindPrevInstance(const AnsiString& MainFormClass, const AnsiString& ATitle);
// Brings the other instance's top window forward; false when there is none.
bool ActivatePrevInstance(const AnsiString& MainFormClass, const AnsiString& ATitle);
// Whether the active window is one of this thread's.
bool IsForegroundTask();
// Removes the first pending message of that number for the window; a quit request stays.
void KillMessage(HWND Wnd, UINT Msg);
// Waits the milliseconds while the application handles its messages.
void Delay(LONG MSecs);
int MsgBox(const AnsiString& Caption, const AnsiString& Text, int Flags);
WORD MsgDlg(const AnsiString& Msg, TMsgDlgType AType, TMsgDlgButtons AButtons, LONG HelpCtx);
void Beep();
// EWin32Error of the last error when the library cannot be loaded.
HINSTANCE LoadDLL(const AnsiString& LibName);
// Calls the library's registration entry; false when it has none. The library is freed after.
bool RegisterServer(const AnsiString& ModuleName);
void FreeUnusedOle();

// ---- Cursors

// The cursor StartWait shows (the hourglass unless the program changes it).
extern TCursor WaitCursor;
// An animated cursor resource of the module, through a temporary file; 0 when there is none.
HCURSOR LoadAniCursor(HINSTANCE Instance, LPCSTR ResID);
// Registers the cursor resource (or animated cursor resource) with the screen under the first
// free number from 100 and returns that number; EResNotFound when there is neither,
// EOutOfResources "Out of system resources" when no number is free.
TCursor DefineCursor(HINSTANCE Instance, LPCSTR ResID);
// Nested: the first StartWait shows WaitCursor, the StopWait that balances it the cursor before.
void StartWait();
void StopWait();

// ---- Drawing: fills, shades and patterns

enum TFillDirection { fdTopToBottom, fdBottomToTop, fdLeftToRight, fdRightToLeft };
enum TVertAlignment { vaTopJustify, vaCenter, vaBottomJustify };

// An 8 x 8 checkerboard of the two colours, the second at the top-left; owned by the caller.
TBitmap* CreateTwoColorsBrushPattern(TColor Color1, TColor Color2);
// Darkens one pixel in four to black along diagonal lines.
void ShadeRect(HDC DC, const TRect& Rect);
// Bands of Colors colours from the top or left edge; what the bands leave at the bottom or
// right takes the colour of the last band.
void GradientFillRect(TCanvas* Canvas, const TRect& ARect, TColor StartColor, TColor EndColor,
                      TFillDirection Direction, BYTE Colors);
// On the screen's device context.
void PaintInverseRect(const TPoint& RectOrg, const TPoint& RectEnd);
void DrawInvertFrame(const TRect& ScreenRect, int Width);

// ---- Drawing: bitmaps with a transparent colour

// The colour as a palette-relative colour reference (the palette's nearest entry).
LONG PaletteColor(TColor Color);
// The source rectangle stretched onto the destination rectangle, its pixels of the transparent
// colour left out; through masks made for the call.
void StretchBltTransparent(HDC DstDC, int DstX, int DstY, int DstW, int DstH, HDC SrcDC, int SrcX, int SrcY,
                           int SrcW, int SrcH, HPALETTE Palette, LONG TransparentColor);
// The same with the transparent pixels given by a monochrome mask over the source, white where
// transparent, instead of by a colour.
void StretchBltMasked(HDC DstDC, int DstX, int DstY, int DstW, int DstH, HDC SrcDC, int SrcX, int SrcY, int SrcW,
                      int SrcH, HPALETTE Palette, HDC MaskDC);
void DrawTransparentBitmap(HDC DC, HBITMAP Bitmap, int DstX, int DstY, LONG TransparentColor);
// A width or height of 0 or less is the bitmap's own; an empty source rectangle is the whole
// bitmap. clNone draws opaque with the canvas's copy mode; clDefault takes the colour of the
// bottom-left pixel; a monochrome bitmap is transparent where it is white.
void StretchBitmapRectTransparent(TCanvas* Dest, int DstX, int DstY, int DstW, int DstH, const TRect& SrcRect,
                                  TBitmap* Bitmap, TColor TransparentColor);
void DrawBitmapRectTransparent(TCanvas* Dest, int DstX, int DstY, const TRect& SrcRect, TBitmap* Bitmap,
                               TColor TransparentColor);
void DrawBitmapTransparent(TCanvas* Dest, int DstX, int DstY, TBitmap* Bitmap, TColor TransparentColor);

// ---- Drawing: disabled images and colour changes (the bitmaps returned belong to the caller)

// The source's pixels of the outline colour (of a monochrome source: its black ones) in the
// shadow colour over the back colour, with a highlight one pixel right and down.
TBitmap* CreateDisabledBitmapEx(TBitmap* FOriginal, TColor OutlineColor, TColor BackColor, TColor HighlightColor,
                                TColor ShadowColor, bool DrawHighlight);
TBitmap* CreateDisabledBitmap(TBitmap* FOriginal, TColor OutlineColor);
// A copy in which the pixels of Color have NewColor.
TBitmap* ChangeBitmapColor(TBitmap* Bitmap, TColor Color, TColor NewColor);
// Cell Index of a grid of Cols x Rows cells, counted along the rows.
void AssignBitmapCell(TGraphic* Source, TBitmap* Dest, int Cols, int Rows, int Index);
// What lies under the control, with the control's top-left corner at the canvas's origin: the
// parent's background and content, then the visible children without a window before the
// control that overlap it. Each paints marked with csPaintCopy.
void CopyParentImage(TControl* Control, TCanvas* Dest);

// ---- Drawing: resources, icons and image lists (what is returned belongs to the caller)

// A bitmap resource of the module (a name, or a number in the pointer's low 16 bits); for
// module 0 the system's bitmap. None, and no exception, when it cannot be had.
TBitmap* MakeModuleBitmap(HINSTANCE Module, LPCSTR ResID);
TBitmap* MakeBitmap(LPCSTR ResName);
TBitmap* MakeBitmapID(WORD ResID);
// An icon resource of the module, or none.
TIcon* MakeModuleIcon(HINSTANCE Module, LPCSTR ResID);
TIcon* MakeIcon(LPCSTR ResName);
TIcon* MakeIconID(WORD ResID);
// The icon drawn over the back colour, which becomes the bitmap's transparent colour.
TBitmap* CreateBitmapFromIcon(TIcon* Icon, TColor BackColor);
// The bitmap with its pixels of the transparent colour (clDefault: the bitmap's own) left out.
TIcon* CreateIconFromBitmap(TBitmap* Bitmap, TColor TransparentColor);
// The image's opaque pixels in the gray colour, with a highlight one pixel right and down.
void ImageListDrawDisabled(TImageList* Images, TCanvas* Canvas, int X, int Y, int Index, TColor HighlightColor,
                           TColor GrayColor, bool DrawHighlight);

// ---- Drawing: text

// Text in a cell at (DX, DY) from its top-left corner; drawn directly when it can be (one line,
// no wrap, a brush colour the device shows exactly), else through one shared offscreen bitmap.
void WriteText(TCanvas* ACanvas, const TRect& ARect, int DX, int DY, const AnsiString& Text, TAlignment Alignment,
               bool WordWrap, bool ARightToLeft);
// Into a control's canvas; the column and row are not used.
void DrawCellTextEx(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                    TAlignment Align, TVertAlignment VertAlign, bool WordWrap, bool ARightToLeft);
void DrawCellTextEx(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                    TAlignment Align, TVertAlignment VertAlign, bool WordWrap);
// Wraps when centred.
void DrawCellText(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                  TAlignment Align, TVertAlignment VertAlign, bool ARightToLeft);
void DrawCellText(TCustomControl* Control, LONG ACol, LONG ARow, const AnsiString& S, const TRect& ARect,
                  TAlignment Align, TVertAlignment VertAlign);
// Centred in the cell.
void DrawCellBitmap(TCustomControl* Control, LONG ACol, LONG ARow, TGraphic* Graphic, const TRect& Rect);
// The font turned by Angle degrees, as a new handle the caller deletes.
HFONT CreateRotatedFont(TFont* Font, int Angle);
// The text shortened with "..." until it fits the width ("..." at the shortest).
AnsiString MinimizeText(const AnsiString& Text, TCanvas* Canvas, int MaxWidth);
// The average width of the 52 letters and their height.
TPoint GetAveCharSize(TCanvas* Canvas);

// A canvas on the whole screen.
class TScreenCanvas : public TCanvas {
 public:
  ~TScreenCanvas() override;
  void FreeHandle();
  // Drawing at (0, 0) lands at (X, Y) of the screen.
  void SetOrigin(int X, int Y);

 protected:
  void CreateHandle() override;

 private:
  HDC FDeviceContext = nullptr;
};

// The unit's start and end, called in pairs; the end that balances the first start frees the
// shared text bitmap.
void QmUtilsInitialization();
void QmUtilsFinalization();
