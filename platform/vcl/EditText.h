// The editing rules of an edit field over its text, shared by the edit controls and the combo
// box's edit part: caret and selection, typing, deleting and moving the caret, and the keys
// that cut, copy, paste and select the whole text.
#pragma once

#include <string_view>

#include "platform/vcl/SysUtils.h"
#include "platform/win32/Win32Types.h"

namespace vcl {

// The selection runs from the anchor to the caret (either may come first); empty when equal.
struct EditSelection {
  int anchor = 0;
  int caret = 0;
  int Start() const { return anchor < caret ? anchor : caret; }
  int Length() const { return anchor < caret ? caret - anchor : anchor - caret; }
  // Both ends within the text.
  void Clamp(int length);
};

// Puts `with` in place of the selection, keeping the text within maxLength characters (0: no
// limit); the caret follows the new text. Whether the text changed.
bool ReplaceSelection(AnsiString& text, EditSelection& selection, std::string_view with, int maxLength);

// The keys that move the caret (arrows, Home, End; Shift extends the selection) and Delete.
// Up and Down move between the lines of a multi-line text. Whether the text changed.
bool EditKeyDown(AnsiString& text, EditSelection& selection, WORD key, bool shift, bool multiLine);

// A typed character: a printable one replaces the selection, backspace deletes, Enter starts a
// new line in a multi-line text; other control characters do nothing here. Whether the text
// changed.
bool EditChar(AnsiString& text, EditSelection& selection, char key, int maxLength, bool multiLine);

// The message an edit field performs on itself for a key (WM_KEYDOWN with its virtual-key code)
// or a typed character (WM_CHAR): WM_CUT for Shift+Delete and Ctrl+X, WM_COPY for Ctrl+Insert
// and Ctrl+C, WM_PASTE for Shift+Insert and Ctrl+V, and for Ctrl+A an EM_SETSEL from the start
// to past the end, which selects the whole text. A message of 0: the key asks for none of them.
struct EditRequest {
  UINT message = 0;
  WPARAM wParam = 0;
  LPARAM lParam = 0;
};
EditRequest EditRequestOf(UINT message, WPARAM key, bool shift, bool control);

AnsiString SelectedText(const AnsiString& text, EditSelection selection);
// WM_COPY, WM_CUT and WM_PASTE through the class library's clipboard. Copying and cutting an
// empty selection leave the clipboard as it is; a single-line text pastes the first line only.
// Whether the text changed.
void CopySelection(const AnsiString& text, const EditSelection& selection);
bool CutSelection(AnsiString& text, EditSelection& selection);
bool PasteClipboard(AnsiString& text, EditSelection& selection, int maxLength, bool multiLine);

}  // namespace vcl
