// Registers the start-up cursors once.
#include "imaging/Qmconst.h"

#include "platform/user/Icons.h"
#include "platform/vcl/Forms.h"
#include "platform/win32/Kernel32.h"

void QmconstInitialization() {
  static bool initialized = false;
  if (initialized) return;
  initialized = true;
  HINSTANCE program = GetModuleHandleA(nullptr);
  Screen->SetCursors(crHand, LoadCursorA(program, "QM_HANDCUR"));
  Screen->SetCursors(crDragHand, LoadCursorA(program, "QM_DRAGCUR"));
}
