// A user's run never falls back to the headless test display: without a display it says so and ends.
#include "savers/common/SaverMain.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "platform/qt/QtAudio.h"
#include "platform/qt/QtPlatform.h"

int SaverMain(int argc, char* argv[], const TSaverEntry& Entry) {
  if (!qt::Install()) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, qt::NoDisplayMessage().c_str());
    return 1;
  }
  qt::InstallAudio();
  const std::vector<AnsiString> params(argv + 1, argv + argc);
  return Entry(params);
}
