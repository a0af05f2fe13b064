// A test of the Qt peers: the offscreen platform, the peers installed, a fresh application with
// a form, and the ways to reach the widget that shows one of its controls.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <cstdlib>

#include "platform/ddraw/Driver.h"
#include "platform/qt/PeerWidget.h"
#include "platform/qt/QtPlatform.h"
#include "platform/vcl/Forms.h"

namespace peer_test {

inline QWidget* WidgetOf(HWND hwnd) {
  for (QWidget* w : QApplication::allWidgets())
    if (auto* peer = dynamic_cast<qt::PeerWidget*>(w); peer && peer->Handle() == hwnd) return w;
  return nullptr;
}

template <class T>
T* WidgetOf(TWinControl* control) {
  return dynamic_cast<T*>(WidgetOf(control->GetHandle()));
}

// Presses and releases a key on the widget, as the keyboard does.
inline void PressKey(QWidget* w, int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
  QCoreApplication::sendEvent(w, &press);
  QCoreApplication::sendEvent(w, &release);
}

class PeerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
  void SetUp() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();
    qt::Uninstall();
    ASSERT_TRUE(qt::Install());
    Application->Initialize();
    Application->CreateForm(Form);
    Form->SetBorderStyle(bsDialog);
    Form->SetClientWidth(300);
    Form->SetClientHeight(200);
  }
  void TearDown() override {
    ResetApplicationForTest();
    ddraw::ResetDriver();
  }
  // Lets Qt deliver its events and the application handle what they queued.
  static void Settle() {
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::processEvents();
      Application->ProcessMessages();
    }
  }
  TForm* Form = nullptr;
};

}  // namespace peer_test
