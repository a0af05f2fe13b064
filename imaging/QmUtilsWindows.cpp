// Windows of the image library's helpers: centring, client edges, activation of this program's
// windows and of a previous instance, message removal, waiting, message boxes and libraries.
#include "imaging/QmUtils.h"
#include "platform/user/WinUser.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"

namespace {

constexpr UINT kFrameChanged = SWP_FRAMECHANGED | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
constexpr UINT kMoveOnly = SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
constexpr int kClassNameBuffer = 255;

BOOL FindBuilder(HWND Wnd, LPARAM Found) {
  if (WindowClassName(Wnd) != "TAppBuilder") return TRUE;
  *reinterpret_cast<bool*>(Found) = true;
  return FALSE;
}

BOOL FindActive(HWND Wnd, LPARAM Active) {
  if (Wnd != *reinterpret_cast<HWND*>(Active)) return TRUE;
  *reinterpret_cast<HWND*>(Active) = nullptr;  // found: marked by clearing
  return FALSE;
}

// A zero-terminated copy for a platform call, freed after it.
struct TextArgument {
  explicit TextArgument(const AnsiString& text) : Copy(text.empty() ? nullptr : StrPAlloc(text)) {}
  ~TextArgument() { StrDispose(Copy); }
  TextArgument(const TextArgument&) = delete;
  TextArgument& operator=(const TextArgument&) = delete;
  char* Copy;
};

}  // namespace

void CenterControl(TControl* Control) {
  int width = 0, height = 0;
  if (auto* form = dynamic_cast<TForm*>(Control)) {
    TForm* main = Application->GetMainForm();
    const bool inFrame = form->GetFormStyle() == fsMDIChild && main;
    width = inFrame ? main->GetClientWidth() : Screen->GetWidth();
    height = inFrame ? main->GetClientHeight() : Screen->GetHeight();
  } else {
    TWinControl* parent = Control->GetParent();
    if (!parent) return;
    parent->HandleNeeded();
    width = parent->GetClientWidth();
    height = parent->GetClientHeight();
  }
  const int x = Max(0, (width - Control->GetWidth()) / 2), y = Max(0, (height - Control->GetHeight()) / 2);
  Control->SetBounds(x, y, Control->GetWidth(), Control->GetHeight());
}

void CenterWindow(HWND Wnd) {
  RECT r{};
  GetWindowRect(Wnd, &r);
  const int x = Max(0, (GetSystemMetrics(SM_CXSCREEN) - (r.right - r.left)) / 2);
  const int y = Max(0, (GetSystemMetrics(SM_CYSCREEN) - (r.bottom - r.top)) / 2);
  SetWindowPos(Wnd, nullptr, x, y, 0, 0, kMoveOnly);
}

void ShowMDIClientEdge(HWND ClientHandle, bool ShowEdge) {
  if (!ClientHandle) return;
  const LONG_PTR style = GetWindowLongA(ClientHandle, GWL_EXSTYLE);
  const LONG_PTR wanted = ShowEdge ? style | WS_EX_CLIENTEDGE : style & ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE);
  if (wanted == style) return;
  SetWindowLongA(ClientHandle, GWL_EXSTYLE, wanted);
  SetWindowPos(ClientHandle, nullptr, 0, 0, 0, 0, kFrameChanged);
}

AnsiString WindowClassName(HWND Wnd) {
  char name[kClassNameBuffer];
  const int length = GetClassNameA(Wnd, name, kClassNameBuffer);
  return AnsiString(name, static_cast<std::size_t>(std::max(length, 0)));
}

void ShowWinNoAnimate(HWND Handle, int CmdShow) {
  ANIMATIONINFO animation{sizeof(ANIMATIONINFO), 0};
  const bool animated = SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0) &&
                        animation.iMinAnimate != 0;
  if (animated) {
    animation.iMinAnimate = 0;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
  }
  ShowWindow(Handle, CmdShow);
  if (animated) {
    animation.iMinAnimate = 1;
    SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
  }
}

void SwitchToWindow(HWND Wnd, bool Restore) {
  if (!IsWindowEnabled(Wnd)) return;
  SetForegroundWindow(Wnd);
  if (!Restore || !IsWindowVisible(Wnd)) return;
  if (!IsZoomed(Wnd)) SendMessageA(Wnd, WM_SYSCOMMAND, SC_RESTORE, 0);
  SetFocus(Wnd);
}

