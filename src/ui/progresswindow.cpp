#include "ui/progresswindow.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "ui/pictures.h"
#include "ui/twips.h"
#include "ui/widgets.h"

namespace tunebelt::ui {

ProgressWindow::ProgressWindow(QWidget* parent) : QWidget(parent, Qt::Window) {
  setObjectName("frmScript");
  setWindowTitle(kProgressCaption);
  setFixedSize(px(5565), px(1905));
  fillWithAccentOrange(this);

  gen_ = addStage("imgGen", "Generating Script", 240, false);
  genLit_ = addStage("imgGenb", "Generating Script", 240, true);
  copy_ = addStage("imgCopy", "Copying Files", 615, false);
  copyLit_ = addStage("imgCopyb", "Copying Files", 615, true);
  comp_ = addStage("imgComp", "Complete", 990, false);
  compLit_ = addStage("imgCompb", "Complete", 990, true);
  gen_->show();

  bar_ = new QProgressBar(this);
  bar_->setObjectName("prgFilecopy");
  bar_->setGeometry(twipsRect(225, 1410, 5205, 330));
  bar_->setMinimum(0);
  bar_->setMaximum(100);
  bar_->reset();
  bar_->setTextVisible(false);

  script_ = new QPlainTextEdit(this);
  script_->setObjectName("txtScript");
  script_->setGeometry(twipsRect(195, 135, 645, 360));
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSizeF(9);
  script_->setFont(fixed);
  script_->setReadOnly(true);
}

ImageWidget* ProgressWindow::addStage(const QString& name, const QString& words, int top,
                                      bool lit) {
  auto* img = new ImageWidget(name, this);
  img->setGeometry(twipsRect(570, top, 4500, 300));
  img->setPicture(wordsPicture(words, px(4500), px(300), lit));
  img->hide();
  return img;
}

void ProgressWindow::setStage(Stage stage) {
  switch (stage) {
    case Stage::Generating:
      setWindowTitle(kProgressCaption);
      bar_->reset();
      gen_->hide();
      genLit_->show();
      copy_->show();
      copyLit_->hide();
      comp_->show();
      compLit_->hide();
      break;
    case Stage::Copying:
      gen_->show();
      genLit_->hide();
      copy_->hide();
      copyLit_->show();
      break;
    case Stage::Complete:
      copy_->show();
      copyLit_->hide();
      comp_->hide();
      compLit_->show();
      break;
  }
}

void ProgressWindow::setScriptText(const QString& text) {
  script_->setPlainText(text);
}

void ProgressWindow::setProgressMaximum(int maximum) {
  bar_->setMaximum(maximum);
}

void ProgressWindow::setProgressValue(int value) {
  bar_->setValue(value);
}

}  // namespace tunebelt::ui
