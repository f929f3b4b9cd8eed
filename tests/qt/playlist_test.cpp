// The playlist box's drops and keys, the move buttons, and Save Script
// started from the window.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QTimer>
#include <QUrl>
#include <QtTest>

#include "core/state/settings.h"
#include "qt/progresswindow.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::TempDir;
using tunebelt::test::WindowUnderTest;
using tunebelt::test::writeFile;

namespace {

// Drops the URLs onto the list's viewport, the way the file manager does.
void drop(QListWidget* list, const QList<QUrl>& urls, const QString& text = {}) {
  QMimeData data;
  if (!urls.isEmpty()) data.setUrls(urls);
  if (!text.isEmpty()) data.setText(text);
  const QPointF at(10, 10);
  QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &enter);
  QDragMoveEvent move(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &move);
  QDropEvent dropped(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list->viewport(), &dropped);
}

QStringList lines(const QListWidget* list) {
  QStringList out;
  for (int i = 0; i < list->count(); ++i) out << list->item(i)->text();
  return out;
}

QList<int> selectedRows(const QListWidget* list) {
  QList<int> out;
  for (int i = 0; i < list->count(); ++i) {
    if (list->item(i)->isSelected()) out << i;
  }
  return out;
}

void select(QListWidget* list, const QList<int>& rows) {
  list->clearSelection();
  for (int r : rows) list->item(r)->setSelected(true);
}

}  // namespace

class PlaylistTest : public tunebelt::test::WindowTest {
  Q_OBJECT
 private slots:
  void init();
  void dropAddsOnlyMp3Files();
  void deleteKeyRemovesTheSelectionBackspaceDoesNot();
  void moveButtonsKeepTheSelection();
  void saveScriptThroughTheWindow();
  void commandsWaitWhileASaveRuns();
  void menusAndClosingWaitForTheSave();
  void removeFromModFolderAsksThenTakesTheSaveBack();
  void closingDuringASaveStoresTheFolderItRemembers();
  void theWindowHidesItsHoverImagesForEachCommand();

 private:
  void addTracks(const QStringList& names);
  QListWidget* list() const { return t_->find<QListWidget>("lstPlaylist"); }

  std::unique_ptr<TempDir> music_;
};

void PlaylistTest::init() {
  music_ = std::make_unique<TempDir>();
  startWindow();
}

void PlaylistTest::addTracks(const QStringList& names) {
  QList<QUrl> urls;
  for (const QString& n : names) {
    const std::string path = *music_ / n.toStdString();
    writeFile(path, test::playableMp3("data of " + n.toStdString()));
    urls << QUrl::fromLocalFile(QString::fromStdString(path));
  }
  drop(list(), urls);
}

void PlaylistTest::dropAddsOnlyMp3Files() {
  std::filesystem::create_directories(*music_ / "folder");
  writeFile(*music_ / "b.MP3", test::playableMp3("x"));
  const auto url = [&](const char* n) {
    return QUrl::fromLocalFile(QString::fromStdString(*music_ / n));
  };
  drop(list(), {url("one.mp3"), url("folder"), url("b.MP3"), url("two.mp3"),
                QUrl("http://example.org/three.mp3")});
  QCOMPARE(lines(list()), QStringList({"one.mp3", "b.MP3", "two.mp3"}));
  QCOMPARE(t_->state.PlaylistPaths[2], *music_ / "two.mp3");
  // Text is not a file list.
  drop(list(), {}, QString::fromStdString(*music_ / "four.mp3"));
  QCOMPARE(t_->state.TrackCount(), 3);
}

