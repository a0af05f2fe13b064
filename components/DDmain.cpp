// The display owner: the open sequence with its error texts, the per-frame clear and flip with
// the frame-rate and text lines, and the restore of lost surfaces.
#include "components/DDmain.h"

#include <algorithm>
#include <cstdio>

#include "platform/gdi/Gdi.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"
#include "platform/winmm/MMSystem.h"

namespace {

constexpr DWORD kCooperativeFlags = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX;
constexpr int kFramesPerFigure = 10;

struct TRestoreCode {
  HRESULT Code;
  const char* Name;
};
// The results of a failed Restore that the restore texts name.
constexpr TRestoreCode kRestoreCodes[] = {
    {DDERR_UNSUPPORTED, "DDERR_UNSUPPORTED"},
    {DDERR_GENERIC, "DDERR_GENERIC"},
    {DDERR_OUTOFMEMORY, "DDERR_OUTOFMEMORY"},
    {DDERR_INVALIDPARAMS, "DDERR_INVALIDPARAMS"},
    {DDERR_INCOMPATIBLEPRIMARY, "DDERR_INCOMPATIBLEPRIMARY"},
    {DDERR_INVALIDOBJECT, "DDERR_INVALIDOBJECT"},
    {DDERR_NOEXCLUSIVEMODE, "DDERR_NOEXCLUSIVEMODE"},
    {DDERR_WRONGMODE, "DDERR_WRONGMODE"},
    {DDERR_IMPLICITLYCREATED, "DDERR_IMPLICITLYCREATED"},
};

// The name a restore text carries for `result`, or null when the result is not one of them.
const char* RestoreCodeName(HRESULT result) {
  for (const TRestoreCode& code : kRestoreCodes)
    if (code.Code == result) return code.Name;
  return nullptr;
}

using TDirectDrawEnumerateExA = HRESULT (*)(LPDDENUMCALLBACKEXA callback, LPVOID context, DWORD flags);

}  // namespace

TDDmain::TDDmain(TComponent* AOwner) : TComponent(AOwner) { FLineCopy.reserve(256); }

TDDmain::~TDDmain() { CloseDirectDraw(); }

void TDDmain::SetEnabled(bool Value) {
  if (Value == Enabled) return;
  Enabled = Value;
  if (Value) {
    OpenDirectDraw();
  } else {
    CloseDirectDraw();
  }
}

void TDDmain::Report(const AnsiString& Text) {
  SetErrorResult(Text);
  if (OnError) OnError(this);
}

void TDDmain::Fail(const AnsiString& Text) {
  SetErrorResult(Text);
  CloseDirectDraw();
  if (OnError) OnError(this);
}

void TDDmain::OpenDirectDraw() {
  if (DualMonitor) {
    if (GetSystemMetrics(SM_CMONITORS) < 2) {
      Report("This program work only in dual monitor system!");
      return;
    }
    FDeviceCount = 0;
    FMonitorGuid.reset();
    if (EnumerateScreens() == E_FAIL) {
      Report("ERROR EnumerateScreens");
      if (!Enabled) return;  // the handler closed the display
    }
    FResult = DirectDrawCreate(FMonitorGuid ? &*FMonitorGuid : nullptr, &FpDD, nullptr);
    if (FAILED(FResult)) return Fail("Error DirectDrawCreate on secondary monitor");
  } else {
    FResult = DirectDrawCreate(nullptr, &FpDD, nullptr);
    if (FAILED(FResult)) return Fail("Error DirectDrawCreate");
  }
  OpenOnDevice();
}

