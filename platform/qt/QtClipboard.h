// The desktop's clipboard through Qt: the window layer's items as mime data (images also as
// Qt images, so other programs can paste them), and other programs' data read back as items.
#pragma once

#include <QMimeData>
#include <QPointer>
#include <optional>
#include <vector>

#include "platform/user/Clipboard.h"

namespace qt {

class Clipboard {
 public:
  void Publish(const std::vector<user::ClipboardItem>& items);
  // None while the data is this program's.
  std::optional<std::vector<user::ClipboardItem>> Read();

 private:
  QPointer<QMimeData> published_;
};

}  // namespace qt
