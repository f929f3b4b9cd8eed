// The options and about dialogs and the links, driven offscreen.
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <QtTest>
#include <cstdint>
#include <optional>

#include "core/state/settings.h"
#include "qt/aboutdialog.h"
#include "qt/links.h"
#include "qt/messagebox.h"
#include "qt/optionsdialog.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"
#include "recording_host.h"
#include "test_util.h"

using tunebelt::ProgramState;
using tunebelt::qt::AboutDialog;
using tunebelt::qt::MessageBox;
using tunebelt::qt::OpenDocument;
using tunebelt::qt::OpenWebPage;
using tunebelt::qt::OptionsDialog;
using tunebelt::qt::px;
using tunebelt::test::RecordingHost;
using tunebelt::test::TempDir;

namespace {

// The 16-bit integer at the start of a record of the settings file.
int record(const std::string& path, int number) {
  std::string bytes = tunebelt::test::readFile(path);
  std::size_t at = static_cast<std::size_t>(number - 1) * 128;
  if (bytes.size() < at + 2) return -1;
  auto lo = static_cast<unsigned char>(bytes[at]);
  auto hi = static_cast<unsigned char>(bytes[at + 1]);
  return static_cast<std::int16_t>(lo | (hi << 8));
}

// The next widget the Tab key moves to.
QWidget* nextTabStop(QWidget* w) {
  do w = w->nextInFocusChain();
  while ((w->focusPolicy() & Qt::TabFocus) == 0);
  return w;
}

}  // namespace

// Receives the URLs the desktop would open.
class UrlCatcher : public QObject {
  Q_OBJECT
 public:
  QList<QUrl> urls;
 public slots:
  void open(const QUrl& url) { urls.append(url); }
};

class DialogsTest : public QObject {
  Q_OBJECT

 private:
  TempDir dir_;
  std::string settings_;
  ProgramState state_;
  RecordingHost host_;
  std::optional<tunebelt::SettingsFile> file_;
  std::optional<tunebelt::OptionsForm> form_;

  // A settings file holding the volumes 35 and 60, and the state read from it.
  void freshSettings() {
    settings_ = dir_ / "settings.jst";
    std::filesystem::remove(settings_);
    state_ = ProgramState();
    tunebelt::EnsureSettingsDefaults(settings_);
    state_.Mp3Volume = 35;
    state_.GameVolume = 60;
    tunebelt::SaveVolumes(settings_, state_);
    host_ = RecordingHost();
  }
  // The options dialog's form over the state and the settings file.
  tunebelt::OptionsForm& form() {
    file_.emplace(settings_);
    form_.emplace(state_, *file_, host_);
    return *form_;
  }

