// Start-up and shut-down on the real window: the first-start sample track and
// its question, which ending saves the settings, the stored language, and the
// menu commands that open the secondary windows.
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#include "core/state/settings.h"
#include "ui_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::WindowUnderTest;

namespace {

QStringList lines(const WindowUnderTest& t) {
  QStringList out;
  auto* list = t.find<QListWidget>("lstPlaylist");
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

int questions() {
  int n = 0;
  for (const auto& s : ui::MessageBox::shown()) n += s.question ? 1 : 0;
  return n;
}

// A settings file whose language record holds `language` (marker present).
void writeLanguage(const AppFolder& app, std::int16_t language) {
  test::writeFile(app / "settings.jst",
                  test::SettingsBytes().language(language).volumes(80, 80).bytes());
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT
 private slots:
  void firstStartOffersTheSampleTrackOnce();
  void answeringNoCopiesNothing();
  void withoutTheTrackNothingIsAskedUntilItIsThere();
  void exitBeforeANormalCloseOffersItAgain();
  void storedLanguageDecidesTheInterface();
  void menuCommandsOpenOneInstanceOfEachDialog();
  void aSettingsFileThatIsAFifoIsToldAndTheWindowStillComes();
};

void StartupTest::firstStartOffersTheSampleTrackOnce() {
  AppFolder app;
  test::writeFile(app / "velloran_glasshour.mp3", "sample");
  ui::MessageBox::setTestMode(true);
  ui::MessageBox::queueAnswer(true);
  {
    WindowUnderTest t(app);
    QCOMPARE(lines(t), QStringList{"velloran_glasshour.mp3"});
    QCOMPARE(t.state.PlaylistPaths[0], app / "velloran_glasshour.mp3");
    QCOMPARE(questions(), 1);
    const auto& asked = ui::MessageBox::shown()[0];
    QCOMPARE(asked.caption, QString("Copy Track"));
    QCOMPARE(asked.text, QString("Do you want to copy the free track, 'Velloran - Glasshour' to "
                                 "your windows music folder?"));
    QCOMPARE(test::readFile(app / "Music/velloran_glasshour.mp3"), std::string("sample"));
    QVERIFY(std::filesystem::exists(app / "data/fonts/HLFLIFE2.TTF"));
    t.window->close();
  }
  WindowUnderTest again(app);
  QVERIFY(lines(again).isEmpty());
  QCOMPARE(questions(), 0);
}

void StartupTest::answeringNoCopiesNothing() {
  AppFolder app;
  test::writeFile(app / "velloran_glasshour.mp3", "sample");
  ui::MessageBox::setTestMode(true);
  ui::MessageBox::queueAnswer(false);
  WindowUnderTest t(app);
  QCOMPARE(questions(), 1);
  QVERIFY(!std::filesystem::exists(app / "Music/velloran_glasshour.mp3"));
  // The entry points at the copy beside the program either way.
  QCOMPARE(t.state.PlaylistPaths.at(0), app / "velloran_glasshour.mp3");
}

void StartupTest::withoutTheTrackNothingIsAskedUntilItIsThere() {
  AppFolder app;
  {
    WindowUnderTest t(app);
    QCOMPARE(questions(), 0);
    QVERIFY(lines(t).isEmpty());
    t.window->close();
  }
  ProgramState stored;
  LoadSettings(app / "settings.jst", stored);
  QCOMPARE(stored.SampleTrackOffered, std::int16_t(0));

  test::writeFile(app / "velloran_glasshour.mp3", "sample");
  WindowUnderTest later(app);
  QCOMPARE(questions(), 1);
  QCOMPARE(lines(later), QStringList{"velloran_glasshour.mp3"});
}

void StartupTest::exitBeforeANormalCloseOffersItAgain() {
  AppFolder app;
  test::writeFile(app / "velloran_glasshour.mp3", "sample");
  {
    WindowUnderTest t(app);
    QCOMPARE(questions(), 1);
    t.find<QAction>("mnuExit")->trigger();
    QCOMPARE(t.endings.exits, 1);
    t.window->close();  // the program is ending: no shut-down steps run now
    QCOMPARE(t.endings.ends, 0);
  }
  WindowUnderTest again(app);
  QCOMPARE(questions(), 1);
  QCOMPARE(lines(again), QStringList{"velloran_glasshour.mp3"});
}

void StartupTest::storedLanguageDecidesTheInterface() {
  for (std::int16_t stored : {std::int16_t(0), std::int16_t(7), std::int16_t(2)}) {
    AppFolder app;
    app.writeSkin("english");
    app.writeSkin("german");
    writeLanguage(app, stored);
    WindowUnderTest t(app);
    const bool german = stored == kGerman;
    QCOMPARE(t.state.Language, german ? kGerman : kEnglish);
    QCOMPARE(t.find<QAction>("mnuGerman")->isChecked(), german);
    QCOMPARE(t.find<QAction>("mnuEnglish")->isChecked(), !german);
    QCOMPARE(t.find<QLabel>("lblModPath")->text().startsWith("Pfad:"), german);
  }
}

void StartupTest::menuCommandsOpenOneInstanceOfEachDialog() {
  AppFolder app;
  test::writeFile(app / "credits.txt", "Lead\r\nAda\r\n");
  WindowUnderTest t(app);
  QPointer<QWidget> first;
  // Each dialog is modal: look at it from inside its own event loop; it is
  // hidden after the look.
  for (int round = 0; round < 2; ++round) {
    test::inModalDialog([&] { t.find<QAction>("mnuOptions")->trigger(); },
                        [&](QWidget* d) {
                          QCOMPARE(d->objectName(), QString("frmOptions"));
                          if (!first) first = d;
                          QCOMPARE(d, first.data());
                        });
  }
  QVERIFY(first);

  // The about box is closed through its title bar only, which discards it:
  // the next opening builds it afresh and the roll starts again.
  for (int round = 0; round < 2; ++round) {
    test::inModalDialog([&] { t.find<QAction>("mnuAbout")->trigger(); },
                        [&](QWidget* d) {
                          QCOMPARE(d->objectName(), QString("frmAbout"));
                          d->close();
                        });
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(t.window->findChildren<QDialog*>("frmAbout").size(), 0);
  }
}

void StartupTest::aSettingsFileThatIsAFifoIsToldAndTheWindowStillComes() {
  AppFolder app;
  QCOMPARE(::mkfifo((app / "settings.jst").c_str(), 0644), 0);
  ui::MessageBox::setTestMode(true);
  ::alarm(30);  // nothing may wait on the FIFO
  {
    WindowUnderTest t(app);
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    QCOMPARE(ui::MessageBox::shown().size(), qsizetype(1));
    QVERIFY(ui::MessageBox::shown()[0].text.contains("is a FIFO"));
    t.window->close();
  }
  ::alarm(0);
  QVERIFY(std::filesystem::is_fifo(app / "settings.jst"));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
