#include "ui/messagebox.h"

namespace tunebelt::ui {

bool MessageBox::testMode_ = false;
QList<bool> MessageBox::answers_;
QList<MessageBox::Shown> MessageBox::shown_;

void MessageBox::show(QWidget* parent, const QString& text, const QString& caption,
                      QMessageBox::Icon icon) {
  if (testMode_) {
    shown_.append({text, caption, icon, false});
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, parent);
  box.exec();
}

bool MessageBox::askYesNo(QWidget* parent, const QString& text, const QString& caption) {
  if (testMode_) {
    shown_.append({text, caption, QMessageBox::Question, true});
    return answers_.isEmpty() ? false : answers_.takeFirst();
  }
  QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::Yes | QMessageBox::No, parent);
  return box.exec() == QMessageBox::Yes;
}

void MessageBox::setTestMode(bool on) {
  if (on != testMode_) answers_.clear();  // answers queued in test mode stay
  testMode_ = on;
}

void MessageBox::queueAnswer(bool yes) {
  answers_.append(yes);
}

const QList<MessageBox::Shown>& MessageBox::shown() {
  return shown_;
}

void MessageBox::clearShown() {
  shown_.clear();
}

}  // namespace tunebelt::ui
