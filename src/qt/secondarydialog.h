// What every secondary window of the program shares: it exists once, its
// owner shows it modally, Ok and Cancel hide it (the next opening shows the
// same window as it was), and closing it through its title bar discards it,
// so the next opening builds it afresh.
#pragma once

#include <QCloseEvent>
#include <QDialog>
#include <QPointer>
#include <QScreen>

#include "qt/units.h"

namespace tunebelt::qt {

class SecondaryDialog : public QDialog {
 public:
  using QDialog::QDialog;

  // Closed through its title bar: the owner discards it after showing it.
  bool discarded() const { return discarded_; }

  // Shows the dialog modally, centred on its owner, and, when it was closed
  // through its title bar, deletes it (the pointer then reads null).
  template <typename Dialog>
  static void runModal(QPointer<Dialog>& dialog) {
    dialog->centreOnOwner();
    dialog->exec();
    if (dialog && dialog->discarded()) delete dialog.data();
  }

 protected:
  // Places the dialog's inside centred on its owner's inside, every time it
  // opens: the inside, not the frame, so the window manager's frame, known
  // only once the dialog has been shown, cannot move it between openings.
  // Kept inside the owner's screen.
  void centreOnOwner() {
    const QWidget* owner = parentWidget();
    if (owner == nullptr) return;
    QRect inside(QPoint(0, 0), size());
    inside.moveCenter(owner->window()->geometry().center());
    if (const QScreen* screen = owner->screen()) {
      inside = movedOntoScreen(inside, screen->availableGeometry());
    }
    setGeometry(inside);
  }

  void closeEvent(QCloseEvent* event) override {
    discarded_ = true;
    QDialog::closeEvent(event);
  }

 private:
  bool discarded_ = false;
};

}  // namespace tunebelt::qt
