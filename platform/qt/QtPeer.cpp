// Keeps the widgets in step with the window records and answers the layer's toolkit requests.
#include "platform/qt/QtPeer.h"

#include <QApplication>
#include <QColorDialog>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStringDecoder>
#include <QScreen>
#include <QUrl>

#include "platform/qt/ControlWidgets.h"
#include "platform/qt/QtApp.h"
#include "platform/qt/QtCursors.h"

namespace qt {
namespace {

QMessageBox::StandardButtons ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return QMessageBox::Ok | QMessageBox::Cancel;
    case MB_ABORTRETRYIGNORE: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case MB_YESNOCANCEL: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MB_YESNO: return QMessageBox::Yes | QMessageBox::No;
    case MB_RETRYCANCEL: return QMessageBox::Retry | QMessageBox::Cancel;
    default: return QMessageBox::Ok;
  }
}

QMessageBox::Icon IconOf(UINT type) {
  switch (type & MB_ICONMASK) {
    case MB_ICONHAND: return QMessageBox::Critical;
    case MB_ICONQUESTION: return QMessageBox::Question;
    case MB_ICONEXCLAMATION: return QMessageBox::Warning;
    case MB_ICONASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

int AnswerOf(int button) {
  switch (button) {
    case QMessageBox::Cancel: return IDCANCEL;
    case QMessageBox::Abort: return IDABORT;
    case QMessageBox::Retry: return IDRETRY;
    case QMessageBox::Ignore: return IDIGNORE;
    case QMessageBox::Yes: return IDYES;
    case QMessageBox::No: return IDNO;
    default: return IDOK;
  }
}

// The class library's dialogs carry texts written in any language: UTF-8 where the bytes are
// valid UTF-8, else the 8-bit character set.
QString DialogText(const std::string& text) {
  QStringDecoder utf8(QStringDecoder::Utf8, QStringConverter::Flag::Stateless);
  QString decoded = utf8(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
  return utf8.hasError() ? QString::fromLatin1(text.c_str()) : decoded;
}

}  // namespace

QtPeer::QtPeer() = default;

QtPeer::~QtPeer() {
  if (ApplicationExists())
    for (; overrides_ > 0; --overrides_) QGuiApplication::restoreOverrideCursor();
  for (auto& [hwnd, widget] : widgets_)
    if (widget && !widget->parentWidget()) delete widget.data();
}

PeerWidget* QtPeer::PeerOf(HWND hwnd) const {
  auto it = widgets_.find(hwnd);
  return it == widgets_.end() || !it->second ? nullptr : dynamic_cast<PeerWidget*>(it->second.data());
}

WindowWidget* QtPeer::WidgetOf(HWND hwnd) const { return dynamic_cast<WindowWidget*>(PeerOf(hwnd)); }

void QtPeer::StartToolkit() { EnsureApplication(); }

void QtPeer::WindowChanged(HWND hwnd, const user::WindowState& state) {
  if (state.windowClass == user::WindowClass::MessageOnly) return;
  EnsureApplication();
  if (PeerWidget* w = PeerOf(hwnd)) {
    w->Apply(state);
    return;
  }
  widgets_[hwnd] = MakePeerWidget(hwnd, state, PeerOf(state.parent))->Widget();  // owned: see the map
}

void QtPeer::WindowDestroyed(HWND hwnd) {
  auto it = widgets_.find(hwnd);
  if (it == widgets_.end()) return;
  QPointer<QWidget> widget = it->second;
  widgets_.erase(it);
  delete widget.data();  // a child already taken with its parent is null here
}

void QtPeer::ShowPixels(HWND hwnd, const gdi::PixelBuffer& pixels) {
  if (PeerWidget* w = PeerOf(hwnd)) w->ShowPixels(pixels);
}

// A box is centred on its owner; one whose owner is not shown yet (a form still being created)
// has no place to go by, so it is centred on the screen.
QWidget* QtPeer::BoxParentOf(HWND owner) const {
  PeerWidget* parent = PeerOf(owner);
  return parent && parent->Widget()->isVisible() ? parent->Widget() : nullptr;
}

int QtPeer::ShowMessageBox(HWND owner, const std::string& text, const std::string& caption, UINT type) {
  EnsureApplication();
  QMessageBox box(IconOf(type), QString::fromLatin1(caption.c_str()), QString::fromLatin1(text.c_str()),
                  ButtonsOf(type), BoxParentOf(owner));
  // Above a full-screen window the box must still be seen.
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  return AnswerOf(box.exec());
}

std::optional<int> QtPeer::ShowMessageDialog(HWND owner, const user::MessageDialog& dialog) {
  EnsureApplication();
  QMessageBox box(IconOf(dialog.icon), DialogText(dialog.caption), DialogText(dialog.text), QMessageBox::NoButton,
                  BoxParentOf(owner));
  box.setWindowFlag(Qt::WindowStaysOnTopHint);
  std::vector<QPushButton*> buttons;
  for (const user::DialogButton& b : dialog.buttons)
    buttons.push_back(box.addButton(DialogText(b.caption), QMessageBox::AcceptRole));
  if (buttons.empty()) return std::nullopt;
  box.setDefaultButton(buttons.at(static_cast<std::size_t>(dialog.defaultButton)));
  box.setEscapeButton(buttons.at(static_cast<std::size_t>(dialog.cancelButton)));
  box.exec();
  const auto pressed = std::find(buttons.begin(), buttons.end(), box.clickedButton());
  if (pressed == buttons.end()) return dialog.cancelButton;
  return static_cast<int>(pressed - buttons.begin());
}

void QtPeer::SetCursorVisible(bool visible) {
  if (visible != cursorHidden_) return;
  cursorHidden_ = !visible;
  ApplyCursor();
}

void QtPeer::ActivateWindow(HWND hwnd) {
  if (WindowWidget* w = WidgetOf(hwnd)) {
    w->raise();
    w->activateWindow();
  }
}

void QtPeer::SetShowState(HWND hwnd, user::ShowState state) {
  WindowWidget* w = WidgetOf(hwnd);
  if (!w || !w->isVisible() || w->ShowsDisplay()) return;
  switch (state) {
    case user::ShowState::Minimized: w->showMinimized(); break;
    case user::ShowState::Maximized: w->showMaximized(); break;
    case user::ShowState::Normal: w->showNormal(); break;
  }
}

void QtPeer::SetScreenCursor(const user::CursorImage* cursor) {
  screenCursor_ = cursor ? std::optional<user::CursorImage>(*cursor) : std::nullopt;
  ApplyCursor();
}

void QtPeer::ApplyCursor() {
  EnsureApplication();
  for (; overrides_ > 0; --overrides_) QGuiApplication::restoreOverrideCursor();
  if (cursorHidden_) {
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    overrides_ = 1;
  } else if (screenCursor_) {
    QGuiApplication::setOverrideCursor(CursorOf(*screenCursor_));
    overrides_ = 1;
  }
}

int QtPeer::ScreenCount() {
  EnsureApplication();
  return std::max(1, static_cast<int>(QGuiApplication::screens().size()));
}

void QtPeer::PumpEvents() {
  if (ApplicationExists()) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void QtPeer::WaitEvents() {
  EnsureApplication();
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void QtPeer::Wake() { WakeEventLoop(); }

void QtPeer::WaitEventsFor(int milliseconds) {
  EnsureApplication();
  if (!alarm_) {
    alarm_ = std::make_unique<QTimer>();
    alarm_->setSingleShot(true);
  }
  alarm_->start(milliseconds);  // its expiry is an event, so the wait ends by then
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  alarm_->stop();
}

void QtPeer::SetFocus(HWND hwnd) {
  PeerWidget* w = PeerOf(hwnd);
  if (!w) return;
  InputFilter::SetProgramFocus(true);
  FocusTarget(w)->setFocus(Qt::OtherFocusReason);
  InputFilter::SetProgramFocus(false);
}

void QtPeer::Beep() {
  EnsureApplication();
  QApplication::beep();
}

std::optional<COLORREF> QtPeer::ChooseColor(HWND owner, COLORREF initial) {
  EnsureApplication();
  PeerWidget* parent = PeerOf(owner);
  const QColor chosen = QColorDialog::getColor(ColorOf(initial), parent ? parent->Widget() : nullptr);
  if (!chosen.isValid()) return std::nullopt;
  return RGB(static_cast<BYTE>(chosen.red()), static_cast<BYTE>(chosen.green()), static_cast<BYTE>(chosen.blue()));
}

bool QtPeer::OpenUrl(const std::string& url) {
  EnsureApplication();
  return QDesktopServices::openUrl(QUrl(QString::fromLatin1(url.c_str())));
}

}  // namespace qt
