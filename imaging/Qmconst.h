// The image library's two screen cursors, registered with the screen when the program starts.
#pragma once

#include "platform/vcl/Cursors.h"

// The hand (resource QM_HANDCUR) and the dragging hand (QM_DRAGCUR).
constexpr TCursor crHand = 14000, crDragHand = 14001;

// Registers both from the program's own resources on the first call; later calls do nothing.
void QmconstInitialization();
