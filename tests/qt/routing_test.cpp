// The hover buttons, the clicks that reach commands, and the two ways the
// program ends.
#include <QAction>
#include <QCheckBox>
#include <QListWidget>
#include <QtTest>

#include "core/state/settings.h"
#include "qt/progresswindow.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::moveOver;
using tunebelt::test::WindowUnderTest;

namespace {

const char* const kHovers[] = {"imgAddb", "imgPlaylistb", "imgRemoveb", "imgWriteScriptb"};

// Which hover images are lit, as "1" or "0" in the order above.
QString lit(const WindowUnderTest& t) {
  QString s;
  for (const char* name : kHovers) s += t.find(name)->isVisible() ? '1' : '0';
  return s;
}

}  // namespace

class RoutingTest : public tunebelt::test::WindowTest {
  Q_OBJECT
 private slots:
  void init() { startWindow(); }
  void buttonsLightTheirOwnImage();
  void hoverImagesDarkenTheOthers();
  void titleBackgroundAndBareSurfaceDarkenAll();
  void otherControlsLeaveTheHoverAlone();
  void clickOnALitButtonRunsItsCommandAndDarkens();
  void saveScriptDarkensOnlyOnceItsChecksPass();
  void exitAndClosingBothKeepTheSettings();
  void aSettingsFailureAtCloseIsToldOnce();
};

void RoutingTest::buttonsLightTheirOwnImage() {
  WindowUnderTest& t = *t_;
  QCOMPARE(lit(t), QString("0000"));
  moveOver(t.find("imgAdd"));
  QCOMPARE(lit(t), QString("1000"));
  // From the lit image straight onto the next button: both are lit until the
  // pointer crosses the next hover image itself.
  moveOver(t.find("imgPlaylist"));
  QCOMPARE(lit(t), QString("1100"));
  moveOver(t.find("imgRemove"));
  moveOver(t.find("imgWriteScript"));
  QCOMPARE(lit(t), QString("1111"));
}

void RoutingTest::hoverImagesDarkenTheOthers() {
  WindowUnderTest& t = *t_;
  for (int i = 0; i < 4; ++i) {
    for (const char* b : {"imgAdd", "imgPlaylist", "imgRemove", "imgWriteScript"}) {
      moveOver(t.find(b));
    }
    QCOMPARE(lit(t), QString("1111"));
    moveOver(t.find(kHovers[i]));
    QString expected("0000");
    expected[i] = '1';
    QCOMPARE(lit(t), expected);
  }
}

void RoutingTest::titleBackgroundAndBareSurfaceDarkenAll() {
  WindowUnderTest& t = *t_;
  for (QWidget* darkens : {t.find("imgTitle"), t.find("imgPlbg"), t.window->centralWidget()}) {
    moveOver(t.find("imgAdd"));
    moveOver(t.find("imgRemove"));
    QCOMPARE(lit(t), QString("1010"));
    moveOver(darkens);
    QCOMPARE(lit(t), QString("0000"));
  }
}

void RoutingTest::otherControlsLeaveTheHoverAlone() {
  WindowUnderTest& t = *t_;
  moveOver(t.find("imgAdd"));
  for (const char* name :
       {"imgLeftside", "imgRightside", "lblModPath", "lblDragCaption", "lblCacheSize", "lblBrowse",
        "lstPlaylist", "cboSteamFolder", "chkDelete", "imgEnglish", "imgGerman", "imgModFold",
        "cmdTrackup", "cmdTrackDown", "lblTunebelt", "lblVelloran"}) {
    moveOver(t.find(name));
    QVERIFY2(t.find("imgAddb")->isVisible(), name);
  }
  // The list's inner viewport does not pass the movement on either.
  moveOver(t.find<QListWidget>("lstPlaylist")->viewport());
  QCOMPARE(lit(t), QString("1000"));
}

