// DirectDraw 7 as the display components and the setup dialogs call it, spelled as the platform.
// Surfaces live in memory in the display's format; seams: Driver.h, DisplayDevice.h, HeadlessDevice.h.
#pragma once

#include "platform/win32/Win32Types.h"

struct HMONITOR__;
using HMONITOR = HMONITOR__*;

// Result codes. Codes the platform documents keep their values; the layer's own codes
// (marked "chosen here") sit in one block at MAKE_DDHRESULT(0x300) and up.
constexpr HRESULT MAKE_DDHRESULT(DWORD code) { return static_cast<HRESULT>(0x88760000u | code); }
constexpr HRESULT DD_OK = S_OK;
constexpr HRESULT DDERR_UNSUPPORTED = E_NOTIMPL;
constexpr HRESULT DDERR_GENERIC = E_FAIL;
constexpr HRESULT DDERR_OUTOFMEMORY = E_OUTOFMEMORY;
constexpr HRESULT DDERR_INVALIDPARAMS = E_INVALIDARG;
constexpr HRESULT DDERR_INCOMPATIBLEPRIMARY = MAKE_DDHRESULT(0x05F);  // this one, INVALIDOBJECT and
constexpr HRESULT DDERR_INVALIDOBJECT = MAKE_DDHRESULT(0x082);        // IMPLICITLYCREATED come only from the fault plan
constexpr HRESULT DDERR_NOEXCLUSIVEMODE = MAKE_DDHRESULT(0x0E1);
constexpr HRESULT DDERR_SURFACELOST = MAKE_DDHRESULT(0x1C2);
constexpr HRESULT DDERR_WASSTILLDRAWING = MAKE_DDHRESULT(0x21C);
constexpr HRESULT DDERR_WRONGMODE = MAKE_DDHRESULT(0x24B);          // surface made for another mode
constexpr HRESULT DDERR_IMPLICITLYCREATED = MAKE_DDHRESULT(0x24C);
constexpr HRESULT DDERR_INVALIDMODE = MAKE_DDHRESULT(0x300);        // chosen here: mode not listed
constexpr HRESULT DDERR_INVALIDRECT = MAKE_DDHRESULT(0x301);        // chosen here: rectangle outside a surface
constexpr HRESULT DDERR_INVALIDCAPS = MAKE_DDHRESULT(0x302);        // chosen here: surface kind not offered
constexpr HRESULT DDERR_INVALIDPIXELFORMAT = MAKE_DDHRESULT(0x303); // chosen here: formats differ
constexpr HRESULT DDERR_NOTFOUND = MAKE_DDHRESULT(0x304);           // chosen here: no such attached surface
constexpr HRESULT DDERR_NOTFLIPPABLE = MAKE_DDHRESULT(0x305);       // chosen here: not a flipping primary
constexpr HRESULT DDERR_SURFACEBUSY = MAKE_DDHRESULT(0x306);        // chosen here: locked or its DC is out
constexpr HRESULT DDERR_NOTLOCKED = MAKE_DDHRESULT(0x307);          // chosen here
constexpr HRESULT DDERR_DCALREADYCREATED = MAKE_DDHRESULT(0x308);   // chosen here
constexpr HRESULT DDERR_NOCOLORKEY = MAKE_DDHRESULT(0x309);         // chosen here: keyed blit, no key set
constexpr HRESULT DDERR_EXCLUSIVEMODEALREADYSET = MAKE_DDHRESULT(0x30A);      // chosen here
constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = MAKE_DDHRESULT(0x30B);  // chosen here
constexpr HRESULT DDERR_INVALIDDIRECTDRAWGUID = MAKE_DDHRESULT(0x30C);        // chosen here: unknown device

// Cooperative level (SetCooperativeLevel); exclusive full screen is the one level offered.
constexpr DWORD DDSCL_FULLSCREEN = 0x1, DDSCL_ALLOWREBOOT = 0x2, DDSCL_EXCLUSIVE = 0x10, DDSCL_ALLOWMODEX = 0x40;

// Surface description fields present (DDSURFACEDESC2::dwFlags).
constexpr DWORD DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8, DDSD_BACKBUFFERCOUNT = 0x20,
                DDSD_LPSURFACE = 0x800, DDSD_PIXELFORMAT = 0x1000;

// Surface capabilities (DDSCAPS2::dwCaps).
constexpr DWORD DDSCAPS_BACKBUFFER = 0x4, DDSCAPS_COMPLEX = 0x8, DDSCAPS_FLIP = 0x10, DDSCAPS_OFFSCREENPLAIN = 0x40,
                DDSCAPS_PRIMARYSURFACE = 0x200;