void PlaylistTest::deleteKeyRemovesTheSelectionBackspaceDoesNot() {
  addTracks({"T1.mp3", "T2.mp3", "T3.mp3", "T4.mp3", "T5.mp3"});
  select(list(), {1, 3});
  QTest::keyClick(list(), Qt::Key_Backspace);
  QCOMPARE(list()->count(), 5);
  QTest::keyClick(list(), Qt::Key_Delete, Qt::ShiftModifier);
  QCOMPARE(lines(list()), QStringList({"T1.mp3", "T3.mp3", "T5.mp3"}));
  QCOMPARE(selectedRows(list()), QList<int>({2}));
  QCOMPARE(list()->currentRow(), 2);
  QCOMPARE(t_->state.PlaylistNames, std::vector<std::string>({"T1.mp3", "T3.mp3", "T5.mp3"}));
  // The menu's Remove with nothing selected removes nothing and selects line 0.
  list()->clearSelection();
  t_->find<QAction>("mnuRemove")->trigger();
  QCOMPARE(list()->count(), 3);
  QCOMPARE(selectedRows(list()), QList<int>({0}));
}

void PlaylistTest::moveButtonsKeepTheSelection() {
  addTracks({"T1.mp3", "T2.mp3", "T3.mp3", "T4.mp3"});
  select(list(), {1, 2});
  QTest::mouseClick(t_->find("cmdTrackup"), Qt::LeftButton);
  QCOMPARE(lines(list()), QStringList({"T2.mp3", "T3.mp3", "T1.mp3", "T4.mp3"}));
  QCOMPARE(selectedRows(list()), QList<int>({0, 1}));
  // Line 0 is selected: up does nothing.
  QTest::mouseClick(t_->find("cmdTrackup"), Qt::LeftButton);
  QCOMPARE(lines(list()), QStringList({"T2.mp3", "T3.mp3", "T1.mp3", "T4.mp3"}));
  QTest::mouseClick(t_->find("cmdTrackDown"), Qt::LeftButton);
  QTest::mouseClick(t_->find("cmdTrackDown"), Qt::LeftButton);
  QCOMPARE(lines(list()), QStringList({"T1.mp3", "T4.mp3", "T2.mp3", "T3.mp3"}));
  QCOMPARE(selectedRows(list()), QList<int>({2, 3}));
  QCOMPARE(t_->state.PlaylistNames[1], std::string("T4.mp3"));
}

void PlaylistTest::saveScriptThroughTheWindow() {
  addTracks({"My Song.mp3", "Other.mp3"});
  TempDir mod;
  writeFile(mod / "gfx/shell/kb_act.lst", "\"+forward\" \"Move forward\"\r\n");
  writeFile(mod / "mp3s/old.mp3", "old");
  auto* box = t_->find<QComboBox>("cboSteamFolder");
  box->setEditText(QString::fromStdString(mod.str()) + "/");
  t_->find<QCheckBox>("chkDelete")->setChecked(true);

  t_->find<QAction>("mnuSaveScript")->trigger();

  QVERIFY(t_->waitForTheJob());

  QVERIFY2(qt::MessageBox::shown().isEmpty(), qPrintable(qt::MessageBox::shown().value(0).text));
  QVERIFY(std::filesystem::exists(mod / "mp3.cfg"));
  QVERIFY(std::filesystem::exists(mod / "playlist1.cfg"));
  QCOMPARE(tunebelt::test::readFile(mod / "userconfig.cfg"), std::string("exec mp3.cfg\r\n"));
  QCOMPARE(tunebelt::test::readFile(mod / "mp3s/MySong.mp3"),
           test::playableMp3("data of My Song.mp3"));
  QVERIFY(!std::filesystem::exists(mod / "mp3s/old.mp3"));

  qt::ProgressWindow* progress = t_->window->progressWindow();
  QVERIFY(progress->isVisible());
  QCOMPARE(progress->windowTitle(), QString("Done"));
  QVERIFY(!progress->findChild<QWidget*>("imgCompb")->isHidden());
  QCOMPARE(progress->findChild<QProgressBar*>("prgFilecopy")->value(), 2);
  QVERIFY(box->isEnabled());
  // The trailing separator went; the folder is remembered once, without it.
  QCOMPARE(box->currentText(), QString::fromStdString(mod.str()));
  QCOMPARE(box->count(), 1);
  QCOMPARE(box->itemText(0), QString::fromStdString(mod.str()));
  const qint64 bytes =
      qint64(test::playableMp3("data of My Song.mp3data of Other.mp3").size() + 416);
  QTRY_COMPARE(t_->find<QLabel>("lblCacheSize")->text(),
               QString("Current mp3 cache size: %1 B").arg(bytes));

  // The same folder again: no second entry.
  t_->find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t_->waitForTheJob());
  QCOMPARE(box->count(), 1);
  QCOMPARE(progress->windowTitle(), QString("Done"));
}

