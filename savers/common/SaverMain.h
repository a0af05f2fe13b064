// What a screensaver program's `main` does around its entry: the window system, the pictures'
// display and the sound through Qt, or one line on standard error when Qt cannot show them.
#pragma once

#include <functional>
#include <span>

#include "platform/vcl/SysUtils.h"

using TSaverEntry = std::function<int(std::span<const AnsiString> Params)>;

// Runs `Entry` on the arguments after the program's name; its result is the exit status.
int SaverMain(int argc, char* argv[], const TSaverEntry& Entry);
