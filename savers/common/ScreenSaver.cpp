// The screensaver modes: the full-screen scene, the setup dialog, the still preview in the
// host's window, and the password change and check through the platform's providers.
#include "savers/common/ScreenSaver.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <utility>

#include "platform/user/WinUser.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "platform/win32/Kernel32.h"

namespace {

bool errorEnd = false;  // main thread only

// The class library's ParamStr: the Index-th argument, empty when there is none.
AnsiString ParamStr(std::span<const AnsiString> Params, std::size_t Index) {
  return Index >= 1 && Index <= Params.size() ? Params[Index - 1] : AnsiString();
}

// A window handle that the host passes in decimal.
HWND HandleParam(const AnsiString& Text) {
  return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(static_cast<std::uint32_t>(StrToInt(Text))));
}

class TWindowDC {
 public:
  explicit TWindowDC(HWND Window) : FWindow(Window), FDC(GetDC(Window)) {}
  ~TWindowDC() { ReleaseDC(FWindow, FDC); }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC Get() const { return FDC; }

 private:
  HWND FWindow;
  HDC FDC;
};

// One still picture: the host shows its preview window a moment after starting the program.
// False when the handle names no window, or the window went away before it was shown.
bool ShowPreview(HWND Handle) {
  while (!IsWindowVisible(Handle)) {
    // A handle that names no window would keep this wait going for ever.
    if (!IsWindow(Handle)) return false;
    Application->ProcessMessages();
    Sleep(10);  // the wait lets messages through without taking a whole core
  }
  TWindowDC dc(Handle);
  TBitmap picture;
  picture.LoadFromResourceName(GetModuleHandleA(nullptr), "PREV_BITMAP");
  TCanvas canvas;
  canvas.SetHandle(dc.Get());
  canvas.Draw(0, 0, &picture);
  return true;
}

// A password provider loaded for one call.
class TProvider {
 public:
  explicit TProvider(LPCSTR Name) : FModule(LoadLibraryA(Name)) {}
  ~TProvider() { Free(); }
  TProvider(const TProvider&) = delete;
  TProvider& operator=(const TProvider&) = delete;
  bool Loaded() const { return FModule != nullptr; }
  void Free() {
    if (FModule) FreeLibrary(std::exchange(FModule, nullptr));
  }
  template <class TFunction>
  TFunction Export(LPCSTR Name) const {
    return reinterpret_cast<TFunction>(GetProcAddress(FModule, Name));
  }

 private:
  HMODULE FModule;
};

using TPwdChangePasswordA = DWORD (*)(LPCSTR Provider, HWND Parent, DWORD Reserved1, DWORD Reserved2);
using TVerifyScreenSavePwd = BOOL (*)(HWND Window);

void ChangePassword(HWND Parent) {
  TProvider provider("MPR.DLL");
  if (!provider.Loaded()) {
    MessageBoxA(Parent, "MPR.DLL not found: cannot change password.", "Screen saver", MB_OK);
    return MarkErrorEnd();
  }
  auto change = provider.Export<TPwdChangePasswordA>("PwdChangePasswordA");
  if (!change) {
    provider.Free();  // before the box, which may stay up a long while
    MessageBoxA(Parent, "PwdChangeProc not found: cannot change password", "Screen saver", MB_OK);
    return MarkErrorEnd();
  }
  change("SCRSAVE", Parent, 0, 0);
}

}  // namespace

TSaverMode SaverMode(const AnsiString& Param1) {
  const AnsiString mode = UpperCase(Param1);
  if (mode.size() <= 1) return TSaverMode::FullScreen;
  // The first character is the switch character, whatever it is.
  switch (mode[1]) {
    case 'P': return TSaverMode::Preview;
    case 'C': return TSaverMode::Setup;
    case 'A': return TSaverMode::ChangePassword;
    default: return TSaverMode::FullScreen;
  }
}

int RunScreenSaver(std::span<const AnsiString> Params, const TSaverProgram& Program) {
  errorEnd = false;
  try {
    switch (SaverMode(ParamStr(Params, 1))) {
      case TSaverMode::FullScreen:
        Application->Initialize();
        Program.CreateScene();
        Application->Run();
        break;
      case TSaverMode::Setup:
        Application->Initialize();
        Application->SetTitle(Program.SetupTitle);
        Program.CreateSetup();
        Application->Run();
        break;
      case TSaverMode::Preview:
        // The host learns that it named no window; a box would have no window to belong to.
        if (!ShowPreview(HandleParam(ParamStr(Params, 2)))) {
          SayOnStandardError("there is no window " + ParamStr(Params, 2) + " to show the preview in");
          MarkErrorEnd();
        }
        break;
      case TSaverMode::ChangePassword:
        ChangePassword(HandleParam(ParamStr(Params, 2)));
        break;
    }
  } catch (Exception& E) {
    Application->ShowException(&E);
    MarkErrorEnd();
  }
  // The host learns of a failure from the exit status, not only from the box the user saw.
  return errorEnd ? 1 : 0;
}

void MarkErrorEnd() { errorEnd = true; }

void SayOnStandardError(const AnsiString& What) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, What.c_str());
}

bool VerifyPassword(HWND Handle) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof(version);
  GetVersionExA(&version);
  // That platform family asks for the password itself, outside the screensaver.
  if (version.dwPlatformId == VER_PLATFORM_WIN32_NT) return true;
  TProvider provider("PASSWORD.CPL");
  auto verify = provider.Loaded() ? provider.Export<TVerifyScreenSavePwd>("VerifyScreenSavePwd") : nullptr;
  return !verify || verify(Handle) != FALSE;
}
