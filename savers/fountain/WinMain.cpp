// The fountain program's entry: the shared screensaver modes run with its own forms.
#include "savers/fountain/WinMain.h"

#include "savers/common/ScreenSaver.h"
#include "savers/fountain/Unit1.h"
#include "savers/fountain/Unit2.h"

namespace {

void CreateScene() {
  TForm1* Form1 = nullptr;
  Application->CreateForm(Form1);
}

void CreateSetup() { Application->CreateForm(Form2); }

}  // namespace

int WinMain(std::span<const AnsiString> Params) {
  return RunScreenSaver(Params, {CreateScene, CreateSetup, "Vellanor Sunset Screensaver "});
}
