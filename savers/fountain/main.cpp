// Sorrelin.scr.
#include "savers/common/SaverMain.h"
#include "savers/fountain/WinMain.h"

int main(int argc, char* argv[]) { return SaverMain(argc, argv, WinMain); }
