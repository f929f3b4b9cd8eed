#include "ui/uihost.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListWidget>
#include <QLocale>
#include <QSignalBlocker>

#include "ui/filedialog.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"
#include "ui/progresswindow.h"
#include "ui/style.h"
#include "ui/units.h"
#include "ui/widgets.h"

namespace tunebelt::ui {

namespace {

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

char decimalSeparator() {
  const QString point = QLocale().decimalPoint();
  if (point.size() == 1 && point[0].unicode() > 32 && point[0].unicode() < 127) {
    return point[0].toLatin1();
  }
  return '.';
}

void UiHost::showMessage(std::string_view text, std::string_view caption, MessageIcon icon) {
  MessageBox::show(&window_, qs(text), qs(caption), boxIcon(icon));
}

bool UiHost::askYesNo(std::string_view text, std::string_view caption) {
  return MessageBox::askYesNo(&window_, qs(text), qs(caption));
}

YesNoChoice UiHost::askYesNoWithCheckBox(std::string_view text, std::string_view caption,
                                         std::string_view checkBoxText) {
  return MessageBox::askYesNoWithCheckBox(&window_, qs(text), qs(caption), qs(checkBoxText));
}

std::string UiHost::chooseOpenFile(std::string_view filter, std::string_view startFolder) {
  const QString chosen = FileDialog::getOpenFileName(&window_, "Tunebelt - Open", qs(startFolder),
                                                     FileDialog::toQtFilter(qs(filter)));
  return chosen.toStdString();
}

void UiHost::processEvents() {
  QCoreApplication::processEvents();
}

void UiHost::showProgressWindow() {
  window_.showProgressWindow();
}

void UiHost::setStage(Stage stage) {
  // A save has begun: the buttons' hover images go, as for every command.
  if (stage == Stage::Generating) window_.hideHoverImages();
  window_.progressWindow()->setStage(stage);
}

void UiHost::setScriptText(const std::string& text) {
  window_.progressWindow()->setScriptText(qs(text));
}

void UiHost::setProgressMaximum(int maximum) {
  window_.progressWindow()->setProgressMaximum(maximum);
}

void UiHost::setProgressValue(int value) {
  window_.progressWindow()->setProgressValue(value);
}

void UiHost::setProgressCaption(const std::string& caption) {
  window_.progressWindow()->setWindowTitle(qs(caption));
}

void UiHost::playlistChanged(const std::vector<std::string>& lines, const PlaylistChange& change) {
  window_.showPlaylist(lines, change);
}

void UiHost::modFolderTextChanged(const std::string& text) {
  window_.modFolderBox()->setEditText(qs(text));
}

void UiHost::modFolderEnabledChanged(bool enabled) {
  window_.modFolderBox()->setEnabled(enabled);
}

void UiHost::modFolderRemembered(const std::string& folder) {
  window_.addRememberedFolder(qs(folder));
}

void UiHost::cacheLabelChanged(const std::string& text) {
  window_.showCacheLabel(qs(text));
}

}  // namespace tunebelt::ui