void TDDmain::OpenOnDevice() {
  FResult = FpDD->QueryInterface(IID_IDirectDraw7, reinterpret_cast<LPVOID*>(&FpDD7));
  if (FAILED(FResult)) return Fail("Error DirectDrawCreate7");

  if (!DefineFormHandle || !DDForm) DDForm = dynamic_cast<TForm*>(GetOwner());
  FResult = FpDD7->SetCooperativeLevel(DDForm ? DDForm->GetHandle() : nullptr, kCooperativeFlags);
  if (FAILED(FResult)) return Fail("Error SetCooperativeLevel");

  FResult = FpDD7->SetDisplayMode(static_cast<DWORD>(GetWidth()), static_cast<DWORD>(GetHeight()),
                                  static_cast<DWORD>(ColorDepth), 0, 0);
  if (FAILED(FResult)) return Fail("Error SetDisplayMode");

  DDSURFACEDESC2 desc{};
  desc.dwSize = sizeof(desc);
  desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
  desc.dwBackBufferCount = 1;
  desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
  FResult = FpDD7->CreateSurface(&desc, &FpDDSPrimary, nullptr);
  if (FAILED(FResult)) return Fail("Error CreatePrimarySurface");

  DDSCAPS2 caps{DDSCAPS_BACKBUFFER, 0, 0, 0};
  FResult = FpDDSPrimary->GetAttachedSurface(&caps, &FpDDSBack);
  if (FAILED(FResult)) return Fail("Error CreateBackSurface");
}

void TDDmain::CloseDirectDraw() {
  std::lock_guard lock(FInterfaceLock);
  ReleaseInterface(FpDDSBack);
  ReleaseInterface(FpDDSPrimary);
  ReleaseInterface(FpDD7);
  ReleaseInterface(FpDD);
}

HRESULT TDDmain::EnumerateScreens() {
  HMODULE library = LoadLibraryA("ddraw.dll");
  if (!library) return E_FAIL;
  auto enumerate = reinterpret_cast<TDirectDrawEnumerateExA>(GetProcAddress(library, "DirectDrawEnumerateExA"));
  if (!enumerate) {
    FreeLibrary(library);
    return E_FAIL;
  }
  const HRESULT result = enumerate(&MonitorEnumCallback, this, DDENUM_ATTACHEDSECONDARYDEVICES);
  FreeLibrary(library);
  return result;
}

BOOL TDDmain::MonitorEnumCallback(GUID* guid, LPSTR, LPSTR, LPVOID context, HMONITOR) {
  auto* self = static_cast<TDDmain*>(context);
  // The primary display driver comes first, then one device per monitor: the third device
  // reported is the second monitor.
  if (self->FDeviceCount == 2 && guid) self->FMonitorGuid = *guid;
  ++self->FDeviceCount;
  return TRUE;
}

void TDDmain::FlipSurfaces() {
  if (!FpDD) return Report("Error FpDD==NULL");
  if (ShowFPS) {
    FuncShowFPS();
    if (!FpDD) return;
  }
  if (!ShowLine(FLine1, 20) || !ShowLine(FLine2, 40) || !ShowLine(FLine3, 60)) return;
  for (;;) {
    FResult = FpDDSPrimary->Flip(nullptr, 0);
    if (FResult == DDERR_WASSTILLDRAWING) continue;
    if (FResult == DDERR_SURFACELOST) MakeRestSurface();
    return;
  }
}

bool TDDmain::ShowLine(const TTextLine& Line, int y) {
  {
    std::lock_guard lock(FTextLock);
    if (!Line.Show) return true;
    FLineCopy.assign(Line.Text);
  }
  FuncShowTST(FLineCopy, 20, y);
  return FpDD != nullptr;
}

void TDDmain::FuncShowFPS() {
  if (!FpDD) return Report("Error FpDD==NULL");
  if (++FFrameCount == kFramesPerFigure) {
    FPreviousTime = FLastTime;
    FLastTime = timeGetTime();
    // Ten frames within one millisecond count as one millisecond: the figure's upper bound.
    const DWORD elapsed = std::max<DWORD>(FLastTime - FPreviousTime, 1);
    FFrameRate = static_cast<int>(kFramesPerFigure * 1000u / elapsed);
    FFrameCount = 0;
  }
  char text[40];
  const int length = std::snprintf(text, sizeof(text), "Frame rate: %d FPS", FFrameRate);
  PutText(text, length, 20, GetHeight() - 30, "Error FpDDSBack->GetDC (show FPS)");
}

