// Translates Qt's key events into the platform's virtual-key codes and characters.
#pragma once

#include <Qt>

#include "platform/user/WinUser.h"

namespace qt {

// The virtual-key code of a key; VK_UNMAPPED for a key without one.
WORD VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers);
// The character a key press types: the event's text when it is one 8-bit character, else the
// control character of Escape, Return, Tab and Backspace; 0 for none.
char CharacterOf(int qtKey, const QString& text);

}  // namespace qt
