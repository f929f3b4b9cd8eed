// The window as a player uses it: a busy window looks busy, the end of a
// save says what the game got, the last save's folder is there at the next
// start, a link that cannot be opened is told, and the options dialog opens
// in the same place each time.
#include <QAction>
#include <QComboBox>
#include <QDesktopServices>
#include <QProgressBar>
#include <QtTest>

#include "qt/progresswindow.h"
#include "qt/widgets.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::inModalDialog;
using tunebelt::test::WindowUnderTest;
using tunebelt::test::writeFile;

// Stands for a desktop with no program for the address: it takes nothing.
class Refuser : public QObject {
  Q_OBJECT
 public slots:
  void open(const QUrl&) {}
};

class BusyTest : public tunebelt::test::WindowTest {
  Q_OBJECT

  // Two tracks in the playlist and a mod folder in the box.
  std::string prepareSave(WindowUnderTest& t) {
    const std::string mod = *app_ / "hl/cstrike";
    writeFile(mod + "/gfx/shell/kb_act.lst", "\"+attack\" \"Fire\"\r\n");
    writeFile(*app_ / "music/One.mp3", tunebelt::test::playableMp3("one"));
    writeFile(*app_ / "music/Two.mp3", tunebelt::test::playableMp3("two"));
    t.window->model().dropFiles({*app_ / "music/One.mp3", *app_ / "music/Two.mp3"});
    t.find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod));
    return mod;
  }

 private slots:
  void init() { startWindow(); }

  // While a save runs every menu item and button it would ignore is shown
  // disabled, the pictures drawn faded; the read-me, the links and Exit
  // stay. All come back once the save has ended.
  void aSaveDisablesWhatItWouldIgnore() {
    WindowUnderTest& t = *t_;
    prepareSave(t);
    auto* add = t.find<qt::ImageWidget>("imgAdd");
    const QImage before = add->grab().toImage();
    QCoreApplication::processEvents();
    t.find<QAction>("mnuSaveScript")->trigger();
    QVERIFY(t.window->isSaving());
    for (const char* name :
         {"mnuAddTrack", "mnuAddPlaylist", "mnuRemove", "mnuSaveScript", "mnuDev", "mnuOptions",
          "mnuRemoveFromMod", "mnuEnglish", "mnuGerman", "mnuAbout"}) {
      QVERIFY2(!t.find<QAction>(name)->isEnabled(), name);
    }
    for (const char* name :
         {"imgAdd", "imgAddb", "imgPlaylist", "imgRemove", "imgWriteScript", "imgWriteScriptb",
          "cmdTrackup", "cmdTrackDown", "lblBrowse", "imgEnglish", "imgGerman"}) {
      QVERIFY2(!t.find(name)->isEnabled(), name);
    }
    for (const char* name : {"mnuExit", "mnuReadme"}) {
      QVERIFY2(t.find<QAction>(name)->isEnabled(), name);
    }
    QVERIFY(t.find("lblTunebelt")->isEnabled());
    QVERIFY(add->grab().toImage() != before);  // drawn faded

    QVERIFY(t.waitForTheJob());
    for (const char* name : {"mnuAddTrack", "mnuOptions", "mnuGerman"}) {
      QVERIFY2(t.find<QAction>(name)->isEnabled(), name);
    }
    QVERIFY(t.find("lblBrowse")->isEnabled());
    QVERIFY(add->grab().toImage() == before);
  }

  // A full save lights COMPLETE with the bar full; one whose track could
  // not be read says so in COMPLETE's place, the bar at what the game got.
  // The next start shows the folder of the last save in the box.
  void theEndOfASaveTellsWhatTheGameGot() {
    WindowUnderTest& t = *t_;
    const std::string mod = prepareSave(t);
    t.find<QAction>("mnuSaveScript")->trigger();
    QVERIFY(t.waitForTheJob());
    qt::ProgressWindow* progress = t.window->progressWindow();
    auto* bar = progress->findChild<QProgressBar*>("prgFilecopy");
    QVERIFY(progress->findChild<QWidget*>("imgCompb")->isVisible());
    QVERIFY(!progress->findChild<QWidget*>("imgEnd")->isVisible());
    QCOMPARE(bar->value(), bar->maximum());
    QVERIFY(!bar->isTextVisible());

    std::filesystem::remove(*app_ / "music/Two.mp3");
    t.find<QAction>("mnuSaveScript")->trigger();
    QVERIFY(t.waitForTheJob());
    QCOMPARE(qt::MessageBox::shown().size(), 1);  // which track was left out, and why
    QVERIFY(!progress->findChild<QWidget*>("imgCompb")->isVisible());
    QVERIFY(!progress->findChild<QWidget*>("imgComp")->isVisible());
    auto* end = progress->findChild<qt::ImageWidget*>("imgEnd");
    QVERIFY(end->isVisible());
    QVERIFY(!end->picture().isNull());
    QCOMPARE(bar->maximum(), 2);
    QCOMPARE(bar->value(), 1);
    QVERIFY(bar->isTextVisible());
    QCOMPARE(bar->text(), QString("1 of 2 tracks in the game"));

    // The next save starts afresh.
    writeFile(*app_ / "music/Two.mp3", tunebelt::test::playableMp3("two"));
    t.find<QAction>("mnuSaveScript")->trigger();
    QVERIFY(t.waitForTheJob());
    QVERIFY(!end->isVisible());
    QVERIFY(!bar->isTextVisible());

    t.find<QComboBox>("cboSteamFolder")->setEditText("/somewhere/else");
    t.find<QAction>("mnuExit")->trigger();
    WindowUnderTest next(*app_);
    QCOMPARE(next.find<QComboBox>("cboSteamFolder")->currentText(), QString::fromStdString(mod));
  }

  void aLinkThatCannotBeOpenedIsTold() {
    WindowUnderTest& t = *t_;
    Refuser refuser;
    QDesktopServices::setUrlHandler("http", &refuser, "noSuchSlot");
    QTest::mouseClick(t.find("lblTunebelt"), Qt::LeftButton);
    QDesktopServices::unsetUrlHandler("http");
    QCOMPARE(qt::MessageBox::shown().size(), 1);
    QCOMPARE(qt::MessageBox::shown()[0].text,
             QString("Could not open www.tunebelt.net/:\nno program to show it was found."));
    QCOMPARE(qt::MessageBox::shown()[0].caption, QString("Tunebelt - Error"));
  }

  // Opened, cancelled and opened again: centred on the main window both
  // times.
  void theOptionsDialogOpensWhereItOpenedBefore() {
    WindowUnderTest& t = *t_;
    QRect first, second;
    inModalDialog([&] { t.find<QAction>("mnuOptions")->trigger(); },
                  [&](QWidget* dialog) {
                    first = dialog->geometry();
                    QTest::keyClick(dialog, Qt::Key_Escape);
                  });
    t.window->move(t.window->pos() + QPoint(7, 3));
    inModalDialog([&] { t.find<QAction>("mnuOptions")->trigger(); },
                  [&](QWidget* dialog) { second = dialog->geometry(); });
    QCOMPARE(first.center(), t.window->geometry().center() - QPoint(7, 3));
    QCOMPARE(second.center(), t.window->geometry().center());
  }
};

QTEST_MAIN(BusyTest)
#include "busy_test.moc"
