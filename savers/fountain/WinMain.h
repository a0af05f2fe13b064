// The fountain program's entry: the screensaver host's modes with the fountain's scene form and
// setup dialog. `main` hands it the arguments after the program's name.
#pragma once

#include <span>

#include "platform/vcl/SysUtils.h"

int WinMain(std::span<const AnsiString> Params);
