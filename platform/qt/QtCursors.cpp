// System cursors by kind; the program's cursors from their 32-bit pictures.
#include "platform/qt/QtCursors.h"

#include <QImage>
#include <QPixmap>

namespace qt {
namespace {

std::optional<Qt::CursorShape> ShapeOf(WORD systemId) {
  switch (systemId) {
    case 32512: return Qt::ArrowCursor;
    case 32513: return Qt::IBeamCursor;
    case 32514: return Qt::WaitCursor;
    case 32515: return Qt::CrossCursor;
    case 32516: return Qt::UpArrowCursor;
    case 32642: return Qt::SizeFDiagCursor;
    case 32643: return Qt::SizeBDiagCursor;
    case 32644: return Qt::SizeHorCursor;
    case 32645: return Qt::SizeVerCursor;
    case 32646: return Qt::SizeAllCursor;
    case 32648: return Qt::ForbiddenCursor;
    case 32649: return Qt::PointingHandCursor;
    case 32650: return Qt::BusyCursor;
    case 32651: return Qt::WhatsThisCursor;
    default: return std::nullopt;
  }
}

}  // namespace

QCursor CursorOf(const user::CursorImage& image) {
  if (const auto shape = ShapeOf(image.systemId)) return QCursor(*shape);
  QImage picture(reinterpret_cast<const uchar*>(image.pixels.data()), image.width, image.height, image.width * 4,
                 QImage::Format_ARGB32);
  return QCursor(QPixmap::fromImage(picture.copy()), image.hotSpot.x, image.hotSpot.y);
}

}  // namespace qt
