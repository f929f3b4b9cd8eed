#include "qt/filedialog.h"

#include <QFileDialog>

namespace tunebelt::qt {

bool FileDialog::testMode_ = false;
QStringList FileDialog::names_;
QList<FileDialog::Opened> FileDialog::opened_;

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter) {
  if (testMode_) {
    opened_.append({caption, folder, filter});
    return names_.isEmpty() ? QString() : names_.takeFirst();
  }
  return QFileDialog::getOpenFileName(parent, caption, folder, filter);
}

QString FileDialog::toQtFilter(const QString& filter) {
  const QStringList parts = filter.split('|');
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    QString desc = parts[i].trimmed();
    const qsizetype paren = desc.lastIndexOf(" (");
    if (paren > 0 && desc.endsWith(')')) desc.truncate(paren);
    QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
    for (QString& p : patterns) p = p.trimmed();
    entries << desc + " (" + patterns.join(' ') + ")";
  }
  return entries.join(";;");
}

void FileDialog::setTestMode(bool on) {
  if (on != testMode_) names_.clear();  // names queued in test mode stay
  testMode_ = on;
}

void FileDialog::clearOpened() {
  opened_.clear();
}

void FileDialog::queueFileName(const QString& path) {
  names_.append(path);
}

const QList<FileDialog::Opened>& FileDialog::opened() {
  return opened_;
}

}  // namespace tunebelt::qt
