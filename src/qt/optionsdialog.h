// frmOptions: the two starting volumes, each a list of the steps the game's
// volume keys take, and the audio options (levelled loudness, the bit rate
// of converted copies). The values, what they may be and what Apply stores are
// the window model's (OptionsForm); the dialog shows them and hands each
// choice back.
#pragma once

#include "qt/secondarydialog.h"

#include "core/window/options.h"

class QComboBox;
class QLabel;

namespace tunebelt::qt {
class CheckBox;
}

namespace tunebelt::qt {

class OptionsDialog : public SecondaryDialog {
  Q_OBJECT

 public:
  // Closing through the title bar deletes the dialog; the owner keeps a
  // QPointer and makes a new one next time.
  explicit OptionsDialog(OptionsForm& form, QWidget* parent = nullptr);

  // Escape and Cancel: the values go back to the stored ones, then hide.
  void reject() override;

 protected:
  // Every opening shows the form's values.
  void showEvent(QShowEvent* event) override;

 private slots:
  void cmdApply_Click();
  void cmdOk_Click();

 private:
  void loadBoxes();

  OptionsForm& form_;
  QComboBox* cboMP3Vol_;
  QComboBox* cboGameVol_;
  CheckBox* chkLevel_;
  QLabel* lblBitrate_;
  QComboBox* cboBitrate_;
};

}  // namespace tunebelt::qt