void ActivateWindow(HWND Wnd) {
  if (!Wnd) return;
  ShowWinNoAnimate(Wnd, SW_SHOW);
  SetForegroundWindow(Wnd);
}

HWND FindPrevInstance(const AnsiString& MainFormClass, const AnsiString& ATitle) {
  if (MainFormClass.empty() && ATitle.empty()) return nullptr;
  const TextArgument className(MainFormClass), title(ATitle);
  return FindWindowA(className.Copy, title.Copy);
}

bool ActivatePrevInstance(const AnsiString& MainFormClass, const AnsiString& ATitle) {
  HWND top = FindPrevInstance(MainFormClass, ATitle);
  if (!top) return false;
  for (HWND owner = reinterpret_cast<HWND>(GetWindowLongA(top, GWL_HWNDPARENT));
       owner && owner != GetDesktopWindow(); owner = reinterpret_cast<HWND>(GetWindowLongA(owner, GWL_HWNDPARENT)))
    top = owner;
  if (WindowClassName(top) == "TApplication") {
    bool builder = false;
    EnumThreadWindows(GetWindowThreadProcessId(top, nullptr), FindBuilder, reinterpret_cast<LPARAM>(&builder));
    if (builder) return false;
    if (IsIconic(top)) {
      SendMessageA(top, WM_SYSCOMMAND, SC_RESTORE, 0);
      return true;
    }
    ShowWinNoAnimate(top, SW_SHOWNOACTIVATE);
  } else {
    ActivateWindow(top);
  }
  HWND popup = GetLastActivePopup(top);
  if (popup != top && IsWindowVisible(popup) && IsWindowEnabled(popup))
    SetForegroundWindow(popup);
  else
    ActivateWindow(popup);
  return true;
}

bool IsForegroundTask() {
  HWND active = GetActiveWindow();
  if (!active) return false;
  EnumThreadWindows(GetCurrentThreadId(), FindActive, reinterpret_cast<LPARAM>(&active));
  return active == nullptr;
}

void KillMessage(HWND Wnd, UINT Msg) {
  MSG message{};
  if (PeekMessageA(&message, Wnd, Msg, Msg, PM_REMOVE) && message.message == WM_QUIT)
    PostQuitMessage(static_cast<int>(message.wParam));
}

// The clock is read as signed 32-bit counts, so a wrap of the counter ends the wait.
void Delay(LONG MSecs) {
  const auto start = static_cast<LONG>(GetTickCount());
  for (;;) {
    Application->ProcessMessages();
    const auto now = static_cast<LONG>(GetTickCount());
    if (static_cast<LONG>(static_cast<DWORD>(now) - static_cast<DWORD>(start)) >= MSecs || now < start) return;
    Sleep(1);  // leaves the processor to others between the rounds
  }
}

int MsgBox(const AnsiString& Caption, const AnsiString& Text, int Flags) {
  return Application->MessageBox(Text.c_str(), Caption.c_str(), Flags);
}

WORD MsgDlg(const AnsiString& Msg, TMsgDlgType AType, TMsgDlgButtons AButtons, LONG HelpCtx) {
  return static_cast<WORD>(MessageDlg(Msg, AType, AButtons, HelpCtx));
}

void Beep() { MessageBeep(0); }

HINSTANCE LoadDLL(const AnsiString& LibName) {
  const UINT previous = SetErrorMode(SEM_NOOPENFILEERRORBOX);
  HINSTANCE library = LoadLibraryA(LibName.c_str());
  SetErrorMode(previous);
  if (reinterpret_cast<std::uintptr_t>(library) < 32) RaiseLastWin32Error();
  return library;
}

bool RegisterServer(const AnsiString& ModuleName) {
  HINSTANCE library = LoadDLL(ModuleName);
  struct Free {
    HINSTANCE library;
    ~Free() { FreeLibrary(library); }
  } free{library};
  FARPROC entry = GetProcAddress(library, "DllRegisterServer");
  if (!entry) return false;
  reinterpret_cast<HRESULT (*)()>(entry)();
  return true;
}

void FreeUnusedOle() { FreeLibrary(GetModuleHandleA("OleAut32")); }
