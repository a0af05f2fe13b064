// The display owner: exclusive full-screen DirectDraw in a chosen mode, the primary surface with
// one back buffer, clear, flip with lost-surface restore, the frame-rate line and three text lines.
#pragma once

#include <atomic>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/ddraw/DDraw.h"
#include "platform/vcl/Classes.h"

class TForm;

// Gives back the reference an interface field holds and empties the field.
template <class T>
void ReleaseInterface(T*& Interface) {
  if (Interface) std::exchange(Interface, nullptr)->Release();
}

class TDDmain : public TComponent {
 public:
  explicit TDDmain(TComponent* AOwner);
  // Releases whatever is still open, so a component destroyed while enabled leaks nothing.
  ~TDDmain() override;

  bool GetShowFPS() const { return ShowFPS; }
  void SetshowFPS(bool Value) { ShowFPS = Value; }
  bool GetEnabled() const { return Enabled; }
  // true opens DirectDraw, false closes it; the same value as now does nothing.
  void SetEnabled(bool Value);
  TNotifyEvent OnError;
  // Read on the timer thread too, hence atomic.
  int GetWidth() const { return Width.load(std::memory_order_relaxed); }
  void SetWidth(int Value) { Width.store(Value, std::memory_order_relaxed); }
  int GetHeight() const { return Height.load(std::memory_order_relaxed); }
  void SetHeight(int Value) { Height.store(Value, std::memory_order_relaxed); }
  int GetColorDepth() const { return ColorDepth; }
  void SetColorDepth(int Value) { ColorDepth = Value; }
  const AnsiString& GetErrorResult() const { return ErrorResult; }
  void SetErrorResult(const AnsiString& Value) { ErrorResult = Value; }
  bool GetDualMonitor() const { return DualMonitor; }
  void SetDualMonitor(bool Value) { DualMonitor = Value; }
  bool GetDefineFormHandle() const { return DefineFormHandle; }
  void SetFormHandle(bool Value) { DefineFormHandle = Value; }
  TForm* GetDDForm() const { return DDForm; }
  void SetParentForm(TForm* Value) { DDForm = Value; }

  // The text lines may be replaced from the timer thread while FlipSurfaces draws them.
  bool GetShowTestString() const;
  void SetShowTestString(bool Value);
  AnsiString GetTestString() const;
  void SetTestString(const AnsiString& Value);
  bool GetShowTestString2() const;
  void SetShowTestString2(bool Value);
  AnsiString GetTestString2() const;
  void SetTestString2(const AnsiString& Value);
  bool GetShowTestString3() const;
  void SetShowTestString3(bool Value);
  AnsiString GetTestString3() const;
  void SetTestString3(const AnsiString& Value);

  void OpenDirectDraw();
  void CloseDirectDraw();
  // Once per frame, after the frame was drawn on FpDDSBack.
  void FlipSurfaces();
  // Once per frame, before drawing.
  void ClearBackSurface();
  // Restores lost surfaces; true when drawing may go on.
  bool MakeRestSurface();
  void FuncShowFPS();
  void FuncShowTST(const AnsiString& Text, int x, int y);
  HRESULT EnumerateScreens();

  // The frame-rate figure the line shows (updated every ten frames).
  int GetFrameRate() const { return FFrameRate; }

  // Held by the component while open, null while closed; the other display components read
  // them without taking references of their own.
  IDirectDraw* FpDD = nullptr;
  IDirectDraw7* FpDD7 = nullptr;
  IDirectDrawSurface7* FpDDSPrimary = nullptr;
  IDirectDrawSurface7* FpDDSBack = nullptr;

  // Held while the interfaces are released. The gamma control copies them on the timer
  // thread and takes this lock for that, so a close on the main thread cannot free them
  // in between.
  std::mutex& InterfaceLock() const { return FInterfaceLock; }

 private:
  struct TTextLine {
    bool Show = false;
    AnsiString Text;
  };

  // ErrorResult := Text, then OnError with this component as sender.
  void Report(const AnsiString& Text);
  // Report after closing DirectDraw: how every step of the open sequence fails.
  void Fail(const AnsiString& Text);
  void OpenOnDevice();
  bool GetShow(const TTextLine& Line) const;
  void SetShow(TTextLine& Line, bool Value);
  AnsiString GetText(const TTextLine& Line) const;
  void SetText(TTextLine& Line, const AnsiString& Value);
  // Draws one text line from a copy taken under the lock; false when DirectDraw got closed.
  bool ShowLine(const TTextLine& Line, int y);
  // Background mode, colour and text on the back surface; GetDC failure fails with FailText.
  void PutText(const char* Text, int Length, int x, int y, const char* FailText);
  static BOOL MonitorEnumCallback(GUID* guid, LPSTR description, LPSTR name, LPVOID context, HMONITOR monitor);

  TForm* DDForm = nullptr;
  bool Enabled = false;
  HRESULT FResult = DD_OK;
  std::atomic<int> Width{800};
  std::atomic<int> Height{600};
  int ColorDepth = 24;
  AnsiString ErrorResult;
  bool ShowFPS = false;
  bool DualMonitor = false;
  bool DefineFormHandle = false;

  mutable std::mutex FTextLock;  // guards the three text lines
  mutable std::mutex FInterfaceLock;
  TTextLine FLine1, FLine2, FLine3;
  AnsiString FLineCopy;  // reused by FlipSurfaces, so drawing a line allocates nothing

  // Frame-rate measurement.
  int FFrameCount = 0;
  DWORD FPreviousTime = 0;
  DWORD FLastTime = 0;
  int FFrameRate = 0;

  // Monitor enumeration.
  int FDeviceCount = 0;
  std::optional<GUID> FMonitorGuid;
};

namespace DDmain {
// Puts TDDmain on the palette page "roVivavaV" (design time only).
void Register();
}  // namespace DDmain
