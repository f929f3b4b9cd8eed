// frmOptions: the two starting volumes and the audio options (levelled
// loudness, the bit rate of converted copies). The boxes are kept in range
// while the user types; Apply stores them in the state and in the settings
// file.
#pragma once

#include <string>
#include "qt/secondarydialog.h"

#include "core/state/host.h"
#include "core/state/state.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace tunebelt::qt {

class CheckBox;
class TextLabel;

class OptionsDialog : public SecondaryDialog {
  Q_OBJECT

 public:
  // Fills the boxes from the state. Closing through the title bar deletes
  // the dialog; the owner keeps a QPointer and makes a new one next time.
  OptionsDialog(ProgramState& state, std::string settingsPath, Prompts& prompts,
                QWidget* parent = nullptr);

  // Escape and Cancel: the boxes go back to the stored volumes, then hide.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;
 private slots:
  void cmdApply_Click();
  void cmdOk_Click();

 private:
  void loadBoxes();
  void loadAudioOptions();
  void validate(QLineEdit* box);
  void apply();

  ProgramState& state_;
  std::string settingsPath_;
  Prompts& host_;
  QLineEdit* txtMP3Vol_;
  QLineEdit* txtGameVol_;
  CheckBox* chkLevel_;
  TextLabel* lblBitrate_;
  QComboBox* cboBitrate_;
  bool validating_ = false;
};

}  // namespace tunebelt::qt
