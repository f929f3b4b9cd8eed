#include "qt/aboutdialog.h"

#include <QFontDatabase>
#include <QLabel>
#include <QTimer>
#include <vector>

#include "platform/fs.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

namespace {

constexpr int kWidth = 7575;
constexpr int kHeight = 6450;
constexpr int kLabelLeft = 480;
constexpr int kLabelWidth = 6975;

// The program's version (CMake's project version) and its licence.
constexpr const char* kVersionLine = "Version " TUNEBELT_VERSION " \u00b7 GPL-3.0-or-later";

// Lucida Console where it is installed, else the system's fixed-width font.
QFont console(double points) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setFamilies({QStringLiteral("Lucida Console"), font.family()});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  return font;
}

// The position line: one line, cut at the label's edge.
QLabel* lineLabel(QWidget* parent, const char* name, const char* text, const QFont& font,
                  const QRect& rect) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setTextFormat(Qt::PlainText);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  l->setFont(font);
  l->setGeometry(rect);
  setTextColour(l, kWhite);
  return l;
}

std::vector<std::string> readCredits(const std::string& applicationFolder) {
  try {
    return platform::readTextLines(platform::joinPath(applicationFolder, "credits.txt"));
  } catch (const platform::FsError&) {
    return {};
  }
}

}  // namespace

AboutDialog::AboutDialog(const std::string& applicationFolder, QWidget* parent,
                         std::function<int()> frameHeight)
    : SecondaryDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint),
      frameHeight_(std::move(frameHeight)),
      roll_({}, 0) {
  if (!frameHeight_) {
    frameHeight_ = [this] { return frameGeometry().height() - geometry().height(); };
  }
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("Tunebelt - About"));
  setModal(true);
  setFixedSize(px(kWidth), px(kHeight));
  fillWithAccentOrange(this);

  // The free space the design leaves around each caption (in pixels): the
  // dialog less a few pixels of margin, the slogan under the name, the
  // version right of the heading.
  designLabel(this, "Label1", "TUNEBELT", arial(36),
              {twipsRect(120, 120, 7215, 855), QRect(4, 2, 497, 54)});
  designLabel(this, "Label2", "YOUR GAME. YOUR MUSIC", arial(21.75),
              {twipsRect(1800, 840, 7215, 495), QRect(8, 56, 493, 52)});
  designLabel(this, "Label3", "CREDITS:", arial(14.25),
              {twipsRect(240, 1680, 1455, 375), QRect(8, 108, 220, 34)});
  designLabel(this, "lblVersion", kVersionLine, arial(9.75),
              {QRect(240, 116, 257, 20), QRect(232, 110, 269, 34)});
  lblPosition_ = lineLabel(
      this, "lblPosition", "Position", console(12.75),
      twipsRect(kLabelLeft, CreditsRoll::kPositionTop, kLabelWidth, CreditsRoll::kPositionHeight));
  // The name wraps onto further lines within its box, as the design has it.
  lblName_ = new TextLabel("lblName", "Name", this);
  setTextColour(lblName_, kWhite);
  lblName_->setFont(console(14.25));
  lblName_->setGeometry(
      twipsRect(kLabelLeft, CreditsRoll::kNameTop, kLabelWidth, CreditsRoll::kNameHeight));

  roll_ = CreditsRoll(readCredits(applicationFolder), CreditsRoll::startTopFor(twips(height())));
  showRoll();

  timCredits_ = new QTimer(this);
  timCredits_->setObjectName(QStringLiteral("timCredits"));
  timCredits_->setInterval(40);
  connect(timCredits_, &QTimer::timeout, this, &AboutDialog::timCredits_Timer);
  if (!roll_.empty()) timCredits_->start();
}

void AboutDialog::placeRollStart() {
  const int start = CreditsRoll::startTopFor(twips(height() + frameHeight_()));
  if (start == roll_.startTop()) return;
  roll_.setStartTop(start);
  showRoll();
}

void AboutDialog::showEvent(QShowEvent* event) {
  SecondaryDialog::showEvent(event);
  placeRollStart();
}

// The window manager frames the window after it is shown and then moves it
// inside the frame: the outer height is known from then on.
void AboutDialog::moveEvent(QMoveEvent* event) {
  SecondaryDialog::moveEvent(event);
  placeRollStart();
}

void AboutDialog::timCredits_Timer() {
  roll_.tick();
  showRoll();
}

void AboutDialog::showRoll() {
  lblPosition_->setText(QString::fromStdString(roll_.positionCaption()));
  lblName_->setText(QString::fromStdString(roll_.nameCaption()));
  lblPosition_->move(px(kLabelLeft), px(roll_.positionTop()));
  lblName_->move(px(kLabelLeft), px(roll_.nameTop()));
  lblPosition_->setVisible(roll_.visible());
  lblName_->setVisible(roll_.visible());
}

}  // namespace tunebelt::qt
