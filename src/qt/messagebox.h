// Message boxes go through here, so that a test can answer them beforehand
// and read back what was shown instead of blocking on a modal box.
#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>
#include <memory>

#include "core/state/host.h"

namespace tunebelt::qt {

class MessageBox {
 public:
  struct Shown {
    QString text;
    QString caption;
    QMessageBox::Icon icon;
    bool question;
    QString checkBox;  // the check box's text; empty for a box without one
  };

  // A box with an OK button.
  static void show(QWidget* parent, const QString& text, const QString& caption,
                   QMessageBox::Icon icon);
  // A box with Yes and No; true for Yes.
  static bool askYesNo(QWidget* parent, const QString& text, const QString& caption);
  // A box with Yes and No and a check box under the text, not ticked at
  // first.
  static YesNoChoice askYesNoWithCheckBox(QWidget* parent, const QString& text,
                                          const QString& caption, const QString& checkBoxText);

  // The box that show() and askYesNo() open, not yet shown. It is at least
  // as wide as its caption needs in a window manager's title bar.
  static std::unique_ptr<QMessageBox> build(QWidget* parent, const QString& text,
                                            const QString& caption, QMessageBox::Icon icon,
                                            QMessageBox::StandardButtons buttons);
  // The width a title bar needs for the caption, its icon and its buttons.
  static int captionRoom(const QString& caption);

  // ---- test hooks -----------------------------------------------------------
  // In test mode no box is shown: every box is recorded, and questions take
  // the queued answers (No once the queue is empty). Answers queued in test
  // mode stay until taken; turning the mode on or off drops them.
  static void setTestMode(bool on);
  static void queueAnswer(bool yes);
  // How the next question with a check box leaves it (not ticked once the
  // queue is empty).
  static void queueCheckBox(bool checked);
  static const QList<Shown>& shown();
  static void clearShown();

 private:
  static bool testMode_;
  static QList<bool> answers_;
  static QList<bool> checks_;
  static QList<Shown> shown_;
};

}  // namespace tunebelt::qt
