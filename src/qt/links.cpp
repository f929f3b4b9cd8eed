#include "qt/links.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "platform/fs.h"

namespace tunebelt::qt {

bool OpenWebPage(std::string_view address) {
  return QDesktopServices::openUrl(
      QUrl::fromUserInput(QString::fromStdString(std::string(address))));
}

bool OpenDocument(const std::string& path) {
  return QDesktopServices::openUrl(
      QUrl::fromLocalFile(QString::fromStdString(platform::nativePath(path))));
}

}  // namespace tunebelt::qt
