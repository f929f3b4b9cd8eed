#include "qt/progresswindow.h"

#include <QFontDatabase>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTextDocument>
#include <algorithm>

#include "qt/pictures.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

namespace {

// txtScript: a small text box that shows one line of the script, the start
// of it, centred in the box's height.
class ScriptBox : public QPlainTextEdit {
 public:
  explicit ScriptBox(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    document()->setDocumentMargin(1);
  }

  // Narrows the view to a single line; called once the size and font are set.
  void showOneLine() {
    const int inner = height() - 2 * frameWidth();
    const int line = fontMetrics().lineSpacing() + 2 * int(document()->documentMargin());
    const int spare = std::max(0, inner - line);
    setViewportMargins(0, spare / 2, 0, spare - spare / 2);
  }
};

}  // namespace

// A dialog-type window: the window manager keeps it above the main window
// (X11 marks only dialog-like windows as transient); it is not modal.
ProgressWindow::ProgressWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
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
  end_ = addStage("imgEnd", QString(), 990, true);
  gen_->show();

  bar_ = new QProgressBar(this);
  bar_->setObjectName("prgFilecopy");
  bar_->setGeometry(twipsRect(225, 1410, 5205, 330));
  bar_->setMinimum(0);
  bar_->setMaximum(100);
  bar_->reset();
  bar_->setTextVisible(false);

  auto* script = new ScriptBox(this);
  script_ = script;
  script_->setObjectName("txtScript");
  script_->setGeometry(twipsRect(195, 135, 645, 360));
  QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  fixed.setPointSizeF(9);
  script_->setFont(fixed);
  script->showOneLine();
}

QRect ProgressWindow::placeOver(const QRect& owner, int menuBottom, const QSize& outer,
                                const QRect& screen) {
  QRect r(QPoint(0, 0), outer);
  r.moveCenter(owner.center());
  r = movedOntoScreen(r, screen);
  // The owner's title bar and menu bar stay free for the next click.
  const QRect ownerTop(owner.topLeft(), QPoint(owner.right(), menuBottom - 1));
  if (r.intersects(ownerTop)) r.moveTop(menuBottom);
  return r;
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
      bar_->setTextVisible(false);
      end_->hide();
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

void ProgressWindow::showEnd(const SaveEndState& end) {
  bar_->setMaximum(std::max(end.maximum, 1));
  bar_->setValue(end.value);
  if (end.complete) return;
  copy_->show();
  copyLit_->hide();
  comp_->hide();
  compLit_->hide();
  end_->setPicture(wordsPicture(QString::fromStdString(end.stageWords), px(4500), px(300), true));
  end_->show();
  bar_->setFormat(QString::fromStdString(end.barText));
  bar_->setTextVisible(true);
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

}  // namespace tunebelt::qt
