// Rillmoor.scr: shows the scene and plays the sound through Qt, starts the image library's units,
// then runs the entry. Without a display it says so and ends: a user's run never falls back to
// the headless test display.
#include <cerrno>
#include <cstdio>
#include <vector>

#include "imaging/Clipicon.h"
#include "imaging/QmUtils.h"
#include "imaging/Qmconst.h"
#include "platform/qt/QtAudio.h"
#include "platform/qt/QtPlatform.h"
#include "savers/waterfall/WinMain.h"

int main(int argc, char* argv[]) {
  if (!qt::Install()) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, qt::NoDisplayMessage().c_str());
    return 1;
  }
  qt::InstallAudio();
  // The image library's units start before the entry and end after it.
  QmUtilsInitialization();
  QmconstInitialization();
  ClipiconInitialization();
  const std::vector<AnsiString> params(argv + 1, argv + argc);
  const int status = WinMain(params);
  QmUtilsFinalization();
  return status;
}
