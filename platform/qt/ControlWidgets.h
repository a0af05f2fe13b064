// The widgets that show each kind of window: a plain window shows its pixels, the controls are
// Qt's own widgets showing the class library's state.
#pragma once

#include "platform/qt/PeerWidget.h"

namespace qt {

// A new widget for the window, inside the parent's widget when it has one.
PeerWidget* MakePeerWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent);
// The widget that shows the keyboard focus for the window.
QWidget* FocusTarget(PeerWidget* peer);

}  // namespace qt
