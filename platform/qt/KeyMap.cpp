// One table from Qt keys to virtual-key codes; letters and digits map by their ASCII codes.
#include "platform/qt/KeyMap.h"

#include <QString>
#include <array>
#include <utility>

namespace qt {
namespace {

constexpr std::array<std::pair<int, WORD>, 42> kKeys{{
    {Qt::Key_Escape, VK_ESCAPE},     {Qt::Key_Return, VK_RETURN},     {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Tab, VK_TAB},           {Qt::Key_Backtab, VK_TAB},       {Qt::Key_Backspace, VK_BACK},
    {Qt::Key_Space, VK_SPACE},       {Qt::Key_Left, VK_LEFT},         {Qt::Key_Up, VK_UP},
    {Qt::Key_Right, VK_RIGHT},       {Qt::Key_Down, VK_DOWN},         {Qt::Key_PageUp, VK_PRIOR},
    {Qt::Key_PageDown, VK_NEXT},     {Qt::Key_Home, VK_HOME},         {Qt::Key_End, VK_END},
    {Qt::Key_Insert, VK_INSERT},     {Qt::Key_Delete, VK_DELETE},     {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL},   {Qt::Key_Alt, VK_MENU},          {Qt::Key_AltGr, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},       {Qt::Key_CapsLock, VK_CAPITAL},  {Qt::Key_Print, VK_SNAPSHOT},
    {Qt::Key_NumLock, VK_NUMLOCK},   {Qt::Key_ScrollLock, VK_SCROLL}, {Qt::Key_Plus, VK_OEM_PLUS},
    {Qt::Key_Equal, VK_OEM_PLUS},    {Qt::Key_Minus, VK_OEM_MINUS},   {Qt::Key_Underscore, VK_OEM_MINUS},
    {Qt::Key_Comma, VK_OEM_COMMA},   {Qt::Key_Period, VK_OEM_PERIOD}, {Qt::Key_Semicolon, VK_OEM_1},
    {Qt::Key_Slash, VK_OEM_2},       {Qt::Key_QuoteLeft, VK_OEM_3},   {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_Backslash, VK_OEM_5},   {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_Apostrophe, VK_OEM_7},
    {Qt::Key_Asterisk, VK_MULTIPLY}, {Qt::Key_Colon, VK_OEM_1},       {Qt::Key_Question, VK_OEM_2},
}};

// Keys that stand for a different code on the numeric keypad.
WORD KeypadKey(int qtKey) {
  if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) return static_cast<WORD>(VK_NUMPAD0 + (qtKey - Qt::Key_0));
  switch (qtKey) {
    case Qt::Key_Plus: return VK_ADD;
    case Qt::Key_Minus: return VK_SUBTRACT;
    case Qt::Key_Asterisk: return VK_MULTIPLY;
    case Qt::Key_Slash: return VK_DIVIDE;
    case Qt::Key_Period:
    case Qt::Key_Comma: return VK_DECIMAL;
    default: return 0;
  }
}

}  // namespace

WORD VirtualKeyOf(int qtKey, Qt::KeyboardModifiers modifiers) {
  if (modifiers & Qt::KeypadModifier)
    if (WORD vk = KeypadKey(qtKey)) return vk;
  if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
    return static_cast<WORD>(qtKey);  // Qt's codes are the upper-case ASCII codes
  if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12) return static_cast<WORD>(VK_F1 + (qtKey - Qt::Key_F1));
  for (const auto& [key, vk] : kKeys)
    if (key == qtKey) return vk;
  return VK_UNMAPPED;
}

char CharacterOf(int qtKey, const QString& text) {
  // Delete reports a character in Qt's text but types none on the platform.
  if (text.size() == 1 && text.at(0).unicode() < 256 && text.at(0).unicode() != 127)
    return static_cast<char>(text.at(0).unicode());
  switch (qtKey) {
    case Qt::Key_Escape: return 27;
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    default: return 0;
  }
}

}  // namespace qt
