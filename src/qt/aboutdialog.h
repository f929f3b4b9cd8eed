// frmAbout: the product's name and slogan over an endless credits roll read
// from credits.txt beside the program.
#pragma once

#include <functional>
#include <string>
#include "qt/secondarydialog.h"

#include "core/state/credits.h"

class QLabel;
class QTimer;

namespace tunebelt::qt {

class AboutDialog : public SecondaryDialog {
  Q_OBJECT

 public:
  // Reads the credits at once; a missing or empty file leaves the roll out.
  // Closing through the title bar deletes the dialog.
  // `frameHeight` is what the window manager's frame adds to the height
  // (read from the window when empty; 0 until it has framed the window).
  explicit AboutDialog(const std::string& applicationFolder, QWidget* parent = nullptr,
                       std::function<int()> frameHeight = {});

  const CreditsRoll& roll() const { return roll_; }

 public slots:
  // One step of the roll; timCredits calls it every 40 ms.
  void timCredits_Timer();

 protected:
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;

 private:
  void showRoll();
  // The roll starts at the outer height, which includes the frame once the
  // window manager gave one.
  void placeRollStart();

  std::function<int()> frameHeight_;

  CreditsRoll roll_;
  QLabel* lblPosition_;
  QLabel* lblName_;
  QTimer* timCredits_;
};

}  // namespace tunebelt::qt
