#include "qt/links.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

#include "core/state/exists.h"
#include "platform/fs.h"

namespace tunebelt::qt {

void OpenWebPage(std::string_view address) {
  std::string url(address);
  url += '/';
  QDesktopServices::openUrl(QUrl::fromUserInput(QString::fromStdString(url)));
}

bool OpenReadme(const std::string& applicationFolder, Prompts& host) {
  std::string path = platform::joinPath(applicationFolder, kReadmeFile);
  if (!FileExists(path)) {
    host.showMessage("Could not open " + path + ":\nthe file does not exist.", kErrorCaption,
                     MessageIcon::Critical);
    return false;
  }
  QUrl url = QUrl::fromLocalFile(QString::fromStdString(platform::nativePath(path)));
  if (!QDesktopServices::openUrl(url)) {
    host.showMessage("Could not open " + path + ":\nno program to show it was found.",
                     kErrorCaption, MessageIcon::Critical);
    return false;
  }
  return true;
}

}  // namespace tunebelt::qt