  template <typename T>
  static T* child(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QString::fromUtf8(name));
    if (!c) qFatal("no child %s", name);
    return c;
  }

 private slots:
  void init() { freshSettings(); }

  void optionsLayout() {
    OptionsDialog dlg(form());
    QCOMPARE(dlg.objectName(), QString("frmOptions"));
    QCOMPARE(dlg.windowTitle(), QString("Tunebelt - Options"));
    QCOMPARE(dlg.size(), QSize(278, 202));
    QCOMPARE(dlg.minimumSize(), dlg.maximumSize());
    QCOMPARE(child<QLabel>(&dlg, "Label1")->text(), QString("Initial Volumes (0-100):"));
    QCOMPARE(child<QLabel>(&dlg, "Label3")->text(), QString("MP3:"));
    QCOMPARE(child<QLabel>(&dlg, "Label2")->text(), QString("Game:"));
    auto* mp3 = child<QComboBox>(&dlg, "cboMP3Vol");
    auto* game = child<QComboBox>(&dlg, "cboGameVol");
    auto* ok = child<QPushButton>(&dlg, "cmdOk");
    auto* apply = child<QPushButton>(&dlg, "cmdApply");
    auto* cancel = child<QPushButton>(&dlg, "cmdCancel");
    // Each list offers the game's steps and nothing else.
    QStringList steps;
    for (int i = 0; i < mp3->count(); ++i) steps << mp3->itemText(i);
    QCOMPARE(steps.join(' '),
             QString("0 2 5 9 13 15 20 25 30 35 40 45 50 55 60 65 70 75 80 85 90 95 100"));
    QVERIFY(!mp3->isEditable());
    QCOMPARE(mp3->pos(), QPoint(80, 48));
    QCOMPARE(game->pos(), QPoint(80, 72));
    QVERIFY(mp3->geometry().bottom() < game->geometry().top());
    QVERIFY(game->geometry().bottom() < cancel->geometry().top());
    QCOMPARE(cancel->geometry(), QRect(8, 168, 82, 25));
    QCOMPARE(ok->text(), QString("Ok"));
    QVERIFY(ok->isDefault());
    QCOMPARE(nextTabStop(mp3), game);
    auto* level = child<QCheckBox>(&dlg, "chkLevel");
    auto* bitrate = child<QComboBox>(&dlg, "cboBitrate");
    QCOMPARE(nextTabStop(game), static_cast<QWidget*>(level));
    QCOMPARE(nextTabStop(level), static_cast<QWidget*>(bitrate));
    QCOMPARE(nextTabStop(bitrate), ok);
    QVERIFY(game->geometry().bottom() < level->geometry().top());
    QVERIFY(bitrate->geometry().bottom() < ok->geometry().top());
    QCOMPARE(nextTabStop(ok), apply);
    QCOMPARE(nextTabStop(apply), cancel);
    QCOMPARE(mp3->currentText(), QString("35"));
    QCOMPARE(game->currentText(), QString("60"));
  }

  // A volume stored between two steps (by an older version, or by hand)
  // shows as its nearest step, and that step is what Apply stores.
  void aStoredVolumeBetweenStepsShowsItsStep() {
    state_.Mp3Volume = 12;
    state_.GameVolume = 1;
    OptionsDialog dlg(form());
    QCOMPARE(child<QComboBox>(&dlg, "cboMP3Vol")->currentText(), QString("13"));
    QCOMPARE(child<QComboBox>(&dlg, "cboGameVol")->currentText(), QString("2"));
    QTest::mouseClick(child<QPushButton>(&dlg, "cmdApply"), Qt::LeftButton);
    QCOMPARE(record(settings_, 12005), 13);
    QCOMPARE(record(settings_, 12006), 2);
  }

  // Typing into a list picks the step it begins; the choice is stored by
  // Apply, and the dialog opened again shows what is stored.
  void aChosenStepIsAppliedAndShownAgain() {
    OptionsDialog dlg(form());
    dlg.show();
    auto* mp3 = child<QComboBox>(&dlg, "cboMP3Vol");
    auto* game = child<QComboBox>(&dlg, "cboGameVol");
    QTest::keyClicks(mp3, "85");
    QTest::keyClick(game, Qt::Key_Down);
    QCOMPARE(mp3->currentText(), QString("85"));
    QCOMPARE(game->currentText(), QString("65"));
    QTest::mouseClick(child<QPushButton>(&dlg, "cmdApply"), Qt::LeftButton);
    QVERIFY(dlg.isVisible());
    QCOMPARE(state_.Mp3Volume, std::int16_t{85});
    QCOMPARE(state_.GameVolume, std::int16_t{65});
    QCOMPARE(record(settings_, 12005), 85);
    QCOMPARE(record(settings_, 12006), 65);
    // Cancel after Apply keeps the applied values.
    QTest::keyClick(mp3, Qt::Key_Up);
    QTest::mouseClick(child<QPushButton>(&dlg, "cmdCancel"), Qt::LeftButton);
    QCOMPARE(state_.Mp3Volume, std::int16_t{85});
    dlg.show();
    QCOMPARE(mp3->currentText(), QString("85"));
  }

  void cancelLeavesStateAndFileAlone() {
    std::string before = tunebelt::test::readFile(settings_);
    OptionsDialog dlg(form());
    dlg.show();
    QTest::keyClick(child<QComboBox>(&dlg, "cboMP3Vol"), Qt::Key_Home);
    QTest::keyClick(child<QComboBox>(&dlg, "cboGameVol"), Qt::Key_End);
    QTest::keyClick(&dlg, Qt::Key_Escape);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(state_.Mp3Volume, std::int16_t{35});
    QCOMPARE(state_.GameVolume, std::int16_t{60});
    QVERIFY(tunebelt::test::readFile(settings_) == before);
    dlg.show();
    QCOMPARE(child<QComboBox>(&dlg, "cboMP3Vol")->currentText(), QString("35"));
    QCOMPARE(child<QComboBox>(&dlg, "cboGameVol")->currentText(), QString("60"));
  }

  // Off and 192 kb/s at first; Ok stores both in the state and the file,
  // and the captions follow the language when the dialog is shown again.
  void audioOptionsAreAppliedAndShownInTheLanguage() {
    tunebelt::test::TempDir other;
    std::string path = other / "settings.jst";
    tunebelt::EnsureSettingsDefaults(path);
    tunebelt::SettingsFile file(path);
    tunebelt::OptionsForm options(state_, file, host_);
    OptionsDialog dlg(options);
    dlg.show();
    auto* level = child<QCheckBox>(&dlg, "chkLevel");
    auto* bitrate = child<QComboBox>(&dlg, "cboBitrate");
    QVERIFY(!level->isChecked());
    QCOMPARE(bitrate->currentText(), QString("192 kb/s"));
    QCOMPARE(bitrate->count(), 6);
    level->setChecked(true);
    bitrate->setCurrentIndex(bitrate->findText("320 kb/s"));
    QTest::mouseClick(child<QPushButton>(&dlg, "cmdOk"), Qt::LeftButton);
    QVERIFY(state_.LevelLoudness);
    QCOMPARE(state_.BitrateKbps, 320);
    QCOMPARE(record(path, 12010), 1);
    QCOMPARE(record(path, 12011), 320);
    state_.Language = tunebelt::kGerman;
    dlg.show();
    QCOMPARE(level->text(), QString::fromUtf8("Lautst\u00e4rke der Kopien angleichen"));
    QCOMPARE(child<QLabel>(&dlg, "lblBitrate")->text(), QString("MP3 Bitrate:"));
    QVERIFY(level->isChecked());
    state_.Language = tunebelt::kEnglish;
    state_.LevelLoudness = false;
    state_.BitrateKbps = 192;
  }

  void okWritesBothRecordsEvenUnchanged() {
    tunebelt::test::TempDir other;
    std::string path = other / "settings.jst";
    tunebelt::EnsureSettingsDefaults(path);  // 80 and 80 on disk, 35 and 60 in the state
    tunebelt::SettingsFile file(path);
    tunebelt::OptionsForm options(state_, file, host_);
    OptionsDialog dlg(options);
    dlg.show();
    QTest::keyClick(child<QComboBox>(&dlg, "cboGameVol"), Qt::Key_Return);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(record(path, 12005), 35);
    QCOMPARE(record(path, 12006), 60);
    QCOMPARE(record(path, 12007), 1);
    QVERIFY(host_.messages.empty());
  }

  void failedSaveIsTold() {
    tunebelt::SettingsFile file(dir_ / "missing/settings.jst");
    tunebelt::OptionsForm options(state_, file, host_);
    OptionsDialog dlg(options);
    QTest::keyClick(child<QComboBox>(&dlg, "cboMP3Vol"), Qt::Key_Home);
    QTest::mouseClick(child<QPushButton>(&dlg, "cmdApply"), Qt::LeftButton);
    QCOMPARE(host_.messages.size(), std::size_t{1});
    QCOMPARE(host_.messages[0].caption, std::string("Tunebelt - Error"));
    QVERIFY(host_.messages[0].text.find(file.path()) != std::string::npos);
    QCOMPARE(state_.Mp3Volume, std::int16_t{0});
  }

  // Ok and Cancel hide a dialog; its title bar marks it for its owner to
  // discard (the window tests show the owner building a fresh one).
  void titleBarCloseDiscardsTheDialog() {
    OptionsDialog options(form());
    options.show();
    QTest::mouseClick(child<QPushButton>(&options, "cmdOk"), Qt::LeftButton);
    QVERIFY(!options.discarded());
    options.show();
    options.close();
    QVERIFY(options.discarded());

    AboutDialog about(dir_.str());
    about.show();
    about.close();
    QVERIFY(about.discarded());
  }

  void aboutLayout() {
    AboutDialog dlg(dir_.str());
    QCOMPARE(dlg.objectName(), QString("frmAbout"));
    QCOMPARE(dlg.windowTitle(), QString("Tunebelt - About"));
    QCOMPARE(dlg.size(), QSize(505, 430));
    auto* title = child<QLabel>(&dlg, "Label1");
    QCOMPARE(title->text(), QString("TUNEBELT"));
    QCOMPARE(title->font().pointSizeF(), 36.0);
    QCOMPARE(child<QLabel>(&dlg, "Label2")->text(), QString("YOUR GAME. YOUR MUSIC"));
    QCOMPARE(child<QLabel>(&dlg, "Label3")->text(), QString("CREDITS:"));
    QVERIFY(child<QLabel>(&dlg, "lblName")->wordWrap());
    QCOMPARE(child<QLabel>(&dlg, "lblName")->font().pointSizeF(), 14.25);
    // The version CMake's project gives, and the licence.
    QCOMPARE(child<QLabel>(&dlg, "lblVersion")->text(),
             QString("Version %1 \u00b7 GPL-3.0-or-later").arg(TUNEBELT_VERSION));
  }

  // The roll starts at the bottom of the outer window, frame included; the
  // frame is known only once the window manager has framed the dialog.
  void aboutRollStartsAtTheFramedOuterHeight() {
    tunebelt::test::writeFile(dir_ / "credits.txt", tunebelt::test::crlf({"Code", "Ann"}));
    int frame = 0;
    AboutDialog dlg(dir_.str(), nullptr, [&] { return frame; });
    dlg.show();
    auto* position = child<QLabel>(&dlg, "lblPosition");
    QCOMPARE(position->y(), px(6450 - 375 - 1335));
    frame = 30;  // the title bar and borders arrive; the window moves into them
    dlg.move(dlg.pos() + QPoint(0, 1));
    QCOMPARE(dlg.roll().startTop(), (430 + 30) * 15 - 375 - 1335);
    QCOMPARE(position->y(), px((430 + 30) * 15 - 375 - 1335));
    dlg.timCredits_Timer();
    QCOMPARE(position->y(), px((430 + 30) * 15 - 375 - 1335 - 20));
  }

  void aboutRollsTwoCredits() {
    tunebelt::test::writeFile(dir_ / "credits.txt",
                              tunebelt::test::crlf({"Code", "Ann <b>A</b>", "Music", "Velloran"}));
    AboutDialog dlg(dir_.str(), nullptr, [] { return 0; });  // no frame
    dlg.show();
    auto* position = child<QLabel>(&dlg, "lblPosition");
    auto* name = child<QLabel>(&dlg, "lblName");
    auto* timer = child<QTimer>(&dlg, "timCredits");
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 40);
    QVERIFY(position->isHidden());
    QCOMPARE(position->text(), QString("Code"));
    QCOMPARE(position->y(), px(4740));  // 6450 less both labels
    QCOMPARE(name->y(), px(2400));

    dlg.timCredits_Timer();
    QVERIFY(!position->isHidden());
    QVERIFY(!name->isHidden());
    QCOMPARE(name->text(), QString("Ann <b>A</b>"));
    QCOMPARE(name->textFormat(), Qt::PlainText);
    QCOMPARE(position->y(), px(4720));
    QCOMPARE(name->y(), px(4720 + 375));

    for (int i = 2; i < 126; ++i) dlg.timCredits_Timer();
    QVERIFY(!position->isHidden());
    dlg.timCredits_Timer();  // risen past the heading: replaced, hidden
    QVERIFY(position->isHidden());
    QVERIFY(name->isHidden());
    dlg.timCredits_Timer();
    QVERIFY(!position->isHidden());
    QCOMPARE(position->text(), QString("Music"));
    QCOMPARE(name->text(), QString("Velloran"));
    for (int i = 0; i < 125; ++i) dlg.timCredits_Timer();
    QCOMPARE(position->text(), QString("Code"));
  }

  void aboutWithoutCreditsShowsNoRoll() {
    TempDir empty;
    AboutDialog dlg(empty.str());  // no credits.txt in the folder
    dlg.show();
    QVERIFY(!child<QTimer>(&dlg, "timCredits")->isActive());
    dlg.timCredits_Timer();
    QVERIFY(child<QLabel>(&dlg, "lblPosition")->isHidden());
    QVERIFY(child<QLabel>(&dlg, "lblName")->isHidden());

    tunebelt::test::writeFile(empty / "credits.txt", "");
    AboutDialog emptyFile(empty.str());
    QVERIFY(!child<QTimer>(&emptyFile, "timCredits")->isActive());
  }

  // The desktop gets the addresses and the file; whether it could open
  // them comes back (the window model tells the player).
  void linksGoToTheDesktop() {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("http", &catcher, "open");
    QDesktopServices::setUrlHandler("file", &catcher, "open");
    QVERIFY(OpenWebPage("www.tunebelt.net/"));
    tunebelt::test::writeFile(dir_ / "with space/readme.txt", "read me");
    QVERIFY(OpenDocument(dir_ / "with space/readme.txt"));
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(catcher.urls.size(), 2);
    QCOMPARE(catcher.urls[0], QUrl("http://www.tunebelt.net/"));
    QCOMPARE(catcher.urls[1].toLocalFile(), QString::fromStdString(dir_ / "with space/readme.txt"));

    // A handler that fails stands for a desktop with nothing to open them.
    QDesktopServices::setUrlHandler("http", &catcher, "noSuchSlot");
    QDesktopServices::setUrlHandler("file", &catcher, "noSuchSlot");
    QVERIFY(!OpenWebPage("www.velloran.net/"));
    QVERIFY(!OpenDocument(dir_ / "with space/readme.txt"));
    QDesktopServices::unsetUrlHandler("http");
    QDesktopServices::unsetUrlHandler("file");
  }

  void messageBoxesAreWideEnoughForTheirCaption() {
    const QString caption = "Tunebelt - Error";
    const int room = MessageBox::captionRoom(caption);
    // A plain box sized to this text is narrower than its caption needs.
    QMessageBox plain(QMessageBox::Critical, caption, "No items in playlist", QMessageBox::Ok);
    plain.show();
    QVERIFY(QTest::qWaitForWindowExposed(&plain));
    QVERIFY(plain.width() < room);

    for (auto buttons : {QMessageBox::StandardButtons(QMessageBox::Ok),
                         QMessageBox::StandardButtons(QMessageBox::Yes | QMessageBox::No)}) {
      auto box = MessageBox::build(nullptr, "No items in playlist", caption, QMessageBox::Critical,
                                   buttons);
      box->show();
      QVERIFY(QTest::qWaitForWindowExposed(box.get()));
      QVERIFY(box->width() >= room);
      QCOMPARE(box->windowTitle(), caption);
      QCOMPARE(box->text(), QString("No items in playlist"));
    }
    // The room counts the caption's own width.
    QVERIFY(MessageBox::captionRoom(caption + caption) > room);
  }
};

QTEST_MAIN(DialogsTest)
#include "dialogs_test.moc"