void RoutingTest::clickOnALitButtonRunsItsCommandAndDarkens() {
  WindowUnderTest& t = *t_;
  tunebelt::test::TempDir music;
  const QString track = QString::fromStdString(music / "a.mp3");
  tunebelt::test::writeFile(track.toStdString(), tunebelt::test::playableMp3("x"));

  moveOver(t.find("imgAdd"));
  moveOver(t.find("imgPlaylist"));
  qt::FileDialog::queueFileNames({track});
  QTest::mouseClick(t.find("imgAddb"), Qt::LeftButton);
  QCOMPARE(lit(t), QString("0000"));
  QCOMPARE(t.state.TrackCount(), 1);
  QCOMPARE(t.find<QListWidget>("lstPlaylist")->item(0)->text(), QString("a.mp3"));
  QCOMPARE(qt::FileDialog::opened().last().filter,
           QString("Music Files (*.mp3 *.flac *.ogg *.opus *.m4a *.wav)"));
  QCOMPARE(qt::FileDialog::opened().last().caption, QString("Tunebelt - Open"));

  // The playlist button opens the playlist filter; a cancelled dialog adds
  // nothing and the image still goes dark.
  moveOver(t.find("imgPlaylist"));
  QTest::mouseClick(t.find("imgPlaylistb"), Qt::LeftButton);
  QCOMPARE(lit(t), QString("0000"));
  QCOMPARE(qt::FileDialog::opened().last().filter, QString("Playlist Files (*.pls *.m3u)"));
  QCOMPARE(t.state.TrackCount(), 1);

  moveOver(t.find("imgRemove"));
  moveOver(t.find("imgAdd"));
  t.find<QListWidget>("lstPlaylist")->item(0)->setSelected(true);
  QTest::mouseClick(t.find("imgRemoveb"), Qt::LeftButton);
  QCOMPARE(lit(t), QString("0000"));
  QCOMPARE(t.state.TrackCount(), 0);

  // The menu reaches the same command; several files come in the dialog's
  // order, and the next dialog starts where they were.
  const QString other = QString::fromStdString(music / "b.mp3");
  qt::FileDialog::queueFileNames({other, track});
  t.find<QAction>("mnuAddTrack")->trigger();
  QCOMPARE(t.state.PlaylistNames, (std::vector<std::string>{"b.mp3", "a.mp3"}));
  t.find<QAction>("mnuAddTrack")->trigger();
  QCOMPARE(qt::FileDialog::opened().last().folder, QString::fromStdString(music.str()));
}

void RoutingTest::saveScriptDarkensOnlyOnceItsChecksPass() {
  WindowUnderTest& t = *t_;
  moveOver(t.find("imgWriteScript"));
  QTest::mouseClick(t.find("imgWriteScriptb"), Qt::LeftButton);
  QVERIFY(t.waitForTheJob());
  QCOMPARE(qt::MessageBox::shown().size(), 1);
  QCOMPARE(qt::MessageBox::shown()[0].text, QString("No items in playlist"));
  QCOMPARE(qt::MessageBox::shown()[0].caption, QString("Tunebelt - Error"));
  QCOMPARE(qt::MessageBox::shown()[0].icon, QMessageBox::Critical);
  QCOMPARE(lit(t), QString("0001"));
}

// File > Exit keeps what the player set, as closing the window does.
void RoutingTest::exitAndClosingBothKeepTheSettings() {
  WindowUnderTest& t = *t_;
  const std::string settings = *app_ / "settings.jst";
  t.find<QAction>("mnuGerman")->trigger();
  t.find<QCheckBox>("chkDelete")->setChecked(true);
  t.find<QAction>("mnuExit")->trigger();
  QCOMPARE(t.endings.exits, 1);
  QCOMPARE(t.endings.ends, 0);
  t.window->close();  // whatever closes the window afterwards ends nothing more
  QCOMPARE(t.endings.ends, 0);

  // The next start has them; closing it through its title bar stores the
  // next change.
  t_ = std::make_unique<WindowUnderTest>(*app_);
  WindowUnderTest& u = *t_;
  QCOMPARE(u.state.Language, kGerman);
  QVERIFY(u.find<QAction>("mnuGerman")->isChecked());
  QVERIFY(u.find<QCheckBox>("chkDelete")->isChecked());
  u.find<QAction>("mnuEnglish")->trigger();
  u.window->progressWindow()->show();
  u.window->close();
  QCOMPARE(u.endings.ends, 1);
  QVERIFY(!u.window->progressWindow()->isVisible());
  ProgramState read;
  QCOMPARE(LoadSettings(settings, read), 1);
  QCOMPARE(read.Language, kEnglish);
  QVERIFY(qt::MessageBox::shown().isEmpty());
}

void RoutingTest::aSettingsFailureAtCloseIsToldOnce() {
  WindowUnderTest& t = *t_;
  // The settings file's place is taken by a folder: it cannot be written.
  const QString settings = app_->path() + "/settings.jst";
  QFile::remove(settings);
  QVERIFY(QDir().mkpath(settings + "/x"));
  t.window->close();
  QCOMPARE(qt::MessageBox::shown().size(), 1);
  QVERIFY(qt::MessageBox::shown()[0].text.contains(settings));
  QCOMPARE(qt::MessageBox::shown()[0].caption, QString("Tunebelt - Error"));
  QCOMPARE(t.endings.ends, 1);
  t.window->close();
  QCOMPARE(qt::MessageBox::shown().size(), 1);
}

QTEST_MAIN(RoutingTest)
#include "routing_test.moc"
