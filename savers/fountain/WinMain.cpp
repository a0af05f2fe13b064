// The fountain program's entry: the shared screensaver modes run with its own forms.
#include "savers/fountain/WinMain.h"

#include "savers/common/ScreenSaver.h"
#include "savers/fountain/Unit1.h"
#include "savers/fountain/Unit2.h"

int WinMain(std::span<const AnsiString> Params) {
  return RunScreenSaver(Params, SaverProgram<TForm1>(Form2, "Vellanor Sunset Screensaver "));
}
