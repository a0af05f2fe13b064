// Rillmoor.scr: shows the scene and plays the sound through Qt when a display is there, then
// runs the entry.
#include <vector>

#include "platform/qt/QtAudio.h"
#include "platform/qt/QtPlatform.h"
#include "savers/waterfall/WinMain.h"

int main(int argc, char* argv[]) {
  if (qt::Install()) qt::InstallAudio();
  const std::vector<AnsiString> params(argv + 1, argv + argc);
  return WinMain(params);
}
