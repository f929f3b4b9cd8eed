// The main window and the progress window as designed: every control with
// its kind, rectangle, stacking, captions, colours and menus.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QtTest>

#include "ui/progresswindow.h"
#include "ui/widgets.h"
#include "ui_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::twipsOf;
using tunebelt::test::WindowUnderTest;

class LayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void controlsStandAtTheirDesignedRectangles();
  void stackingPutsWindowedControlsOnTopAndHoverImagesOverButtons();
  void captionsColoursAndFocus();
  void menuBarHasEveryItemInOrder();
  void clientAreaIsFixedAndShortenedOnALowScreen();
  void progressWindowLayoutAndStages();
};

void LayoutTest::controlsStandAtTheirDesignedRectangles() {
  AppFolder app;
  WindowUnderTest t(app, /*runStartUp=*/false);
  struct Expected {
    const char* name;
    QRect rect;
  };
  const Expected images[] = {
      {"imgTitle", {0, 0, 15360, 2490}},
      {"imgLeftside", {0, 2490, 480, 735}},
      {"imgAdd", {480, 2490, 2205, 735}},
      {"imgPlaylist", {2685, 2490, 2430, 735}},
      {"imgRemove", {5115, 2490, 2805, 735}},
      {"imgWriteScript", {7920, 2490, 2475, 735}},
      {"imgRightside", {10395, 2490, 4965, 735}},
      {"imgAddb", {13590, 4920, 2205, 735}},
      {"imgPlaylistb", {13605, 5610, 2430, 735}},
      {"imgRemoveb", {13710, 6120, 2805, 735}},
      {"imgWriteScriptb", {13695, 6930, 2490, 735}},
      {"imgPlbg", {-15, 3240, 15360, 8295}},
      {"imgEnglish", {14400, 60, 375, 210}},
      {"imgGerman", {14865, 60, 375, 210}},
      {"imgModFold", {10500, 7095, 2250, 300}},
      {"cmdTrackup", {14280, 5280, 375, 375}},
      {"cmdTrackDown", {14280, 5640, 375, 375}},
  };
  for (const Expected& e : images) {
    auto* w = t.find<ui::ImageWidget>(e.name);
    QVERIFY2(w, e.name);
    QCOMPARE(twipsOf(w), e.rect);
  }
  const Expected others[] = {
      {"lblModPath", {840, 3960, 6120, 525}},      {"cboSteamFolder", {810, 4560, 5610, 360}},
      {"lblBrowse", {6480, 4440, 495, 495}},       {"lblDragCaption", {10680, 5040, 3585, 285}},
      {"lstPlaylist", {840, 5220, 13335, 4830}},   {"chkDelete", {960, 10080, 4935, 255}},
      {"lblCacheSize", {10200, 10080, 4200, 285}}, {"lblTunebelt", {45, 11205, 3510, 270}},
      {"lblVelloran", {12075, 11205, 3330, 270}},
  };
  for (const Expected& e : others) {
    QWidget* w = t.find(e.name);
    QVERIFY2(w, e.name);
    QCOMPARE(twipsOf(w), e.rect);
  }
  QVERIFY(t.find<QLabel>("lblModPath"));
  QVERIFY(t.find<QComboBox>("cboSteamFolder")->isEditable());
  QCOMPARE(t.find<QListWidget>("lstPlaylist")->selectionMode(),
           QAbstractItemView::ExtendedSelection);
  QVERIFY(t.find<QCheckBox>("chkDelete"));
  for (const char* hover : {"imgAddb", "imgPlaylistb", "imgRemoveb", "imgWriteScriptb"}) {
    QVERIFY(t.find(hover)->isHidden());
  }
  // The built-in pictures are there from the start, at their sizes.
  QCOMPARE(t.find<ui::ImageWidget>("imgEnglish")->picture().size(), QSize(25, 14));
  QCOMPARE(t.find<ui::ImageWidget>("imgGerman")->picture().size(), QSize(25, 14));
  QCOMPARE(t.find<ui::ImageWidget>("imgModFold")->picture().size(), QSize(150, 20));
  QVERIFY(t.find<ui::ImageWidget>("imgTitle")->stretches());
}

