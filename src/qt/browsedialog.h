// frmBrowse: picks a folder for the mod folder box. Ok and Cancel only hide
// it, so the next opening shows it as it was; closing it through its title
// bar discards it, as every dialog of the program, and the next opening
// builds a fresh one.
#pragma once

#include <QHash>
#include <QString>
#include "qt/secondarydialog.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;

namespace tunebelt::qt {

class BrowseDialog : public SecondaryDialog {
  Q_OBJECT
 public:
  // Starts in `startFolder` (where the player's games are, when found).
  explicit BrowseDialog(const QString& startFolder, QWidget* parent = nullptr);

  // The folder the folder list stands in.
  QString currentFolder() const { return current_; }
  void setCurrentFolder(const QString& folder);

 signals:
  // Ok: txtPath's text, unchanged.
  void folderChosen(const QString& text);

 public slots:
  void reject() override;  // Escape: the same as Cancel

 protected:
 private:
  void fillDrives();
  void fillFolders();
  void driveChosen(int index);
  void folderActivated(QListWidgetItem* item);

  QLineEdit* path_;
  QComboBox* drives_;
  QListWidget* folders_;
  QPushButton* ok_;
  QPushButton* cancel_;
  QString current_;
  QHash<QString, QString> driveFolders_;  // each drive's current folder
};

}  // namespace tunebelt::qt