void PlaylistTest::commandsWaitWhileASaveRuns() {
  addTracks({"A.mp3", "B.mp3", "C.mp3"});
  TempDir mod;
  writeFile(mod / "gfx/shell/kb_act.lst", "");
  t_->find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod.str()));
  select(list(), {0});

  // Events that arrive while the save lets the window repaint.
  bool ranDuringSave = false;
  QTimer::singleShot(0, this, [&] {
    ranDuringSave = t_->window->isSaving();
    addTracks({"late.mp3"});
    QTest::mouseClick(t_->find("cmdTrackDown"), Qt::LeftButton);
    QTest::keyClick(list(), Qt::Key_Delete);
    QTest::mouseClick(t_->find("imgGerman"), Qt::LeftButton);
    t_->find<QAction>("mnuSaveScript")->trigger();
  });
  t_->find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t_->waitForTheJob());
  QVERIFY(ranDuringSave);
  QVERIFY(!t_->window->isSaving());
  QCOMPARE(lines(list()), QStringList({"A.mp3", "B.mp3", "C.mp3"}));
  QCOMPARE(t_->state.Language, kEnglish);
  QCOMPARE(t_->window->progressWindow()->windowTitle(), QString("Done"));

  // Afterwards they work again.
  QTest::mouseClick(t_->find("cmdTrackDown"), Qt::LeftButton);
  QCOMPARE(lines(list()), QStringList({"B.mp3", "A.mp3", "C.mp3"}));
}

void PlaylistTest::menusAndClosingWaitForTheSave() {
  addTracks({"A.mp3"});
  TempDir mod;
  writeFile(mod / "gfx/shell/kb_act.lst", "");
  t_->find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod.str()));

  int dialogsDuringSave = -1;
  QTimer::singleShot(0, this, [&] {
    QVERIFY(t_->window->isSaving());
    t_->find<QAction>("mnuOptions")->trigger();
    t_->find<QAction>("mnuAbout")->trigger();
    t_->find<QAction>("mnuDev")->trigger();
    t_->find<QAction>("mnuExit")->trigger();
    t_->window->close();
    dialogsDuringSave = int(t_->window->findChildren<QDialog*>().size());
    QCOMPARE(t_->endings.exits + t_->endings.ends, 0);  // nothing ended mid-save
  });
  t_->find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t_->waitForTheJob());
  QCOMPARE(dialogsDuringSave, 0);
  QCOMPARE(t_->state.DebugMode, 0);
  QVERIFY(!t_->find<QAction>("mnuDev")->isChecked());
  // Exit was asked for during the save: it ends the program once the save
  // is done, without the close's settings.
  QCOMPARE(t_->endings.exits, 1);
  QCOMPARE(t_->state.ModFolders, std::vector<std::string>{mod.str()});
}