// Pixel format flags (DDPIXELFORMAT::dwFlags).
constexpr DWORD DDPF_PALETTEINDEXED8 = 0x20, DDPF_RGB = 0x40;

// Blt, BltFast, SetColorKey.
constexpr DWORD DDBLT_COLORFILL = 0x400, DDBLT_WAIT = 0x1000000;
constexpr DWORD DDBLTFAST_NOCOLORKEY = 0x0, DDBLTFAST_SRCCOLORKEY = 0x1, DDBLTFAST_WAIT = 0x10;
constexpr DWORD DDCKEY_SRCBLT = 0x8;

// Driver capabilities (DDCAPS).
constexpr DWORD DDCAPS_BLT = 0x40, DDCAPS_COLORKEY = 0x400000, DDCAPS_BLTCOLORFILL = 0x4000000;
constexpr DWORD DDCAPS2_PRIMARYGAMMA = 0x20000;

// Enumeration.
constexpr DWORD DDENUM_ATTACHEDSECONDARYDEVICES = 0x1;
constexpr HRESULT DDENUMRET_CANCEL = 0, DDENUMRET_OK = 1;

// Structures. Every one with a dwSize field wants it set to sizeof of the structure.
struct DDCOLORKEY {
  DWORD dwColorSpaceLowValue;   // the key: a pixel value in the surface's format
  DWORD dwColorSpaceHighValue;  // not used: keys are single values
};
struct DDSCAPS2 {
  DWORD dwCaps;
  DWORD dwCaps2;
  DWORD dwCaps3;
  DWORD dwCaps4;
};
struct DDPIXELFORMAT {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwRGBBitCount;
  DWORD dwRBitMask;  // masks are 0 for the palette-indexed format
  DWORD dwGBitMask;
  DWORD dwBBitMask;
};
struct DDSURFACEDESC2 {
  DWORD dwSize;
  DWORD dwFlags;
  DWORD dwHeight;
  DWORD dwWidth;
  LONG lPitch;  // bytes from one row to the next
  DWORD dwBackBufferCount;
  LPVOID lpSurface;  // set by Lock
  DDPIXELFORMAT ddpfPixelFormat;
  DDSCAPS2 ddsCaps;
};
// The record is 380 bytes, as the version-7 callers size it; this layer fills only the two
// capability words and leaves the rest zero.
struct DDCAPS {
  DWORD dwSize;
  DWORD dwCaps;
  DWORD dwCaps2;
  BYTE Reserved[368];
};
static_assert(sizeof(DDCAPS) == 380);
struct DDBLTFX {
  DWORD dwSize;
  DWORD dwFillColor;  // a pixel value in the destination's format
};
struct DDGAMMARAMP {
  WORD red[256];
  WORD green[256];
  WORD blue[256];
};

// Interface identifiers.
inline constexpr IID IID_IUnknown = {0x7C1A0000, 0x51D0, 0x4E2B, {0x9A, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
inline constexpr IID IID_IDirectDraw = {0x7C1A0001, 0x51D0, 0x4E2B, {0x9A, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}};
inline constexpr IID IID_IDirectDraw7 = {0x7C1A0007, 0x51D0, 0x4E2B, {0x9A, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x03}};
inline constexpr IID IID_IDirectDrawSurface7 = {0x7C1A0017, 0x51D0, 0x4E2B,
                                                {0x9A, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04}};
inline constexpr IID IID_IDirectDrawGammaControl = {0x7C1A0069, 0x51D0, 0x4E2B,
                                                    {0x9A, 0x11, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05}};

// Interfaces: reference-counted objects; Release of the last reference destroys one.
// A failing call that hands out an interface stores null in its out pointer.
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID iid, LPVOID* object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;

 protected:
  ~IUnknown() = default;
};

struct IDirectDrawSurface7;
using LPDIRECTDRAWSURFACE7 = IDirectDrawSurface7*;
using LPDDENUMMODESCALLBACK2 = HRESULT (*)(DDSURFACEDESC2* mode, LPVOID context);
using LPDDENUMCALLBACKEXA = BOOL (*)(GUID* guid, LPSTR description, LPSTR name, LPVOID context, HMONITOR monitor);

struct IDirectDraw : IUnknown {
  // Either pointer may be null; dwCaps2 carries DDCAPS2_PRIMARYGAMMA where gamma is offered.
  virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
  // Lists every mode (flags 0, filter null) until the callback returns DDENUMRET_CANCEL.
  virtual HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                                   LPDDENUMMODESCALLBACK2 callback) = 0;

 protected:
  ~IDirectDraw() = default;
};
using LPDIRECTDRAW = IDirectDraw*;

