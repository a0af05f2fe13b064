// The Qt platforms installed, read from the platform plugins' metadata without loading them:
// Qt aborts the process when its application object finds none of the platforms it is asked for.
#pragma once

#include <set>
#include <string>

namespace qt {

// The names ("Keys") of the installed platform plugins, in lower case, as Qt matches them.
std::set<std::string> InstalledPlatforms();

}  // namespace qt
