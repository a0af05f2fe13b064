// Lists the platform plugins where Qt looks for them: the folder QT_QPA_PLATFORM_PLUGIN_PATH
// names, then "platforms" under each library path.
#include "platform/qt/PlatformPlugins.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonObject>
#include <QPluginLoader>

namespace qt {

std::set<std::string> InstalledPlatforms() {
  QStringList folders;
  if (const QString own = qEnvironmentVariable("QT_QPA_PLATFORM_PLUGIN_PATH"); !own.isEmpty()) folders << own;
  // Asked before the application object exists; Qt works the paths out again when it is made.
  for (const QString& path : QCoreApplication::libraryPaths()) folders << path + "/platforms";
  std::set<std::string> names;
  for (const QString& folder : folders) {
    const QDir dir(folder);
    for (const QString& file : dir.entryList(QDir::Files)) {
      const QJsonObject plugin = QPluginLoader(dir.absoluteFilePath(file)).metaData().value("MetaData").toObject();
      for (const QJsonValue key : plugin.value("Keys").toArray()) names.insert(key.toString().toLower().toStdString());
    }
  }
  return names;
}

}  // namespace qt
