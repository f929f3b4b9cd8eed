#include "ui/aboutdialog.h"

#include <QFontDatabase>
#include <QLabel>
#include <QTimer>
#include <vector>

#include "platform/fs.h"

namespace tunebelt {

namespace {

const QColor kAccent(246, 145, 16);
constexpr int kWidth = 7575;
constexpr int kHeight = 6450;
constexpr int kLabelLeft = 480;
constexpr int kLabelWidth = 6975;

QRect twips(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

QFont arial(double points) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(points);
  return font;
}

// Lucida Console where it is installed, else the system's fixed-width font.
QFont console(double points) {
  QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
  font.setFamilies({QStringLiteral("Lucida Console"), font.family()});
  font.setStyleHint(QFont::TypeWriter);
  font.setFixedPitch(true);
  font.setPointSizeF(points);
  return font;
}

QLabel* label(QWidget* parent, const char* name, const char* text, const QFont& font,
              const QRect& rect) {
  auto* l = new QLabel(QString::fromUtf8(text), parent);
  l->setObjectName(QString::fromUtf8(name));
  l->setFont(font);
  l->setGeometry(rect);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  QPalette p = l->palette();
  p.setColor(QPalette::WindowText, Qt::white);
  l->setPalette(p);
  return l;
}

std::vector<std::string> readCredits(const std::string& applicationFolder) {
  try {
    return platform::readTextLines(platform::joinPath(applicationFolder, "credits.txt"));
  } catch (const platform::FsError&) {
    return {};
  }
}

// The outer height in twips: the frame's, once the window system gave one.
int outerHeightTwips(const QWidget& window) {
  return window.frameGeometry().height() * 15;
}

}  // namespace

AboutDialog::AboutDialog(const std::string& applicationFolder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      roll_({}, 0) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QStringLiteral("Tunebelt - About"));
  setAttribute(Qt::WA_DeleteOnClose);
  setModal(true);
  setFixedSize(kWidth / 15, kHeight / 15);
  QPalette p = palette();
  p.setColor(QPalette::Window, kAccent);
  setPalette(p);
  setAutoFillBackground(true);

  label(this, "Label1", "TUNEBELT", arial(36), twips(120, 120, 7215, 855));
  label(this, "Label2", "YOUR GAME. YOUR MUSIC", arial(21.75), twips(1800, 840, 7215, 495));
  label(this, "Label3", "CREDITS:", arial(14.25), twips(240, 1680, 1455, 375));
  lblPosition_ = label(
      this, "lblPosition", "Position", console(12.75),
      twips(kLabelLeft, CreditsRoll::kPositionTop, kLabelWidth, CreditsRoll::kPositionHeight));
  lblName_ = label(this, "lblName", "Name", console(14.25),
                   twips(kLabelLeft, CreditsRoll::kNameTop, kLabelWidth, CreditsRoll::kNameHeight));
  lblName_->setWordWrap(true);
  // Credits are shown exactly as read, never as markup.
  lblPosition_->setTextFormat(Qt::PlainText);
  lblName_->setTextFormat(Qt::PlainText);

  roll_ = CreditsRoll(readCredits(applicationFolder),
                      CreditsRoll::startTopFor(outerHeightTwips(*this)));
  showRoll();

  timCredits_ = new QTimer(this);
  timCredits_->setObjectName(QStringLiteral("timCredits"));
  timCredits_->setInterval(40);
  connect(timCredits_, &QTimer::timeout, this, &AboutDialog::timCredits_Timer);
  if (!roll_.empty()) timCredits_->start();
}

void AboutDialog::timCredits_Timer() {
  roll_.tick();
  showRoll();
}

void AboutDialog::showRoll() {
  lblPosition_->setText(QString::fromStdString(roll_.positionCaption()));
  lblName_->setText(QString::fromStdString(roll_.nameCaption()));
  lblPosition_->move(kLabelLeft / 15, roll_.positionTop() / 15);
  lblName_->move(kLabelLeft / 15, roll_.nameTop() / 15);
  lblPosition_->setVisible(roll_.visible());
  lblName_->setVisible(roll_.visible());
}

}  // namespace tunebelt
