#include "qt/filedialog.h"

#include <QFileDialog>
#include <QHeaderView>
#include <QTreeView>

namespace tunebelt::qt {

bool FileDialog::testMode_ = false;
QStringList FileDialog::names_;
QList<QStringList> FileDialog::lists_;
QList<FileDialog::Opened> FileDialog::opened_;

namespace {

// Runs the dialog; the chosen files, none when cancelled. Qt's own dialog
// (where the desktop has none) shows its details with every column but the
// name as wide as its widest entry, the name taking the rest, so a size is
// never cut.
QStringList run(QWidget* parent, const QString& caption, const QString& folder,
                const QString& filter, QFileDialog::FileMode mode) {
  QFileDialog dialog(parent, caption, folder, filter);
  dialog.setFileMode(mode);
  dialog.setViewMode(QFileDialog::Detail);
  if (auto* details = dialog.findChild<QTreeView*>("treeView")) {
    QHeaderView* header = details->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.selectedFiles();
}

}  // namespace

QString FileDialog::getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                    const QString& filter) {
  if (testMode_) {
    opened_.append({caption, folder, filter});
    return names_.isEmpty() ? QString() : names_.takeFirst();
  }
  const QStringList chosen = run(parent, caption, folder, filter, QFileDialog::ExistingFile);
  return chosen.isEmpty() ? QString() : chosen.front();
}

QStringList FileDialog::getOpenFileNames(QWidget* parent, const QString& caption,
                                         const QString& folder, const QString& filter) {
  if (testMode_) {
    opened_.append({caption, folder, filter});
    return lists_.isEmpty() ? QStringList() : lists_.takeFirst();
  }
  return run(parent, caption, folder, filter, QFileDialog::ExistingFiles);
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
  if (on != testMode_) {  // names queued in test mode stay
    names_.clear();
    lists_.clear();
  }
  testMode_ = on;
}

void FileDialog::clearOpened() {
  opened_.clear();
}

void FileDialog::queueFileName(const QString& path) {
  names_.append(path);
}

void FileDialog::queueFileNames(const QStringList& paths) {
  lists_.append(paths);
}

const QList<FileDialog::Opened>& FileDialog::opened() {
  return opened_;
}

}  // namespace tunebelt::qt
