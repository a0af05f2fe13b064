// One widget class per kind of window; each shows the state and reports input, nothing more.
#include "platform/qt/ControlWidgets.h"

#include "platform/qt/WindowWidget.h"

namespace qt {

PeerWidget* MakePeerWidget(HWND hwnd, const user::WindowState& state, PeerWidget* parent) {
  switch (state.windowClass) {
    default: return new WindowWidget(hwnd, state, parent);
  }
}

QWidget* FocusTarget(PeerWidget* peer) { return peer->Widget(); }

}  // namespace qt
