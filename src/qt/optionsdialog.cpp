#include "qt/optionsdialog.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include "core/state/audiooptions.h"
#include "core/state/settings.h"
#include "core/state/volume.h"
#include "platform/fs.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

namespace {

constexpr const char* kVolumeStepsNote =
    "Between the game's steps (0, 2, 5, 9, 13, 15, 20 ... 100) the nearest one is used.";

// A label with the free space around it that the design leaves (in pixels):
// up to the volume boxes, which begin at x 80.
QLabel* label(QWidget* parent, const char* name, const char* text, const QRect& designed,
              const QRect& room) {
  return designLabel(parent, name, text, arial(9.75), {designed, room, 1});
}

QLineEdit* volumeBox(QWidget* parent, const char* name, const QRect& rect) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QString::fromUtf8(name));
  box->setGeometry(rect);
  box->setFont(arial(8.25));
  setColours(box, kWhite, kAccentOrange);
  return box;
}

QPushButton* button(QWidget* parent, const char* name, const char* text, const QRect& rect) {
  auto* b = new QPushButton(QString::fromUtf8(text), parent);
  b->setObjectName(QString::fromUtf8(name));
  b->setGeometry(rect);
  b->setFont(arial(9.75));
  setBackgroundColour(b, kAccentOrange);
  fitButtonText(b);
  return b;
}

}  // namespace

OptionsDialog::OptionsDialog(ProgramState& state, std::string settingsPath, Prompts& prompts,
                             QWidget* parent)
    : SecondaryDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint),
      state_(state),
      settingsPath_(std::move(settingsPath)),
      host_(prompts) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Tunebelt - Options"));
  setModal(true);
  setFixedSize(px(4170), px(3030));
  fillWithAccentOrange(this);

  label(this, "Label1", "Initial Volumes (0-100):", twipsRect(240, 240, 2055, 255),
        QRect(8, 8, 262, 32));
  label(this, "Label3", "MP3:", twipsRect(480, 720, 615, 255), QRect(8, 44, 71, 24));
  txtMP3Vol_ = volumeBox(this, "txtMP3Vol", twipsRect(1200, 720, 855, 270));
  label(this, "Label2", "Game:", twipsRect(480, 1080, 735, 255), QRect(8, 70, 71, 24));
  txtGameVol_ = volumeBox(this, "txtGameVol", twipsRect(1200, 1080, 855, 270));
  // The game steps its volumes through a ladder; a save starts each at the
  // ladder's step nearest to the value given here.
  // Two lines between the volume boxes and the buttons, across the dialog.
  designLabel(this, "lblVolumeSteps", kVolumeStepsNote, arial(8.25),
              {twipsRect(240, 1380, 3750, 390), QRect(8, 90, 262, 28), 2});
  // The audio options: levelled loudness and the bit rate of converted copies.
  chkLevel_ = new CheckBox("chkLevel", {}, this);
  chkLevel_->setFont(arial(8.25));
  setColours(chkLevel_, kWhite, kAccentOrange);
  chkLevel_->setRoom({twipsRect(240, 1800, 3750, 255), QRect(8, 120, 262, 20), 1});
  lblBitrate_ = designLabel(this, "lblBitrate", "", arial(8.25),
                            {twipsRect(240, 2160, 1500, 255), QRect(8, 144, 110, 20), 1});
  cboBitrate_ = new QComboBox(this);
  cboBitrate_->setObjectName(QStringLiteral("cboBitrate"));
  cboBitrate_->setGeometry(twipsRect(1800, 2130, 1455, 300));
  cboBitrate_->setFont(arial(8.25));
  for (int kbps : kBitrateChoices) {
    cboBitrate_->addItem(QString::fromStdString(BitrateText(kbps)), kbps);
  }
  QPushButton* cmdCancel = button(this, "cmdCancel", "Cancel", twipsRect(120, 2520, 1230, 375));
  QPushButton* cmdApply = button(this, "cmdApply", "Apply", twipsRect(1440, 2520, 1230, 375));
  QPushButton* cmdOk = button(this, "cmdOk", "Ok", twipsRect(2760, 2520, 1230, 375));
  cmdOk->setDefault(true);

  setTabOrder(txtMP3Vol_, txtGameVol_);
  setTabOrder(txtGameVol_, chkLevel_);
  setTabOrder(chkLevel_, cboBitrate_);
  setTabOrder(cboBitrate_, cmdOk);
  setTabOrder(cmdOk, cmdApply);
  setTabOrder(cmdApply, cmdCancel);
  txtMP3Vol_->setFocus();

  connect(txtMP3Vol_, &QLineEdit::textChanged, this, [this] { validate(txtMP3Vol_); });
  connect(txtGameVol_, &QLineEdit::textChanged, this, [this] { validate(txtGameVol_); });
  connect(cmdApply, &QPushButton::clicked, this, &OptionsDialog::cmdApply_Click);
  connect(cmdOk, &QPushButton::clicked, this, &OptionsDialog::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &OptionsDialog::reject);

  loadBoxes();
}

void OptionsDialog::loadBoxes() {
  txtGameVol_->setText(QString::number(state_.GameVolume));
  txtMP3Vol_->setText(QString::number(state_.Mp3Volume));
  loadAudioOptions();
}

void OptionsDialog::loadAudioOptions() {
  const AudioOptionTexts& texts = AudioOptionTextsOf(state_.Language);
  chkLevel_->setText(QString::fromUtf8(texts.levelLoudness.data(),
                                       static_cast<qsizetype>(texts.levelLoudness.size())));
  lblBitrate_->setText(
      QString::fromUtf8(texts.bitrate.data(), static_cast<qsizetype>(texts.bitrate.size())));
  chkLevel_->setChecked(state_.LevelLoudness);
  // A stored rate the list does not offer shows the default.
  const int at = cboBitrate_->findData(state_.BitrateKbps);
  cboBitrate_->setCurrentIndex(at >= 0 ? at : cboBitrate_->findData(audio::kDefaultBitrateKbps));
}

void OptionsDialog::showEvent(QShowEvent* event) {
  loadAudioOptions();  // the language may have changed since the last opening
  SecondaryDialog::showEvent(event);
}

void OptionsDialog::validate(QLineEdit* box) {
  if (validating_) return;
  std::string text = box->text().toStdString();
  std::string valid = validvolume(text);
  if (valid == text) return;
  validating_ = true;
  box->setText(QString::fromStdString(valid));
  validating_ = false;
}

void OptionsDialog::apply() {
  ApplyOptions(state_, txtMP3Vol_->text().toStdString(), txtGameVol_->text().toStdString(),
               chkLevel_->isChecked(), cboBitrate_->currentData().toInt(), settingsPath_, host_);
}

void OptionsDialog::cmdApply_Click() {
  apply();
}

// Ok and Cancel only hide the dialog: the next "Options..." shows this same
// instance.
void OptionsDialog::cmdOk_Click() {
  apply();
  hide();
}

void OptionsDialog::reject() {
  loadBoxes();
  hide();
}

}  // namespace tunebelt::qt
