// The screen's cursor: which of the cursor numbers is shown over the program's windows.
#include "platform/vcl/Forms.h"

void TScreen::SetCursor(TCursor Value) {
  if (Value == FCursor) return;
  FCursor = Value;
}
