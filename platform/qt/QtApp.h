// The one QApplication of the process, made on first need and kept until the process ends
// (forms may outlive any scope that could own it).
#pragma once

namespace qt {

void EnsureApplication();
bool ApplicationExists();
// Ends a wait in the main thread's event loop; any thread.
void WakeEventLoop();

}  // namespace qt
