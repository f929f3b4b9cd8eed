// frmAbout: the product's name and slogan over an endless credits roll read
// from credits.txt beside the program.
#pragma once

#include <QDialog>
#include <string>

#include "core/state/credits.h"

class QLabel;
class QTimer;

namespace tunebelt::ui {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  // Reads the credits at once; a missing or empty file leaves the roll out.
  // Closing through the title bar deletes the dialog.
  explicit AboutDialog(const std::string& applicationFolder, QWidget* parent = nullptr);

  const CreditsRoll& roll() const { return roll_; }

 public slots:
  // One step of the roll; timCredits calls it every 40 ms.
  void timCredits_Timer();

 private:
  void showRoll();

  CreditsRoll roll_;
  QLabel* lblPosition_;
  QLabel* lblName_;
  QTimer* timCredits_;
};

}  // namespace tunebelt::ui
