#include "qt/optionsdialog.h"

#include <QComboBox>
#include <QPushButton>
#include <QSignalBlocker>

#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

namespace {

// A label with the free space around it that the design leaves (in pixels):
// up to the volume boxes, which begin at x 80.
QLabel* label(QWidget* parent, const char* name, const char* text, const QRect& designed,
              const QRect& room) {
  return designLabel(parent, name, text, arial(9.75), {designed, room, 1});
}

// A list of the volume steps, with the buttons' face and dark text (white
// on the light face of a drop-down list would barely show); it takes the
// height its style needs, at least the designed one.
QComboBox* volumeBox(QWidget* parent, const char* name, const QRect& rect) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromUtf8(name));
  box->setFont(arial(8.25));
  setBackgroundColour(box, kAccentOrange);
  for (int step : OptionsForm::VolumeChoices()) box->addItem(QString::number(step), step);
  box->setGeometry(rect.adjusted(0, 0, 0, std::max(0, box->sizeHint().height() - rect.height())));
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

OptionsDialog::OptionsDialog(OptionsForm& form, QWidget* parent)
    : SecondaryDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint),
      form_(form) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Tunebelt - Options"));
  setModal(true);
  setFixedSize(px(4170), px(3030));
  fillWithAccentOrange(this);

  label(this, "Label1", "Initial Volumes (0-100):", twipsRect(240, 240, 2055, 255),
        QRect(8, 8, 262, 32));
  label(this, "Label3", "MP3:", twipsRect(480, 720, 615, 255), QRect(8, 44, 71, 24));
  cboMP3Vol_ = volumeBox(this, "cboMP3Vol", twipsRect(1200, 720, 1095, 270));
  label(this, "Label2", "Game:", twipsRect(480, 1080, 735, 255), QRect(8, 70, 71, 24));
  cboGameVol_ = volumeBox(this, "cboGameVol", twipsRect(1200, 1080, 1095, 270));
  // The audio options: levelled loudness and the bit rate of converted copies.
  chkLevel_ = new CheckBox("chkLevel", {}, this);
  chkLevel_->setFont(arial(8.25));
  setColours(chkLevel_, kWhite, kAccentOrange);
  chkLevel_->setRoom({twipsRect(240, 1500, 3750, 255), QRect(8, 100, 262, 20), 1});
  lblBitrate_ = designLabel(this, "lblBitrate", "", arial(8.25),
                            {twipsRect(240, 1920, 1500, 255), QRect(8, 128, 110, 20), 1});
  cboBitrate_ = new QComboBox(this);
  cboBitrate_->setObjectName(QStringLiteral("cboBitrate"));
  cboBitrate_->setFont(arial(8.25));
  setBackgroundColour(cboBitrate_, kAccentOrange);
  for (int kbps : kBitrateChoices) {
    cboBitrate_->addItem(QString::fromStdString(BitrateText(kbps)), kbps);
  }
  const QRect bitrateRect = twipsRect(1800, 1890, 1455, 300);
  cboBitrate_->setGeometry(bitrateRect.adjusted(
      0, 0, 0, std::max(0, cboBitrate_->sizeHint().height() - bitrateRect.height())));
  QPushButton* cmdCancel = button(this, "cmdCancel", "Cancel", twipsRect(120, 2520, 1230, 375));
  QPushButton* cmdApply = button(this, "cmdApply", "Apply", twipsRect(1440, 2520, 1230, 375));
  QPushButton* cmdOk = button(this, "cmdOk", "Ok", twipsRect(2760, 2520, 1230, 375));
  cmdOk->setDefault(true);

  setTabOrder(cboMP3Vol_, cboGameVol_);
  setTabOrder(cboGameVol_, chkLevel_);
  setTabOrder(chkLevel_, cboBitrate_);
  setTabOrder(cboBitrate_, cmdOk);
  setTabOrder(cmdOk, cmdApply);
  setTabOrder(cmdApply, cmdCancel);
  cboMP3Vol_->setFocus();

  connect(cboMP3Vol_, &QComboBox::currentIndexChanged, this, [this] {
    form_.setMp3Volume(cboMP3Vol_->currentData().toInt());
    loadBoxes();
  });
  connect(cboGameVol_, &QComboBox::currentIndexChanged, this, [this] {
    form_.setGameVolume(cboGameVol_->currentData().toInt());
    loadBoxes();
  });
  connect(chkLevel_, &QCheckBox::toggled, this, [this](bool on) { form_.setLevelLoudness(on); });
  connect(cboBitrate_, &QComboBox::currentIndexChanged, this, [this] {
    form_.setBitrate(cboBitrate_->currentData().toInt());
    loadBoxes();
  });
  connect(cmdApply, &QPushButton::clicked, this, &OptionsDialog::cmdApply_Click);
  connect(cmdOk, &QPushButton::clicked, this, &OptionsDialog::cmdOk_Click);
  connect(cmdCancel, &QPushButton::clicked, this, &OptionsDialog::reject);

  loadBoxes();
}

void OptionsDialog::loadBoxes() {
  const QSignalBlocker blockMp3(cboMP3Vol_);
  const QSignalBlocker blockGame(cboGameVol_);
  const QSignalBlocker blockLevel(chkLevel_);
  const QSignalBlocker blockBitrate(cboBitrate_);
  const OptionValues& values = form_.values();
  cboMP3Vol_->setCurrentIndex(OptionsForm::VolumeChoiceIndex(values.mp3Volume));
  cboGameVol_->setCurrentIndex(OptionsForm::VolumeChoiceIndex(values.gameVolume));
  // The captions follow the language, which may have changed since the last
  // opening.
  const AudioOptionTexts& texts = form_.audioTexts();
  chkLevel_->setText(QString::fromUtf8(texts.levelLoudness.data(),
                                       static_cast<qsizetype>(texts.levelLoudness.size())));
  lblBitrate_->setText(
      QString::fromUtf8(texts.bitrate.data(), static_cast<qsizetype>(texts.bitrate.size())));
  chkLevel_->setChecked(values.levelLoudness);
  cboBitrate_->setCurrentIndex(cboBitrate_->findData(values.bitrateKbps));
}

void OptionsDialog::showEvent(QShowEvent* event) {
  loadBoxes();
  SecondaryDialog::showEvent(event);
}

void OptionsDialog::cmdApply_Click() {
  form_.apply();
}

// Ok and Cancel only hide the dialog: the next "Options..." shows this same
// instance.
void OptionsDialog::cmdOk_Click() {
  form_.apply();
  hide();
}

void OptionsDialog::reject() {
  form_.reload();
  loadBoxes();
  hide();
}

}  // namespace tunebelt::qt