// The Tools menu's removal asks first, naming the folder in the box; No
// changes nothing, Yes with the box ticked takes the save and mp3s away and
// the cache label follows. While a save runs it does not start at all.
void PlaylistTest::removeFromModFolderAsksThenTakesTheSaveBack() {
  addTracks({"My Song.mp3"});
  TempDir mod;
  writeFile(mod / "gfx/shell/kb_act.lst", "\"+forward\" \"Move forward\"\r\n");
  t_->find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod.str()));
  int questionsDuringSave = -1;
  QTimer::singleShot(0, this, [&] {
    QVERIFY(t_->window->isSaving());
    qt::MessageBox::queueAnswer(true);
    t_->find<QAction>("mnuRemoveFromMod")->trigger();
    questionsDuringSave = int(qt::MessageBox::shown().size());
  });
  t_->find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t_->waitForTheJob());
  QCOMPARE(questionsDuringSave, 0);
  QVERIFY(std::filesystem::exists(mod / "mp3.cfg"));
  qt::MessageBox::setTestMode(false);  // drops the answer queued during the save
  qt::MessageBox::setTestMode(true);
  qt::MessageBox::clearShown();

  auto* remove = t_->find<QAction>("mnuRemoveFromMod");
  QCOMPARE(remove->text(), QString("Remove from Mod Folder"));
  remove->trigger();  // No
  QVERIFY(t_->waitForTheJob());
  QCOMPARE(qt::MessageBox::shown().size(), 1);
  const qt::MessageBox::Shown asked = qt::MessageBox::shown()[0];
  QVERIFY(asked.question);
  QCOMPARE(asked.caption, QString("Remove from Mod Folder"));
  QVERIFY2(asked.text.contains(QString::fromStdString(mod.str())), qPrintable(asked.text));
  QCOMPARE(asked.checkBox, QString("Also delete the mp3s folder with the copied tracks"));
  QVERIFY(std::filesystem::exists(mod / "mp3.cfg"));

  qt::MessageBox::clearShown();
  qt::MessageBox::queueAnswer(true);
  qt::MessageBox::queueCheckBox(true);
  remove->trigger();
  QVERIFY(t_->waitForTheJob());
  QCOMPARE(qt::MessageBox::shown().size(), 2);
  QCOMPARE(qt::MessageBox::shown()[1].text,
           QString("Tunebelt was removed from %1, the mp3s folder too.")
               .arg(QString::fromStdString(mod.str())));
  QVERIFY(!std::filesystem::exists(mod / "mp3.cfg"));
  QVERIFY(!std::filesystem::exists(mod / "userconfig.cfg"));
  QVERIFY(!std::filesystem::exists(mod / "mp3s"));
  QCOMPARE(tunebelt::test::readFile(mod / "gfx/shell/kb_act.lst"),
           std::string("\"+forward\" \"Move forward\"\r\n"));
  QTRY_COMPARE(t_->find<QLabel>("lblCacheSize")->text(),
               QString("Current mp3 cache size: <no mp3 folder>"));
  QVERIFY(!t_->window->isSaving());
}

void PlaylistTest::closingDuringASaveStoresTheFolderItRemembers() {
  addTracks({"A.mp3"});
  TempDir mod;
  writeFile(mod / "gfx/shell/kb_act.lst", "");
  t_->find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod.str()));
  QTimer::singleShot(0, this, [&] { t_->window->close(); });
  t_->find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t_->waitForTheJob());
  QCOMPARE(t_->endings.ends, 1);
  ProgramState stored;
  LoadSettings(*app_ / "settings.jst", stored);
  QCOMPARE(stored.ModFolders, std::vector<std::string>{mod.str()});
}

void PlaylistTest::theWindowHidesItsHoverImagesForEachCommand() {
  auto* hover = t_->find("imgAddb");
  const auto light = [this] { t_->window->model().pointerOverButton(RowButton::AddTrack); };
  light();  // no file queued: each dialog is cancelled
  QVERIFY(!hover->isHidden());
  t_->find<QAction>("mnuAddTrack")->trigger();
  QVERIFY(hover->isHidden());
  light();
  t_->find<QAction>("mnuAddPlaylist")->trigger();
  QVERIFY(hover->isHidden());
  light();
  t_->find<QAction>("mnuRemove")->trigger();
  QVERIFY(hover->isHidden());

  // A save hides them once it begins, not when it is refused.
  light();
  t_->find<QAction>("mnuSaveScript")->trigger();  // an empty playlist: refused
  QVERIFY(t_->waitForTheJob());
  QVERIFY(!hover->isHidden());
  addTracks({"A.mp3"});
  TempDir mod;
  writeFile(mod / "gfx/shell/kb_act.lst", "");
  t_->find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod.str()));
  qt::MessageBox::clearShown();
  t_->find<QAction>("mnuSaveScript")->trigger();
  QVERIFY(t_->waitForTheJob());
  QVERIFY(hover->isHidden());
}

QTEST_MAIN(PlaylistTest)
#include "playlist_test.moc"
