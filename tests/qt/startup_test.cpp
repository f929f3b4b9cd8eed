// Start-up and shut-down on the real window: the first-start sample track and
// its question over the shown window, which ending saves the settings, the
// stored language, and the menu commands that open the secondary windows.
#include <sys/stat.h>
#include <unistd.h>
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <filesystem>

#include "core/state/settings.h"
#include "qt_support.h"

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
  for (const auto& s : qt::MessageBox::shown()) n += s.question ? 1 : 0;
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
  void theAnswerIsStoredAtOnceSoExitDoesNotAskAgain();
  void theQuestionStandsCentredOverTheShownWindow();
  void withoutTheTrackNothingIsAskedUntilItIsThere();
  void storedLanguageDecidesTheInterface();
  void menuCommandsOpenOneInstanceOfEachDialog();
  void aSettingsFileThatIsAFifoIsToldAndTheWindowStillComes();
};

void StartupTest::firstStartOffersTheSampleTrackOnce() {
  AppFolder app;
  test::writeFile(app / "velloran_glasshour.mp3", test::playableMp3("sample"));
  qt::MessageBox::setTestMode(true);
  qt::MessageBox::queueAnswer(true);
  {
    WindowUnderTest t(app);
    QCOMPARE(lines(t), QStringList{"velloran_glasshour.mp3"});
    QCOMPARE(t.state.PlaylistPaths[0], app / "velloran_glasshour.mp3");
    QCOMPARE(questions(), 0);  // asked once the window shows
    t.window->show();
    QTRY_COMPARE(questions(), 1);
    const auto& asked = qt::MessageBox::shown()[0];
    QCOMPARE(asked.caption, QString("Copy Track"));
    QCOMPARE(asked.text, QString("Do you want to copy the free track, 'Velloran - Glasshour' to "
                                 "your music folder?"));
    QCOMPARE(test::readFile(app / "Music/velloran_glasshour.mp3"), test::playableMp3("sample"));
    // The font is the program's own: nothing goes into the user's fonts.
    QVERIFY(!std::filesystem::exists(app / "data"));
    t.window->close();
  }
  WindowUnderTest again(app);
  again.window->show();
  QTest::qWait(20);
  QVERIFY(lines(again).isEmpty());
  QCOMPARE(questions(), 0);
}

void StartupTest::theAnswerIsStoredAtOnceSoExitDoesNotAskAgain() {
  AppFolder app;
  test::writeFile(app / "velloran_glasshour.mp3", test::playableMp3("sample"));
  qt::MessageBox::setTestMode(true);
  qt::MessageBox::queueAnswer(false);
  {
    WindowUnderTest t(app);
    t.window->show();
    QTRY_COMPARE(questions(), 1);
    // No: nothing copied, no music folder made.
    QVERIFY(!std::filesystem::exists(app / "Music"));
    // The entry points at the copy beside the program either way.
    QCOMPARE(t.state.PlaylistPaths.at(0), app / "velloran_glasshour.mp3");
    t.find<QAction>("mnuExit")->trigger();  // no shut-down steps
    QCOMPARE(t.endings.exits, 1);
  }
  ProgramState stored;
  LoadSettings(app / "settings.jst", stored);
  QCOMPARE(stored.SampleTrackOffered, std::int16_t(1));
  WindowUnderTest again(app);
  again.window->show();
  QTest::qWait(20);
  QCOMPARE(questions(), 0);
  QVERIFY(lines(again).isEmpty());
}

void StartupTest::theQuestionStandsCentredOverTheShownWindow() {
  AppFolder app;
  test::writeFile(app / "velloran_glasshour.mp3", test::playableMp3("sample"));
  WindowUnderTest t(app);
  qt::MessageBox::setTestMode(false);  // the real box
  t.window->move(-200, -150);          // so that the box fits the offscreen screen centred
  bool windowShown = false;
  QPoint offset(1000, 1000);
  QString text;
  QString geometries;
  QTimer look;
  look.setInterval(10);
  connect(&look, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    look.stop();
    windowShown = t.window->isVisible();
    offset = box->frameGeometry().center() - t.window->frameGeometry().center();
    QDebug(&geometries) << box->frameGeometry() << t.window->frameGeometry();
    text = box->text();
    box->button(QMessageBox::No)->click();
  });
  look.start();
  t.window->show();
  QTRY_VERIFY(!look.isActive());
  qt::MessageBox::setTestMode(true);
  QVERIFY(windowShown);
  QVERIFY2(offset.manhattanLength() <= 2,
           qPrintable(QString("%1,%2 %3").arg(offset.x()).arg(offset.y()).arg(geometries)));
  QVERIFY(text.endsWith("to your music folder?"));
  QVERIFY(!std::filesystem::exists(app / "Music"));
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

  test::writeFile(app / "velloran_glasshour.mp3", test::playableMp3("sample"));
  WindowUnderTest later(app);
  later.window->show();
  QTRY_COMPARE(questions(), 1);
  QCOMPARE(lines(later), QStringList{"velloran_glasshour.mp3"});
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
  qt::MessageBox::setTestMode(true);
  ::alarm(30);  // nothing may wait on the FIFO
  {
    WindowUnderTest t(app);
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    QCOMPARE(qt::MessageBox::shown().size(), qsizetype(1));
    QVERIFY(qt::MessageBox::shown()[0].text.contains("is a FIFO"));
    t.window->close();
  }
  ::alarm(0);
  QVERIFY(std::filesystem::is_fifo(app / "settings.jst"));
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