void LayoutTest::stackingPutsWindowedControlsOnTopAndHoverImagesOverButtons() {
  AppFolder app;
  WindowUnderTest t(app, false);
  QWidget* surface = t.window->centralWidget();
  // Top to bottom.
  const char* order[] = {"chkDelete",       "lstPlaylist",    "cboSteamFolder", "cmdTrackDown",
                         "cmdTrackup",      "lblDragCaption", "lblCacheSize",   "lblBrowse",
                         "lblTunebelt",     "lblVelloran",    "imgGerman",      "imgEnglish",
                         "lblModPath",      "imgRightside",   "imgLeftside",    "imgTitle",
                         "imgWriteScriptb", "imgRemoveb",     "imgPlaylistb",   "imgAddb",
                         "imgRemove",       "imgModFold",     "imgWriteScript", "imgPlaylist",
                         "imgAdd",          "imgPlbg"};
  const QObjectList& children = surface->children();  // bottom first
  qsizetype above = children.size();
  for (const char* name : order) {
    const qsizetype at = children.indexOf(t.find(name));
    QVERIFY2(at >= 0 && at < above, name);
    above = at;
  }
}

void LayoutTest::captionsColoursAndFocus() {
  AppFolder app;
  WindowUnderTest t(app, false);
  QCOMPARE(t.window->objectName(), QString("frmMain"));
  QCOMPARE(t.window->windowTitle(), QString("Tunebelt - Your Game. Your Music."));
  QCOMPARE(t.window->centralWidget()->palette().color(QPalette::Window), QColor(246, 145, 16));
  QCOMPARE(t.find<QLabel>("lblModPath")->text(),
           QString("Mod Path: (e.g. C:\\Program Files\\Steam\\steam "
                   "apps\\<username>\\counter-strike\\cstrike)"));
  QCOMPARE(t.find<QLabel>("lblBrowse")->text(), QString("..."));
  QCOMPARE(t.find<QLabel>("lblDragCaption")->text(),
           QString("Drag Files here to add them to the playlist"));
  QCOMPARE(t.find<QLabel>("lblCacheSize")->text(),
           QString("Current mp3 cache size: <no mp3 folder>"));
  QCOMPARE(t.find<QCheckBox>("chkDelete")->text(),
           QString("Delete unused mp3 files in the mod folder"));

  auto* drag = t.find<QLabel>("lblDragCaption");
  QVERIFY(drag->font().bold() && drag->font().italic());
  QCOMPARE(drag->font().pointSizeF(), 8.25);
  QCOMPARE(drag->palette().color(QPalette::WindowText), QColor(64, 64, 64));
  QCOMPARE(t.find<QLabel>("lblBrowse")->font().pointSizeF(), 20.25);
  QCOMPARE(t.find<QLabel>("lblModPath")->palette().color(QPalette::WindowText), Qt::white);
  QVERIFY(!t.find<QLabel>("lblModPath")->autoFillBackground());
  auto* list = t.find<QListWidget>("lstPlaylist");
  QCOMPARE(list->palette().color(QPalette::Base), QColor(246, 145, 16));
  QCOMPARE(list->palette().color(QPalette::Text), Qt::white);
  QCOMPARE(list->font().pointSizeF(), 9.75);
  auto* chk = t.find<QCheckBox>("chkDelete");
  QCOMPARE(chk->palette().color(QPalette::Window), QColor(205, 205, 205));
  QCOMPARE(chk->palette().color(QPalette::WindowText), QColor(64, 64, 64));

  // Tab walks lstPlaylist, cboSteamFolder, chkDelete.
  t.window->show();
  t.window->activateWindow();
  QVERIFY(QTest::qWaitForWindowActive(t.window.get()));
  list->setFocus();
  QCOMPARE(QApplication::focusWidget(), list);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QWidget* combo = t.find("cboSteamFolder");
  QVERIFY(QApplication::focusWidget() == combo || QApplication::focusWidget()->parent() == combo);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  QCOMPARE(QApplication::focusWidget(), t.find("chkDelete"));
}

