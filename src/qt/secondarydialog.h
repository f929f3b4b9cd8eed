// What every secondary window of the program shares: it exists once, its
// owner shows it modally, Ok and Cancel hide it (the next opening shows the
// same window as it was), and closing it through its title bar discards it,
// so the next opening builds it afresh.
#pragma once

#include <QCloseEvent>
#include <QDialog>
#include <QPointer>

namespace tunebelt::qt {

class SecondaryDialog : public QDialog {
 public:
  using QDialog::QDialog;

  // Closed through its title bar: the owner discards it after showing it.
  bool discarded() const { return discarded_; }

  // Shows the dialog modally and, when it was closed through its title bar,
  // deletes it (the pointer then reads null).
  template <typename Dialog>
  static void runModal(QPointer<Dialog>& dialog) {
    dialog->exec();
    if (dialog && dialog->discarded()) delete dialog.data();
  }

 protected:
  void closeEvent(QCloseEvent* event) override {
    discarded_ = true;
    QDialog::closeEvent(event);
  }

 private:
  bool discarded_ = false;
};

}  // namespace tunebelt::qt
