// A user's run never falls back to the headless test display: without a display, a Qt platform or
// a desktop Qt can draw on, it says so and ends.
#include "savers/common/SaverMain.h"

#include <vector>

#include "platform/qt/QtAudio.h"
#include "platform/qt/QtPlatform.h"
#include "savers/common/ScreenSaver.h"

int SaverMain(int argc, char* argv[], const TSaverEntry& Entry) {
  if (!qt::Install()) {
    SayOnStandardError(qt::InstallFailure());
    return 1;
  }
  qt::InstallAudio();
  const std::vector<AnsiString> params(argv + 1, argv + argc);
  return Entry(params);
}
