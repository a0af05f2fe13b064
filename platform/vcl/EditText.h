// The editing rules of an edit field over its text, shared by the edit controls and the combo
// box's edit part: caret and selection, typing, deleting and moving the caret.
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

}  // namespace vcl
