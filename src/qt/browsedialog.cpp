#include "qt/browsedialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>

#include "core/state/exists.h"
#include "qt/style.h"
#include "qt/units.h"

namespace tunebelt::qt {

namespace {

constexpr int kPathRole = Qt::UserRole;

QString driveOf(const QString& folder) {
  return QStorageInfo(folder).rootPath();
}

}  // namespace

BrowseDialog::BrowseDialog(const QString& startFolder, QWidget* parent) : SecondaryDialog(parent) {
  setObjectName("frmBrowse");
  setWindowTitle("Tunebelt - Browse Folders");
  setFixedSize(px(4815), px(5700));
  setFont(designFont("Arial", 8.25));

  auto* label = new QLabel("Please Select your mod folder:", this);
  label->setObjectName("Label3");
  label->setGeometry(twipsRect(120, 120, 2775, 255));

  path_ = new QLineEdit(this);
  path_->setObjectName("txtPath");
  path_->setGeometry(twipsRect(240, 360, 4335, 360));
  setColours(path_, kWhite, kAccentOrange);

  drives_ = new QComboBox(this);
  drives_->setObjectName("Drive1");
  drives_->setGeometry(twipsRect(360, 840, 4095, 360));
  setColours(drives_, kWhite, kAccentOrange);

  folders_ = new QListWidget(this);
  folders_->setObjectName("dirBrowse");
  folders_->setGeometry(twipsRect(360, 1320, 4095, 3690));
  setColours(folders_, kWhite, kAccentOrange);

  ok_ = new QPushButton("Ok", this);
  ok_->setObjectName("cmdOk");
  ok_->setGeometry(twipsRect(3240, 5160, 1230, 375));
  ok_->setAutoDefault(false);
  cancel_ = new QPushButton("Cancel", this);
  cancel_->setObjectName("cmdCancel");
  cancel_->setGeometry(twipsRect(1800, 5160, 1230, 375));
  cancel_->setAutoDefault(false);

  connect(ok_, &QPushButton::clicked, this, [this] {
    emit folderChosen(path_->text());
    hide();
  });
  connect(cancel_, &QPushButton::clicked, this, &QWidget::hide);
  connect(drives_, &QComboBox::activated, this, &BrowseDialog::driveChosen);
  connect(folders_, &QListWidget::itemActivated, this, &BrowseDialog::folderActivated);

  fillDrives();
  setCurrentFolder(startFolder);
}

void BrowseDialog::fillDrives() {
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady()) roots << volume.rootPath();
  }
  roots.removeDuplicates();
  roots.sort();
  drives_->addItems(roots);
}

void BrowseDialog::setCurrentFolder(const QString& folder) {
  current_ = QDir::cleanPath(QDir(folder).absolutePath());
  const QString drive = driveOf(current_);
  driveFolders_[drive] = current_;
  if (drives_->findText(drive) < 0) drives_->addItem(drive);
  drives_->setCurrentIndex(drives_->findText(drive));
  fillFolders();
  path_->setText(QDir::toNativeSeparators(current_));
}

void BrowseDialog::fillFolders() {
  folders_->clear();
  // The folders on the way down to the current one, then its subfolders,
  // each indented one step further.
  QStringList chain;
  for (QDir d(current_);;) {
    chain.prepend(d.absolutePath());
    if (!d.cdUp()) break;
  }
  int depth = 0;
  for (const QString& folder : chain) {
    const QString name = QDir(folder).isRoot() ? folder : QDir(folder).dirName();
    auto* item = new QListWidgetItem(QString(depth * 2, ' ') + name, folders_);
    item->setData(kPathRole, folder);
    ++depth;
  }
  folders_->setCurrentRow(folders_->count() - 1);
  const QDir here(current_);
  const QStringList subs =
      here.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
  for (const QString& sub : subs) {
    auto* item = new QListWidgetItem(QString(depth * 2, ' ') + sub, folders_);
    item->setData(kPathRole, here.absoluteFilePath(sub));
  }
}

void BrowseDialog::driveChosen(int index) {
  const QString drive = drives_->itemText(index);
  setCurrentFolder(driveFolders_.value(drive, drive));
}

void BrowseDialog::folderActivated(QListWidgetItem* item) {
  // The list is rebuilt, so the move waits until the view has finished with
  // the item that was activated.
  const QString folder = item->data(kPathRole).toString();
  QMetaObject::invokeMethod(
      this, [this, folder] { setCurrentFolder(folder); }, Qt::QueuedConnection);
}

void BrowseDialog::reject() {
  hide();
}

}  // namespace tunebelt::qt
