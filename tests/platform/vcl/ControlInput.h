// What the controls' tests share: posting what a peer posts for typed text (each character's
// key, then the character itself), and making a control in its place on a parent.
#pragma once

#include <cctype>
#include <string_view>

#include "platform/user/UserPeer.h"
#include "platform/vcl/Controls.h"

namespace control_input {

inline WORD VirtualKeyOf(char c) {
  if (std::isalnum(static_cast<unsigned char>(c))) return static_cast<WORD>(std::toupper(static_cast<unsigned char>(c)));
  switch (c) {
    case '.': return VK_OEM_PERIOD;
    case ',': return VK_OEM_COMMA;
    case '-': return VK_OEM_MINUS;
    case '+': return VK_OEM_PLUS;
    case ' ': return VK_SPACE;
    case '\b': return VK_BACK;
    case '\r': return VK_RETURN;
    case '\x1b': return VK_ESCAPE;
    case '\t': return VK_TAB;
    default: return VK_UNMAPPED;  // Ctrl with a letter and the rest
  }
}

inline void Post(HWND hwnd, std::string_view text) {
  for (char c : text) {
    user::PostInput(hwnd, WM_KEYDOWN, VirtualKeyOf(c), 0);
    user::PostInput(hwnd, WM_CHAR, static_cast<unsigned char>(c), 0);
  }
}

// A control owned by `owner`, inside `parent`, at `bounds`, with `caption`.
template <class T>
T* MakeControl(TComponent* owner, TWinControl* parent, TRect bounds, const char* caption = "") {
  auto* c = new T(owner);
  c->SetParent(parent);
  c->SetBoundsRect(bounds);
  c->SetCaption(caption);
  return c;
}

}  // namespace control_input
