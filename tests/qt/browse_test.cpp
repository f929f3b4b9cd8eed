// frmBrowse opened from the main window: where it starts, what Ok, Cancel
// and closing it do.
#include <QAbstractItemView>
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

#include "core/state/settings.h"
#include "qt/browsedialog.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::TempDir;
using tunebelt::test::WindowUnderTest;
using tunebelt::test::writeFile;

class BrowseTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void cleanupTestCase();
  void startsInTheSteamLibraryOrTheCurrentFolder();
  void cancelKeepsTheFolderClosingStartsAfresh();
  void okPutsTheTextIntoTheModFolderBox();
  void discoveredModFoldersAreOfferedAndSaveLikeAnyOther();

 private:
  // Clicks lblBrowse and, once the dialog runs modally, hands it to `act`,
  // which must end it. Returns what txtPath showed when the dialog opened.
  QString browse(WindowUnderTest& t, const std::function<void(qt::BrowseDialog*)>& act);

  std::unique_ptr<TempDir> home_;
  QByteArray oldHome_;
  QString oldCwd_;
};

void BrowseTest::initTestCase() {
  home_ = std::make_unique<TempDir>();
  oldHome_ = qgetenv("HOME");
  qputenv("HOME", QByteArray::fromStdString(home_->str()));
  oldCwd_ = QDir::currentPath();
  std::filesystem::create_directories(*home_ / "work/alpha");
  std::filesystem::create_directories(*home_ / "work/beta");
  QDir::setCurrent(QString::fromStdString(*home_ / "work"));
}

void BrowseTest::cleanupTestCase() {
  QDir::setCurrent(oldCwd_);
  qputenv("HOME", oldHome_);
  home_.reset();
}

QString BrowseTest::browse(WindowUnderTest& t, const std::function<void(qt::BrowseDialog*)>& act) {
  QString shown;
  test::inModalDialog([&] { QTest::mouseClick(t.find("lblBrowse"), Qt::LeftButton); },
                      [&](QWidget* w) {
                        auto* dialog = qobject_cast<qt::BrowseDialog*>(w);
                        QVERIFY(dialog != nullptr);
                        shown = dialog->findChild<QLineEdit*>("txtPath")->text();
                        act(dialog);
                      });
  return shown;
}

void BrowseTest::startsInTheSteamLibraryOrTheCurrentFolder() {
  AppFolder app;
  WindowUnderTest t(app);
  const QString work = QString::fromStdString(*home_ / "work");
  QCOMPARE(browse(t,
                  [](qt::BrowseDialog* d) {
                    QCOMPARE(d->windowTitle(), QString("Tunebelt - Browse Folders"));
                    QVERIFY(d->isModal());
                    QCOMPARE(d->findChild<QLabel*>("Label3")->text(),
                             QString("Please Select your mod folder:"));
                    QCOMPARE(d->findChild<QPushButton*>("cmdOk")->text(), QString("Ok"));
                    QCOMPARE(tunebelt::test::twipsOf(d->findChild<QWidget*>("dirBrowse")),
                             QRect(360, 1320, 4095, 3690));
                    QCOMPARE(d->findChild<QComboBox*>("Drive1")->currentText(),
                             QStorageInfo(d->currentFolder()).rootPath());
                    // The way down to the folder, then its subfolders.
                    auto* list = d->findChild<QListWidget*>("dirBrowse");
                    QCOMPARE(list->item(list->count() - 1)->text().trimmed(), QString("beta"));
                    QCOMPARE(list->item(list->count() - 3)->text().trimmed(), QString("work"));
                    d->close();
                  }),
           work);

  // The first Steam library found: its steamapps/common, or the library.
  std::filesystem::create_directories(*home_ / ".local/share/Steam/steamapps/common");
  QCOMPARE(browse(t, [](qt::BrowseDialog* d) { d->close(); }),
           QString::fromStdString(*home_ / ".local/share/Steam/steamapps/common"));
  std::filesystem::create_directories(*home_ / ".steam/steam");
  QCOMPARE(browse(t, [](qt::BrowseDialog* d) { d->close(); }),
           QString::fromStdString(*home_ / ".steam/steam"));
  std::filesystem::remove_all(*home_ / ".steam");
  std::filesystem::remove_all(*home_ / ".local");
}

void BrowseTest::cancelKeepsTheFolderClosingStartsAfresh() {
  AppFolder app;
  WindowUnderTest t(app);
  const QString work = QString::fromStdString(*home_ / "work");
  const QString alpha = QString::fromStdString(*home_ / "work/alpha");
  auto* box = t.find<QComboBox>("cboSteamFolder");
  browse(t, [](qt::BrowseDialog* d) {
    auto* list = d->findChild<QListWidget*>("dirBrowse");
    const QList<QListWidgetItem*> found = list->findItems("alpha", Qt::MatchEndsWith);
    QCOMPARE(found.size(), 1);
    const QRect r = list->visualItemRect(found[0]);
    // A double click arrives as a click followed by the double-click event.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, r.center());
    QTRY_VERIFY(d->findChild<QLineEdit*>("txtPath")->text().endsWith("/alpha"));
    QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
  });
  QCOMPARE(box->currentText(), QString());
  // The same dialog comes back as it was hidden.
  QCOMPARE(browse(t,
                  [](qt::BrowseDialog* d) {
                    d->findChild<QLineEdit*>("txtPath")->setText("typed but cancelled");
                    d->reject();  // Escape
                  }),
           alpha);
  QCOMPARE(browse(t, [](qt::BrowseDialog* d) { d->close(); }), QString("typed but cancelled"));
  // Closed through its title bar: the next one starts afresh.
  QCOMPARE(browse(t,
                  [](qt::BrowseDialog* d) {
                    QTest::mouseClick(d->findChild<QPushButton*>("cmdCancel"), Qt::LeftButton);
                  }),
           work);
  QCOMPARE(box->currentText(), QString());
}