void TDDmain::FuncShowTST(const AnsiString& Text, int x, int y) {
  PutText(Text.c_str(), static_cast<int>(Text.size()), x, y, "Error FpDDSBack->GetDC (show TST)");
}

void TDDmain::PutText(const char* Text, int Length, int x, int y, const char* FailText) {
  if (!FpDDSBack || FpDDSBack->IsLost() != DD_OK) return;
  HDC dc = nullptr;
  FResult = FpDDSBack->GetDC(&dc);
  if (FAILED(FResult)) return Fail(FailText);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, 0xFFFFFF);
  TextOutA(dc, x, y, Text, Length);
  FpDDSBack->ReleaseDC(dc);
}

void TDDmain::ClearBackSurface() {
  if (!FpDD) return Report("Error FpDD==NULL");
  for (;;) {
    const HRESULT lost = FpDDSBack->IsLost();
    if (lost == DD_OK) {
      DDBLTFX fx{};
      fx.dwSize = sizeof(fx);
      fx.dwFillColor = 0;
      FpDDSBack->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
      return;
    }
    if (lost != DDERR_SURFACELOST) return Report("Unrecognized ERROR ClearBackSurface");
    if (!MakeRestSurface()) return Report("Cannot RestoreAllSurfaces");
  }
}

bool TDDmain::MakeRestSurface() {
  if (!FpDD) {
    Report("Error FpDD==NULL (MakeRestSurface)");
    return false;
  }
  if (FpDD7->RestoreAllSurfaces() == DD_OK) return true;
  if (const char* name = RestoreCodeName(FpDDSPrimary->Restore())) {
    Report(AnsiString("Error Primary ") + name + " (MakeRestSurface)");
    return false;
  }
  if (const char* name = RestoreCodeName(FpDDSBack->Restore())) {
    Report(AnsiString("Error FpDDSBack ") + name + " (MakeRestSurface)");
    return false;
  }
  return true;
}

bool TDDmain::GetShow(const TTextLine& Line) const {
  std::lock_guard lock(FTextLock);
  return Line.Show;
}

void TDDmain::SetShow(TTextLine& Line, bool Value) {
  std::lock_guard lock(FTextLock);
  Line.Show = Value;
}

AnsiString TDDmain::GetText(const TTextLine& Line) const {
  std::lock_guard lock(FTextLock);
  return Line.Text;
}

void TDDmain::SetText(TTextLine& Line, const AnsiString& Value) {
  std::lock_guard lock(FTextLock);
  Line.Text = Value;
}

bool TDDmain::GetShowTestString() const { return GetShow(FLine1); }
void TDDmain::SetShowTestString(bool Value) { SetShow(FLine1, Value); }
AnsiString TDDmain::GetTestString() const { return GetText(FLine1); }
void TDDmain::SetTestString(const AnsiString& Value) { SetText(FLine1, Value); }
bool TDDmain::GetShowTestString2() const { return GetShow(FLine2); }
void TDDmain::SetShowTestString2(bool Value) { SetShow(FLine2, Value); }
AnsiString TDDmain::GetTestString2() const { return GetText(FLine2); }
void TDDmain::SetTestString2(const AnsiString& Value) { SetText(FLine2, Value); }
bool TDDmain::GetShowTestString3() const { return GetShow(FLine3); }
void TDDmain::SetShowTestString3(bool Value) { SetShow(FLine3, Value); }
AnsiString TDDmain::GetTestString3() const { return GetText(FLine3); }
void TDDmain::SetTestString3(const AnsiString& Value) { SetText(FLine3, Value); }

void DDmain::Register() { RegisterComponents("roVivavaV", {ComponentClassOf<TDDmain>()}); }
