// Rectangles, palettes, errors and texts: the image library's small helpers that draw nothing.
#include "imaging/QmUtils.h"

#include <cstring>

#include "platform/user/WinUser.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"

namespace {

// String resource 61257 of the program, in the language it was written in.
const AnsiString SNotImplemented = "Функция не реализована";

constexpr DWORD kEnvBufferSize = 2048;

// The command line's tokens: blanks and control characters between them, quoted runs within.
class TokenReader {
 public:
  explicit TokenReader(const AnsiString& line) : FLine(line) {}

  // The next token; false at an empty one, which ends the line.
  bool Next(AnsiString& token) {
    token.clear();
    for (;;) {
      while (FPos < FLine.size() && IsSeparator(FLine[FPos])) ++FPos;
      if (FLine.compare(FPos, 2, "\"\"") != 0) break;
      FPos += 2;  // an empty pair of quotes between tokens
    }
    bool quoted = false;
    while (FPos < FLine.size() && FLine[FPos] != '\0') {
      const char c = FLine[FPos];
      if (c == '"') {
        quoted = !quoted;
      } else if (!quoted && IsSeparator(c)) {
        break;
      } else {
        token += c;
      }
      ++FPos;
    }
    return !token.empty();
  }

 private:
  static bool IsSeparator(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u >= 1 && u <= 32;
  }
  const AnsiString& FLine;
  std::size_t FPos = 0;
};

// The dialog base units: the low word across, the high word down.
int BaseUnitX() { return static_cast<int>(static_cast<DWORD>(GetDialogBaseUnits()) & 0xFFFF); }
int BaseUnitY() { return static_cast<int>(static_cast<DWORD>(GetDialogBaseUnits()) >> 16); }

}  // namespace

int WidthOf(const TRect& R) { return R.right - R.left; }
int HeightOf(const TRect& R) { return R.bottom - R.top; }

bool PointInRect(const TPoint& P, const TRect& R) {
  return P.x >= R.left && P.x <= R.right && P.y >= R.top && P.y <= R.bottom;
}

bool PointInPolyRgn(const TPoint& P, std::span<const TPoint> Points) {
  const std::vector<POINT> corners(Points.begin(), Points.end());
  HRGN region = CreatePolygonRgn(corners.data(), static_cast<int>(corners.size()), WINDING);
  const bool inside = PtInRegion(region, P.x, P.y) != FALSE;
  DeleteObject(region);
  return inside;
}

WORD DialogUnitsToPixelsX(WORD DlgUnits) { return static_cast<WORD>(DlgUnits * BaseUnitX() / 4); }
WORD DialogUnitsToPixelsY(WORD DlgUnits) { return static_cast<WORD>(DlgUnits * BaseUnitY() / 8); }
WORD PixelsToDialogUnitsX(WORD PixUnits) { return static_cast<WORD>(PixUnits * 4 / BaseUnitX()); }
WORD PixelsToDialogUnitsY(WORD PixUnits) { return static_cast<WORD>(PixUnits * 8 / BaseUnitY()); }

TRect ScreenWorkArea() {
  TRect area;
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) area = Rect(0, 0, Screen->GetWidth(), Screen->GetHeight());
  return area;
}

int PaletteEntries(HPALETTE Palette) {
  WORD count = 0;
  if (GetObjectA(Palette, sizeof count, &count) == 0) return 0;
  return count;
}

AnsiString ResStr(const AnsiString& Ident) { return Ident; }

void ResourceNotFound(LPCSTR ResID) {
  const AnsiString name =
      IS_INTRESOURCE(ResID) ? IntToStr(reinterpret_cast<std::uintptr_t>(ResID) & 0xFFFF) : AnsiString(ResID);
  throw EResNotFound(Format(ResStr("Resource %s not found").c_str(), name.c_str()));
}

void RaiseWin32Error(DWORD ErrCode) {
  if (ErrCode == ERROR_SUCCESS) return;
  throw EWin32Error(Format(ResStr("Win32 Error.  Code: %u.\n%s").c_str(), ErrCode, SysErrorMessage(ErrCode).c_str()),
                    ErrCode);
}

bool CheckWin32(bool OK) { return Win32Check(OK); }

void NotImplemented() {
  Screen->SetCursor(crDefault);
  MessageDlg(ResStr(SNotImplemented), mtInformation, {mbOK}, 0);
  Abort();
}

// A value that does not fit the first buffer is read whole into a second.
AnsiString GetEnvVar(const AnsiString& VarName) {
  AnsiString value(kEnvBufferSize, '\0');
  DWORD length = GetEnvironmentVariableA(VarName.c_str(), value.data(), kEnvBufferSize);
  if (length >= kEnvBufferSize) {
    value.assign(length, '\0');
    length = GetEnvironmentVariableA(VarName.c_str(), value.data(), length);
  }
  value.resize(length < value.size() ? length : 0);
  return value;
}

void SplitCommandLine(const AnsiString& CmdLine, AnsiString& ProgName, AnsiString& Params) {
  const AnsiString line = CmdLine;  // the line may be one of the results
  ProgName.clear();
  Params.clear();
  TokenReader reader(line);
  AnsiString token;
  if (!reader.Next(token)) return;
  ProgName = token;
  while (reader.Next(token)) {
    if (!Params.empty()) Params += ' ';
    Params += token.find(' ') != AnsiString::npos ? '"' + token + '"' : token;
  }
}

AnsiString AnsiUpperFirstChar(const AnsiString& S) {
  AnsiString result = AnsiLowerCase(S);
  if (!result.empty()) result[0] = AnsiUpperCase(result.substr(0, 1))[0];
  return result;
}

char* StrPAlloc(const AnsiString& S) {
  char* copy = StrAlloc(S.size() + 1);
  std::memcpy(copy, S.c_str(), S.size() + 1);
  return copy;
}

char* StringToPChar(AnsiString& S) { return S.data(); }

AnsiString DropT(const AnsiString& S) {
  if (S.size() > 1 && (S[0] == 'T' || S[0] == 't')) return S.substr(1);
  return S;
}

AnsiString GetWindowsVersion() {
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA(&info);
  AnsiString platform;
  DWORD build = info.dwBuildNumber;
  switch (info.dwPlatformId) {
    case VER_PLATFORM_WIN32s: platform = "32s"; break;
    case VER_PLATFORM_WIN32_WINDOWS: {
      const bool is98 = info.dwMajorVersion > 4 || (info.dwMajorVersion == 4 && info.dwMinorVersion > 9);
      platform = is98 ? "98" : "95";
      build &= 0xFFFF;
      break;
    }
    case VER_PLATFORM_WIN32_NT: platform = "NT"; break;
    default: break;
  }
  return Trim(Format("Windows %s %u.%.2u.%.3u %s", platform.c_str(), info.dwMajorVersion, info.dwMinorVersion, build,
                     info.szCSDVersion));
}

Variant MakeVariant(std::initializer_list<Variant> Values) {
  if (Values.size() == 0) return Variant::Null();
  if (Values.size() == 1) return *Values.begin();
  return Variant::ArrayOf(std::vector<Variant>(Values));
}