void BrowseTest::okPutsTheTextIntoTheModFolderBox() {
  AppFolder app;
  WindowUnderTest t(app);
  TempDir mod;
  tunebelt::test::writeFile(mod / "mp3s/a.mp3", std::string(2048, 'x'));
  auto* box = t.find<QComboBox>("cboSteamFolder");
  auto* cache = t.find<QLabel>("lblCacheSize");
  browse(t, [&](qt::BrowseDialog* d) {
    d->setCurrentFolder(QString::fromStdString(mod.str()));
    QTest::mouseClick(d->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
  });
  QCOMPARE(box->currentText(), QString::fromStdString(mod.str()));
  QTRY_COMPARE(cache->text(), QString("Current mp3 cache size: 2 KB"));
  // An edited path that does not exist goes in unchanged.
  browse(t, [&](qt::BrowseDialog* d) {
    QCOMPARE(d->findChild<QLineEdit*>("txtPath")->text(), QString::fromStdString(mod.str()));
    d->findChild<QLineEdit*>("txtPath")->setText("/no/such/place ");
    QTest::mouseClick(d->findChild<QPushButton*>("cmdOk"), Qt::LeftButton);
  });
  QCOMPARE(box->currentText(), QString("/no/such/place "));
  QTRY_COMPARE(cache->text(), QString("Current mp3 cache size: <no mp3 folder>"));
}

// A Steam installation in the home folder with a second library elsewhere:
// the mod folder box offers its games by name after the remembered folders
// (not one without kb_act.lst, where a save must fail); choosing one puts its
// folder into the box, it saves like any folder and is then remembered like
// any folder.
void BrowseTest::discoveredModFoldersAreOfferedAndSaveLikeAnyOther() {
  const std::string steam = *home_ / ".local/share/Steam";
  const std::string other = *home_ / "games/SteamLibrary";
  writeFile(steam + "/steamapps/libraryfolders.vdf", "\"libraryfolders\"\n{\n \"0\" { \"path\" \"" +
                                                         steam + "\" }\n \"1\" { \"path\" \"" +
                                                         other + "\" }\n}\n");
  const std::string cstrike = other + "/steamapps/common/Half-Life/cstrike";
  writeFile(cstrike + "/liblist.gam", "game \"Counter-Strike\"\n");
  writeFile(cstrike + "/gfx/shell/kb_act.lst", "\"+attack\"            \"Fire\"\r\n");
  writeFile(steam + "/steamapps/common/Half-Life/valve/liblist.gam", "game \"Half-Life\"\n");

  AppFolder app;
  ProgramState stored;
  stored.ModFolders = {"/srv/remembered/tfc"};
  SaveSettingsOnExit(app / "settings.jst", stored, 0);
  EnsureSettingsDefaults(app / "settings.jst");
  WindowUnderTest t(app);
  auto* box = t.find<QComboBox>("cboSteamFolder");
  QCOMPARE(box->count(), 2);
  QCOMPARE(box->itemText(0), QString("/srv/remembered/tfc"));
  QCOMPARE(box->itemText(1), QString("Counter-Strike \u2014 .../cstrike"));
  QCOMPARE(box->currentText(), QString("/srv/remembered/tfc"));  // no save yet: the first one

  // The player picks the game from the list.
  box->showPopup();
  QAbstractItemView* list = box->view();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                    list->visualRect(list->model()->index(1, 0)).center());
  QCOMPARE(box->currentText(), QString::fromStdString(cstrike));
  writeFile(*home_ / "music/Song.mp3", test::playableMp3("song"));
  t.state.PlaylistPaths = {*home_ / "music/Song.mp3"};
  t.state.PlaylistNames = {"Song.mp3"};
  t.find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t.waitForTheJob());
  QVERIFY2(qt::MessageBox::shown().isEmpty(), qPrintable(qt::MessageBox::shown().value(0).text));
  QCOMPARE(tunebelt::test::readFile(cstrike + "/mp3s/Song.mp3"),
           tunebelt::test::playableMp3("song"));
  // Now remembered: among the remembered folders, still named, no longer
  // offered twice.
  QCOMPARE(t.state.ModFolders, (std::vector<std::string>{"/srv/remembered/tfc", cstrike}));
  QCOMPARE(box->count(), 2);
  QCOMPARE(box->itemText(1), QString("Counter-Strike \u2014 .../cstrike"));
  std::filesystem::remove_all(*home_ / ".local");
  std::filesystem::remove_all(*home_ / "games");
}

QTEST_MAIN(BrowseTest)
#include "browse_test.moc"