struct IDirectDraw7 : IUnknown {
  virtual HRESULT GetCaps(DDCAPS* driverCaps, DDCAPS* emulationCaps) = 0;
  virtual HRESULT EnumDisplayModes(DWORD flags, DDSURFACEDESC2* filter, LPVOID context,
                                   LPDDENUMMODESCALLBACK2 callback) = 0;
  // Exclusive full screen for `window`; the display device for the window is chosen here.
  virtual HRESULT SetCooperativeLevel(HWND window, DWORD flags) = 0;
  // Only listed modes, refresh rate 0 (the default) and flags 0.
  virtual HRESULT SetDisplayMode(DWORD width, DWORD height, DWORD bitsPerPixel, DWORD refreshRate, DWORD flags) = 0;
  virtual HRESULT GetDisplayMode(DDSURFACEDESC2* mode) = 0;
  // The primary flipping chain (flags DDSD_CAPS | DDSD_BACKBUFFERCOUNT, one back buffer, caps
  // DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX) in the mode set, or an offscreen
  // plain surface (flags DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT, 1 to 16384 pixels a side), both
  // in the display's pixel format.
  virtual HRESULT CreateSurface(DDSURFACEDESC2* desc, LPDIRECTDRAWSURFACE7* surface, IUnknown* outer) = 0;
  virtual HRESULT RestoreAllSurfaces() = 0;

 protected:
  ~IDirectDraw7() = default;
};
using LPDIRECTDRAW7 = IDirectDraw7*;

struct IDirectDrawSurface7 : IUnknown {
  // Primary only: shows the back buffer (override must be null or the back buffer; flags 0).
  virtual HRESULT Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) = 0;
  // DDBLT_COLORFILL (with or without DDBLT_WAIT): fills `destRect` (null: the whole surface).
  virtual HRESULT Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags,
                      DDBLTFX* fx) = 0;
  // Copies `sourceRect` (null: the whole source) to (x, y). Nothing is clipped: a source
  // rectangle that is empty or reaches outside the source, or a destination that does not fit
  // inside this surface, fails with DDERR_INVALIDRECT and copies nothing.
  virtual HRESULT BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT sourceRect, DWORD flags) = 0;
  // DDCKEY_SRCBLT; a null key removes the key.
  virtual HRESULT SetColorKey(DWORD flags, DDCOLORKEY* key) = 0;
  // Whole surface only (rect null); fills lpSurface, lPitch and ddpfPixelFormat.
  virtual HRESULT Lock(LPRECT rect, DDSURFACEDESC2* desc, DWORD flags, HANDLE event) = 0;
  virtual HRESULT Unlock(LPRECT rect) = 0;
  // A GDI device context drawing straight into the surface, until ReleaseDC.
  virtual HRESULT GetDC(HDC* dc) = 0;
  virtual HRESULT ReleaseDC(HDC dc) = 0;
  virtual HRESULT IsLost() = 0;
  virtual HRESULT Restore() = 0;
  // On the primary, DDSCAPS_BACKBUFFER gives its back buffer (with a reference for the caller).
  virtual HRESULT GetAttachedSurface(DDSCAPS2* caps, LPDIRECTDRAWSURFACE7* surface) = 0;
  virtual HRESULT GetSurfaceDesc(DDSURFACEDESC2* desc) = 0;

 protected:
  ~IDirectDrawSurface7() = default;
};

// The primary surface's gamma ramp (reached by QueryInterface on the primary when the driver
// offers DDCAPS2_PRIMARYGAMMA). Safe to call from any thread; flags must be 0.
struct IDirectDrawGammaControl : IUnknown {
  virtual HRESULT GetGammaRamp(DWORD flags, DDGAMMARAMP* ramp) = 0;
  virtual HRESULT SetGammaRamp(DWORD flags, const DDGAMMARAMP* ramp) = 0;

 protected:
  ~IDirectDrawGammaControl() = default;
};
using LPDIRECTDRAWGAMMACONTROL = IDirectDrawGammaControl*;

// A DirectDraw object for a device: null `guid` for the primary display driver, or a GUID
// that DirectDrawEnumerateExA reported. `outer` must be null.
HRESULT DirectDrawCreate(GUID* guid, LPDIRECTDRAW* object, IUnknown* outer);

// Reports the primary display driver (null GUID), and with DDENUM_ATTACHEDSECONDARYDEVICES one
// device per monitor, until the callback returns FALSE. Also exported by the built-in module
// "ddraw.dll" for LoadLibraryA / GetProcAddress.
HRESULT DirectDrawEnumerateExA(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);
