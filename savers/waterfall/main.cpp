// Rillmoor.scr: the image library's units start before the entry and end after it.
#include "imaging/Clipicon.h"
#include "imaging/QmUtils.h"
#include "imaging/Qmconst.h"
#include "savers/common/SaverMain.h"
#include "savers/waterfall/WinMain.h"

int main(int argc, char* argv[]) {
  return SaverMain(argc, argv, [](std::span<const AnsiString> Params) {
    QmUtilsInitialization();
    QmconstInitialization();
    ClipiconInitialization();
    const int status = WinMain(Params);
    QmUtilsFinalization();
    return status;
  });
}
