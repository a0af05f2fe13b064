// Caret movement, editing and the clipboard over an 8-bit text whose lines end in CR LF.
#include "platform/vcl/EditText.h"

#include <algorithm>
#include <climits>

#include "platform/user/WinUser.h"
#include "platform/vcl/Clipbrd.h"

namespace vcl {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

int LineStart(const AnsiString& text, int pos) {
  const std::size_t at = pos > 0 ? text.rfind('\n', static_cast<std::size_t>(pos - 1)) : AnsiString::npos;
  return at == AnsiString::npos ? 0 : static_cast<int>(at) + 1;
}

int LineEnd(const AnsiString& text, int pos) {
  const std::size_t at = text.find(kLineBreak, static_cast<std::size_t>(pos));
  return at == AnsiString::npos ? static_cast<int>(text.size()) : static_cast<int>(at);
}

// One character left or right; a line break counts as one.
int Step(const AnsiString& text, int pos, int direction) {
  const int size = static_cast<int>(text.size());
  if (direction < 0) {
    if (pos <= 0) return 0;
    return pos >= 2 && text.compare(static_cast<std::size_t>(pos - 2), 2, kLineBreak) == 0 ? pos - 2 : pos - 1;
  }
  if (pos >= size) return size;
  return text.compare(static_cast<std::size_t>(pos), 2, kLineBreak) == 0 ? pos + 2 : pos + 1;
}

// The same column on the line above or below, or the end of that line when it is shorter.
int VerticalStep(const AnsiString& text, int pos, int direction) {
  const int start = LineStart(text, pos);
  const int column = pos - start;
  if (direction < 0) {
    if (start == 0) return pos;
    const int above = LineStart(text, start - 2);
    return std::min(above + column, start - 2);
  }
  const int end = LineEnd(text, pos);
  if (end >= static_cast<int>(text.size())) return pos;
  const int below = end + 2;
  return std::min(below + column, LineEnd(text, below));
}

}  // namespace

void EditSelection::Clamp(int length) {
  anchor = std::clamp(anchor, 0, length);
  caret = std::clamp(caret, 0, length);
}

bool ReplaceSelection(AnsiString& text, EditSelection& selection, std::string_view with, int maxLength) {
  selection.Clamp(static_cast<int>(text.size()));
  const int start = selection.Start();
  const int length = selection.Length();
  std::size_t room = with.size();
  if (maxLength > 0) {
    const int left = maxLength - (static_cast<int>(text.size()) - length);
    room = std::min(room, static_cast<std::size_t>(std::max(left, 0)));
  }
  if (length == 0 && room == 0) return false;
  text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), with.substr(0, room));
  selection.anchor = selection.caret = start + static_cast<int>(room);
  return true;
}

bool EditKeyDown(AnsiString& text, EditSelection& selection, WORD key, bool shift, bool multiLine) {
  selection.Clamp(static_cast<int>(text.size()));
  int caret = selection.caret;
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT:
      if (!shift && selection.Length() > 0)
        caret = key == VK_LEFT ? selection.Start() : selection.Start() + selection.Length();
      else
        caret = Step(text, caret, key == VK_LEFT ? -1 : 1);
      break;
    case VK_HOME: caret = multiLine ? LineStart(text, caret) : 0; break;
    case VK_END: caret = multiLine ? LineEnd(text, caret) : static_cast<int>(text.size()); break;
    case VK_UP:
    case VK_DOWN:
      if (!multiLine) return false;
      caret = VerticalStep(text, caret, key == VK_UP ? -1 : 1);
      break;
    case VK_DELETE:
      if (selection.Length() == 0) selection.caret = Step(text, selection.caret, 1);
      return ReplaceSelection(text, selection, {}, 0);
    default: return false;
  }
  selection.caret = caret;
  if (!shift) selection.anchor = caret;
  return false;
}

bool EditChar(AnsiString& text, EditSelection& selection, char key, int maxLength, bool multiLine) {
  const auto code = static_cast<unsigned char>(key);
  if (key == '\b') {
    selection.Clamp(static_cast<int>(text.size()));
    if (selection.Length() == 0) selection.caret = Step(text, selection.caret, -1);
    return ReplaceSelection(text, selection, {}, 0);
  }
  if (key == '\r') return multiLine && ReplaceSelection(text, selection, kLineBreak, maxLength);
  if (code < 32) return false;
  return ReplaceSelection(text, selection, std::string_view(&key, 1), maxLength);
}

EditRequest EditRequestOf(UINT message, WPARAM key, bool shift, bool control) {
  if (message == WM_CHAR) {
    switch (key) {
      case 0x01: return {EM_SETSEL, 0, INT_MAX};  // Ctrl+A
      case 0x03: return {WM_COPY};
      case 0x16: return {WM_PASTE};
      case 0x18: return {WM_CUT};
      default: return {};
    }
  }
  if (message != WM_KEYDOWN) return {};
  if (key == VK_DELETE && shift) return {WM_CUT};
  if (key == VK_INSERT && shift) return {WM_PASTE};
  if (key == VK_INSERT && control) return {WM_COPY};
  return {};
}

AnsiString SelectedText(const AnsiString& text, EditSelection selection) {
  selection.Clamp(static_cast<int>(text.size()));
  return text.substr(static_cast<std::size_t>(selection.Start()), static_cast<std::size_t>(selection.Length()));
}

void CopySelection(const AnsiString& text, const EditSelection& selection) {
  const AnsiString selected = SelectedText(text, selection);
  if (!selected.empty()) Clipboard()->SetAsText(selected);
}

bool CutSelection(AnsiString& text, EditSelection& selection) {
  CopySelection(text, selection);
  return ReplaceSelection(text, selection, {}, 0);
}

bool PasteClipboard(AnsiString& text, EditSelection& selection, int maxLength, bool multiLine) {
  AnsiString pasted = Clipboard()->GetAsText();
  if (!multiLine) pasted = pasted.substr(0, pasted.find_first_of("\r\n"));
  return ReplaceSelection(text, selection, pasted, maxLength);
}

}  // namespace vcl