void LayoutTest::menuBarHasEveryItemInOrder() {
  AppFolder app;
  WindowUnderTest t(app);
  auto captions = [&](const char* menu) {
    QStringList out;
    for (QAction* a : t.find<QMenu>(menu)->actions()) {
      out << (a->isSeparator() ? QString("-") : a->text()) + "=" + a->objectName();
    }
    return out;
  };
  QCOMPARE(
      captions("mnuFile"),
      QStringList({"Add Track...=mnuAddTrack", "Add Playlist...=mnuAddPlaylist", "Remove=mnuRemove",
                   "Save Script=mnuSaveScript", "-=mnuSep1", "Exit=mnuExit"}));
  QCOMPARE(t.find<QMenu>("mnuOpt")->title(), QString("Tools"));
  QCOMPARE(t.find<QMenu>("mnuLang")->title(), QString("Language"));
  QCOMPARE(t.find<QMenu>("mnuHelp")->title(), QString("Help"));
  QCOMPARE(captions("mnuHelp"), QStringList({"Readme=mnuReadme", "About...=mnuAbout"}));
  const QList<QAction*> tools = t.find<QMenu>("mnuOpt")->actions();
  QCOMPARE(tools.size(), 3);
  QCOMPARE(tools[0]->objectName(), QString("mnuDev"));
  QCOMPARE(tools[1]->objectName(), QString("mnuOptions"));
  QCOMPARE(tools[2]->menu(), t.find<QMenu>("mnuLang"));
  auto* dev = t.find<QAction>("mnuDev");
  QVERIFY(dev->isCheckable() && dev->isVisible() && !dev->isChecked());
  QCOMPARE(captions("mnuLang"), QStringList({"English=mnuEnglish", "German=mnuGerman"}));
  QVERIFY(t.find<QAction>("mnuEnglish")->isChecked());
  QVERIFY(!t.find<QAction>("mnuGerman")->isChecked());

  // Developer toggles the check mark together with the mode.
  dev->trigger();
  QCOMPARE(t.state.DebugMode, 1);
  QVERIFY(dev->isChecked());
  dev->trigger();
  QCOMPARE(t.state.DebugMode, 0);
  QVERIFY(!dev->isChecked());
}

void LayoutTest::clientAreaIsFixedAndShortenedOnALowScreen() {
  AppFolder app;
  {
    WindowUnderTest t(app, true, /*screenHeight=*/864);
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    QCOMPARE(t.window->centralWidget()->size(), QSize(1022, 766));
    QCOMPARE(t.window->minimumSize(), t.window->maximumSize());
  }
  {
    WindowUnderTest t(app, true, /*screenHeight=*/768);
    t.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
    QCOMPARE(t.window->frameGeometry().height(), 746);
    QCOMPARE(t.window->width(), 1022);
  }
}

void LayoutTest::progressWindowLayoutAndStages() {
  AppFolder app;
  WindowUnderTest t(app);
  ui::ProgressWindow* w = t.window->progressWindow();
  QCOMPARE(w->objectName(), QString("frmScript"));
  QCOMPARE(w->windowTitle(), QString("Tunebelt - Generating..."));
  QCOMPARE(w->size(), QSize(371, 127));
  QCOMPARE(w->minimumSize(), w->maximumSize());
  QVERIFY(!w->isModal());
  QCOMPARE(twipsOf(w->findChild<QWidget*>("prgFilecopy")), QRect(225, 1410, 5205, 330));
  QCOMPARE(w->findChild<QProgressBar*>("prgFilecopy")->minimum(), 0);
  auto* script = w->findChild<QPlainTextEdit*>("txtScript");
  QCOMPARE(twipsOf(script), QRect(195, 135, 645, 360));
  QCOMPARE(script->font().pointSizeF(), 9.0);
  QCOMPARE(script->font().family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());

  const char* stages[] = {"imgGen", "imgGenb", "imgCopy", "imgCopyb", "imgComp", "imgCompb"};
  auto shown = [&] {
    QString s;
    for (const char* name : stages) s += w->findChild<QWidget*>(name)->isHidden() ? '.' : 'x';
    return s;
  };
  for (const char* name : stages) {
    auto* img = w->findChild<ui::ImageWidget*>(name);
    QVERIFY2(img, name);
    QCOMPARE(img->picture().size(), QSize(300, 20));
  }
  QCOMPARE(twipsOf(w->findChild<QWidget*>("imgCopyb")), QRect(570, 615, 4500, 300));
  QCOMPARE(shown(), QString("x....."));
  t.window->host().setStage(Stage::Generating);
  QCOMPARE(shown(), QString(".xx.x."));
  t.window->host().setStage(Stage::Copying);
  QCOMPARE(shown(), QString("x..xx."));
  t.window->host().setProgressCaption("Done");
  t.window->host().setStage(Stage::Complete);
  QCOMPARE(shown(), QString("x.x..x"));
  QCOMPARE(w->windowTitle(), QString("Done"));
  // A second save starts over with the original caption.
  t.window->host().setStage(Stage::Generating);
  QCOMPARE(w->windowTitle(), QString("Tunebelt - Generating..."));
  QCOMPARE(shown(), QString(".xx.x."));
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
