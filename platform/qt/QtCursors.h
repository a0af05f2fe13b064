// The Qt cursor for a cursor of the window layer: the toolkit's own for the system's cursors,
// the cursor's picture with its hot spot for the program's.
#pragma once

#include <QCursor>

#include "platform/user/Icons.h"

namespace qt {

QCursor CursorOf(const user::CursorImage& image);

}  // namespace qt
