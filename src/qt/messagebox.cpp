#include "qt/messagebox.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QScreen>
#include <QSpacerItem>

#include "qt/units.h"

namespace tunebelt::qt {

namespace {

// A box over its window, centred on it. QMessageBox takes its final size
// only while it is shown, after Qt has centred it at the size it had before;
// it is centred again then, on the screen still.
class CentredBox : public QMessageBox {
 public:
  using QMessageBox::QMessageBox;

 protected:
  void showEvent(QShowEvent* event) override {
    QMessageBox::showEvent(event);
    const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (owner == nullptr || !owner->isVisible()) return;
    QRect frame = frameGeometry();
    frame.moveCenter(owner->frameGeometry().center());
    if (const QScreen* screen = owner->screen()) {
      frame = movedOntoScreen(frame, screen->availableGeometry());
    }
    move(frame.topLeft());
  }
};

}  // namespace

bool MessageBox::testMode_ = false;
QList<bool> MessageBox::answers_;
QList<bool> MessageBox::checks_;
QList<MessageBox::Shown> MessageBox::shown_;

void MessageBox::show(QWidget* parent, const QString& text, const QString& caption,
                      QMessageBox::Icon icon) {
  if (testMode_) {
    shown_.append({text, caption, icon, false, {}});
    return;
  }
  build(parent, text, caption, icon, QMessageBox::Ok)->exec();
}

bool MessageBox::askYesNo(QWidget* parent, const QString& text, const QString& caption) {
  if (testMode_) {
    shown_.append({text, caption, QMessageBox::Question, true, {}});
    return answers_.isEmpty() ? false : answers_.takeFirst();
  }
  return build(parent, text, caption, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No)
             ->exec() == QMessageBox::Yes;
}

YesNoChoice MessageBox::askYesNoWithCheckBox(QWidget* parent, const QString& text,
                                             const QString& caption, const QString& checkBoxText) {
  if (testMode_) {
    shown_.append({text, caption, QMessageBox::Question, true, checkBoxText});
    YesNoChoice choice;
    choice.yes = answers_.isEmpty() ? false : answers_.takeFirst();
    choice.checked = checks_.isEmpty() ? false : checks_.takeFirst();
    return choice;
  }
  auto box =
      build(parent, text, caption, QMessageBox::Question, QMessageBox::Yes | QMessageBox::No);
  auto* check = new QCheckBox(checkBoxText);
  check->setObjectName("chkMessageBox");
  box->setCheckBox(check);  // the box owns it
  YesNoChoice choice;
  choice.yes = box->exec() == QMessageBox::Yes;
  choice.checked = check->isChecked();
  return choice;
}

std::unique_ptr<QMessageBox> MessageBox::build(QWidget* parent, const QString& text,
                                               const QString& caption, QMessageBox::Icon icon,
                                               QMessageBox::StandardButtons buttons) {
  std::unique_ptr<QMessageBox> box =
      std::make_unique<CentredBox>(icon, caption, text, buttons, parent);
  // A box sized to a short text would have the window manager cut its
  // caption; a spacer row across the box holds it open.
  if (auto* grid = qobject_cast<QGridLayout*>(box->layout())) {
    grid->addItem(new QSpacerItem(captionRoom(caption), 0, QSizePolicy::Fixed, QSizePolicy::Fixed),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
  return box;
}

// Title bars set the caption in a bold face; their icon and three buttons
// take about 100 pixels more, and the rest is margin for larger themes.
int MessageBox::captionRoom(const QString& caption) {
  QFont font = QApplication::font();
  font.setBold(true);
  return QFontMetrics(font).horizontalAdvance(caption) + 160;
}

void MessageBox::setTestMode(bool on) {
  if (on != testMode_) {  // answers queued in test mode stay
    answers_.clear();
    checks_.clear();
  }
  testMode_ = on;
}

void MessageBox::queueAnswer(bool yes) {
  answers_.append(yes);
}

void MessageBox::queueCheckBox(bool checked) {
  checks_.append(checked);
}

const QList<MessageBox::Shown>& MessageBox::shown() {
  return shown_;
}

void MessageBox::clearShown() {
  shown_.clear();
}

}  // namespace tunebelt::qt
