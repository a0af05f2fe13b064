// The common colour dialog as the class library's colour dialog calls it.
#pragma once

#include "platform/win32/Win32Types.h"

constexpr DWORD CC_RGBINIT = 0x1, CC_FULLOPEN = 0x2;

struct CHOOSECOLORA {
  DWORD lStructSize;
  HWND hwndOwner;
  HWND hInstance;
  COLORREF rgbResult;  // in: the colour shown first (with CC_RGBINIT); out: the chosen one
  COLORREF* lpCustColors;
  DWORD Flags;
  LPARAM lCustData;
  void* lpfnHook;
  LPCSTR lpTemplateName;
};

// Modal; TRUE with rgbResult set when the user confirms, FALSE when cancelled, without a
// desktop, or for a record of the wrong size.
BOOL ChooseColorA(CHOOSECOLORA* choose);
