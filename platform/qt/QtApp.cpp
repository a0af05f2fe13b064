// Makes the process's QApplication with the program's own name, takes the desktop's mode from its
// screen, and keeps its event dispatcher for wake-ups from other threads.
#include "platform/qt/QtApp.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QScreen>
#include <atomic>
#include <cerrno>

#include "platform/gdi/GdiMemory.h"
#include "platform/qt/PeerWidget.h"

namespace qt {
namespace {

std::atomic<QAbstractEventDispatcher*> dispatcher{nullptr};

}  // namespace

void EnsureApplication() {
  if (!QCoreApplication::instance()) {
    // QApplication keeps references to these for its whole life.
    static int argc = 1;
    static char* argv[] = {program_invocation_name, nullptr};
    static QApplication* app = new QApplication(argc, argv);  // never destroyed: see the header
    app->setQuitOnLastWindowClosed(false);  // the class library decides when the program ends
    ApplyClassicLook();
    // The desktop the programs see (the screen's device context, the modes DirectDraw lists)
    // is the screen Qt shows them on.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QSize size = screen->size() * screen->devicePixelRatio();
      gdi::SetDesktopMode({size.width(), size.height(), screen->depth()});
    }
  }
  if (!dispatcher.load())
    dispatcher.store(QAbstractEventDispatcher::instance(QCoreApplication::instance()->thread()));
}

bool ApplicationExists() { return QCoreApplication::instance() != nullptr; }

void WakeEventLoop() {
  if (QAbstractEventDispatcher* d = dispatcher.load()) d->wakeUp();
}

}  // namespace qt
