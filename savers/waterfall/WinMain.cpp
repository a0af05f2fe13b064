// The waterfall program's entry: the shared screensaver modes run with its own forms.
#include "savers/waterfall/WinMain.h"

#include "platform/user/WinUser.h"
#include "savers/waterfall/ScreenSaver.h"
#include "savers/waterfall/Unit1.h"

namespace {

void CreateScene() {
  TForm1* Form1 = nullptr;
  Application->CreateForm(Form1);
}

// Stands in for the setup dialog until it is built.
void CreateSetup() {
  MessageBoxA(nullptr, "The setup dialog is not available yet.", "Screen saver", MB_OK);
}

}  // namespace

int WinMain(std::span<const AnsiString> Params) {
  return RunScreenSaver(Params, {CreateScene, CreateSetup, "Lumivelle Waterfall Screensaver "});
}
