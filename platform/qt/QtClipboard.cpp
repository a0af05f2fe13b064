// Items to mime data and back. The program's own types travel as they are; an image travels as
// a Qt image too, and any image another program offers comes back as a BMP file.
#include "platform/qt/QtClipboard.h"

#include <QBuffer>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>

#include "platform/qt/QtApp.h"

namespace qt {
namespace {

constexpr char kImageType[] = "image/bmp";

QByteArray ArrayOf(const std::vector<std::byte>& data) {
  return QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
}

std::vector<std::byte> BytesOf(const QByteArray& data) {
  const auto* p = reinterpret_cast<const std::byte*>(data.constData());
  return {p, p + data.size()};
}

}  // namespace

void Clipboard::Publish(const std::vector<user::ClipboardItem>& items) {
  EnsureApplication();
  auto* mime = new QMimeData;
  for (const user::ClipboardItem& item : items) {
    const QByteArray data = ArrayOf(item.data);
    if (item.type == kImageType) {
      QImage image;
      if (image.loadFromData(data, "BMP")) mime->setImageData(image);
    }
    mime->setData(QString::fromStdString(item.type), data);
  }
  published_ = mime;
  QGuiApplication::clipboard()->setMimeData(mime);  // Qt owns it from here
}

std::optional<std::vector<user::ClipboardItem>> Clipboard::Read() {
  EnsureApplication();
  const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
  if (!mime || (published_ && mime == published_.data())) return std::nullopt;
  std::vector<user::ClipboardItem> items;
  for (const QString& type : mime->formats())
    if (type.startsWith("application/x-qm-") || type == kImageType)
      items.push_back({type.toStdString(), BytesOf(mime->data(type))});
  const bool haveImage = std::any_of(items.begin(), items.end(), [](const auto& i) { return i.type == kImageType; });
  if (!haveImage && mime->hasImage()) {
    const QImage image = qvariant_cast<QImage>(mime->imageData()).convertToFormat(QImage::Format_RGB32);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    if (image.save(&buffer, "BMP")) items.push_back({kImageType, BytesOf(bmp)});
  }
  return items;
}

}  // namespace qt
