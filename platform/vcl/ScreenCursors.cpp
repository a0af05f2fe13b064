// The screen's cursors: the table of cursor numbers and which one is shown over the program's
// windows. The standard numbers are the system's cursors; the class library's own drag and
// split cursors are the system's nearest ones.
#include "platform/user/Icons.h"
#include "platform/vcl/Forms.h"

namespace {

LPCSTR StandardCursor(int index) {
  switch (index) {
    case crCross: return IDC_CROSS;
    case crIBeam: return IDC_IBEAM;
    case crSizeNESW: return IDC_SIZENESW;
    case crSizeNS:
    case crVSplit: return IDC_SIZENS;
    case crSizeNWSE: return IDC_SIZENWSE;
    case crSizeWE:
    case crHSplit: return IDC_SIZEWE;
    case crUpArrow: return IDC_UPARROW;
    case crHourGlass:
    case crSQLWait: return IDC_WAIT;
    case crNoDrop:
    case crNo: return IDC_NO;
    case crAppStart: return IDC_APPSTARTING;
    case crHelp: return IDC_HELP;
    case crHandPoint: return IDC_HAND;
    case crSizeAll: return IDC_SIZEALL;
    default: return IDC_ARROW;
  }
}

// A cursor without pixels, made once.
HCURSOR NoCursor() {
  static const HCURSOR none = [] {
    static const BYTE andBits[2] = {0x80, 0};
    static const BYTE xorBits[2] = {0, 0};
    return CreateIcon(nullptr, 1, 1, 1, 1, andBits, xorBits);
  }();
  return none;
}

}  // namespace

HCURSOR TScreen::GetCursors(int Index) const {
  if (const auto it = FCursors.find(Index); it != FCursors.end()) return it->second;
  if (Index == crDefault) return FDefaultCursor ? FDefaultCursor : LoadCursorA(nullptr, IDC_ARROW);
  if (Index == crNone) return NoCursor();
  if (Index < crDefault && Index >= crSizeAll) return LoadCursorA(nullptr, StandardCursor(Index));
  return GetCursors(crDefault);
}

void TScreen::SetCursors(int Index, HCURSOR Handle) {
  HCURSOR& slot = Index == crDefault ? FDefaultCursor : FCursors[Index];
  if (slot && slot != Handle) DestroyCursor(slot);
  slot = Handle;
  if (!Handle && Index != crDefault) FCursors.erase(Index);
  if (Index == FCursor && FCursor != crDefault) user::SetScreenCursor(GetCursors(FCursor));
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
  user::SetScreenCursor(Value == crDefault ? nullptr : GetCursors(Value));
}
