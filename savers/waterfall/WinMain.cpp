// The waterfall program's entry: the shared screensaver modes run with its own forms.
#include "savers/waterfall/WinMain.h"

#include "savers/common/ScreenSaver.h"
#include "savers/waterfall/Unit1.h"
#include "savers/waterfall/Unit2.h"

int WinMain(std::span<const AnsiString> Params) {
  return RunScreenSaver(Params, SaverProgram<TForm1>(Form2, "Lumivelle Waterfall Screensaver "));
}
