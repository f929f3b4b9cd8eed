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
#include <QScrollBar>
#include <QWindow>
#include <QtTest>

#include "qt/progresswindow.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::twipsOf;
using tunebelt::test::WindowUnderTest;

class LayoutTest : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase();
  void controlsStandAtTheirDesignedRectangles();
  void stackingPutsWindowedControlsOnTopAndHoverImagesOverButtons();
  void captionsColoursAndFocus();
  void menuBarHasEveryItemInOrder();
  void listSelectionIsCharcoalWithWhiteText();
  void clientAreaIsFixedAndShortenedOnALowScreen();
  void shortenedHeightFollowsTheFrameOnceItIsKnown();
  void progressWindowLayoutAndStages();
  void progressWindowOpensCentredOverTheMainWindow();
  void progressWindowPlacementKeepsClearOfMenuAndScreenEdges();
};

// The window tests' private font configuration (tests/qt/CMakeLists.txt)
// lets through the faces the window uses and nothing else on the machine.
void LayoutTest::initTestCase() {
  QCOMPARE(test::fontFamilies(),
           QStringList({"DejaVu Sans", "DejaVu Sans Mono", "Liberation Sans"}));
}

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
    auto* w = t.find<qt::ImageWidget>(e.name);
    QVERIFY2(w, e.name);
    QCOMPARE(twipsOf(w), e.rect);
  }
  const Expected others[] = {
      {"lblModPath", {840, 3960, 6120, 525}},
      {"cboSteamFolder", {810, 4560, 5610, 360}},
      {"lblBrowse", {6480, 4440, 495, 495}},
      {"lstPlaylist", {840, 5220, 13335, 4830}},
      {"chkDelete", {960, 10080, 4935, 255}},
      {"lblCacheSize", {10200, 10080, 4200, 285}},
      {"lblTunebelt", {45, 11205, 3510, 270}},
      // Cut at the window's right edge, which the design's box passes.
      {"lblVelloran", {12075, 11205, 3255, 270}},
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
  QCOMPARE(t.find<qt::ImageWidget>("imgEnglish")->picture().size(), QSize(25, 14));
  QCOMPARE(t.find<qt::ImageWidget>("imgGerman")->picture().size(), QSize(25, 14));
  QCOMPARE(t.find<qt::ImageWidget>("imgModFold")->picture().size(), QSize(150, 20));
  QVERIFY(t.find<qt::ImageWidget>("imgTitle")->stretches());
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
  QTRY_COMPARE(t.find<QLabel>("lblCacheSize")->text(),
               QString("Current mp3 cache size: <no mp3 folder>"));
  QCOMPARE(t.find<QCheckBox>("chkDelete")->text(),
           QString("Delete unused mp3 files in the mod folder"));

  auto* drag = t.find<QLabel>("lblDragCaption");
  QCOMPARE(drag->palette().color(QPalette::WindowText), QColor(64, 64, 64));
  QVERIFY(drag->font().bold() && drag->font().italic());
  QCOMPARE(drag->font().pointSizeF(), 8.25);
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
  QCOMPARE(tools.size(), 4);
  QCOMPARE(tools[0]->objectName(), QString("mnuDev"));
  QCOMPARE(tools[1]->objectName(), QString("mnuOptions"));
  QCOMPARE(tools[2]->objectName(), QString("mnuRemoveFromMod"));
  QCOMPARE(tools[3]->menu(), t.find<QMenu>("mnuLang"));
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

void LayoutTest::listSelectionIsCharcoalWithWhiteText() {
  AppFolder app;
  WindowUnderTest t(app);
  auto* list = t.find<QListWidget>("lstPlaylist");
  list->addItems({"a.mp3", "b.mp3", "c.mp3"});
  t.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
  list->item(1)->setSelected(true);
  const QImage drawn = list->viewport()->grab().toImage();
  const QRect row = list->visualItemRect(list->item(1));
  const QRect plain = list->visualItemRect(list->item(2));
  // The right end of a row holds no text: the selection colour alone.
  QCOMPARE(QColor(drawn.pixel(row.right() - 4, row.center().y())), QColor(64, 64, 64));
  QCOMPARE(QColor(drawn.pixel(plain.right() - 4, plain.center().y())), QColor(246, 145, 16));
  int lightest = 0;  // the text's strokes
  for (int y = row.top(); y <= row.bottom(); ++y) {
    for (int x = row.left(); x < row.left() + 60; ++x)
      lightest = std::max(lightest, qGray(drawn.pixel(x, y)));
  }
  QVERIFY(lightest > 230);
  QCOMPARE(list->palette().color(QPalette::Inactive, QPalette::Highlight), QColor(64, 64, 64));
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

void LayoutTest::shortenedHeightFollowsTheFrameOnceItIsKnown() {
  AppFolder app;
  int frame = 0;  // the window manager has not framed the window yet
  WindowUnderTest t(app, true, /*screenHeight=*/768, [&frame] { return frame; });
  t.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
  QCOMPARE(t.window->height(), 746);
  // Framed: a title bar and borders of 31 pixels, and the window moves into
  // its place inside the frame.
  frame = 31;
  t.window->move(t.window->pos() + QPoint(4, 31));
  QTRY_COMPARE(t.window->height() + frame, 746);
  QCOMPARE(t.window->minimumSize(), t.window->maximumSize());
  // Moving on with the same frame changes nothing; a new frame is followed.
  t.window->move(t.window->pos() + QPoint(10, 10));
  QTest::qWait(10);
  QCOMPARE(t.window->height(), 715);
  frame = 25;
  t.window->move(t.window->pos() + QPoint(1, 0));
  QTRY_COMPARE(t.window->height(), 721);

  // A screen high enough keeps the designed client area whatever the frame.
  WindowUnderTest tall(app, true, /*screenHeight=*/864, [] { return 31; });
  tall.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(tall.window.get()));
  tall.window->move(tall.window->pos() + QPoint(3, 3));
  QTest::qWait(10);
  QCOMPARE(tall.window->centralWidget()->size(), QSize(1022, 766));
}

void LayoutTest::progressWindowLayoutAndStages() {
  AppFolder app;
  WindowUnderTest t(app);
  qt::ProgressWindow* w = t.window->progressWindow();
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
    auto* img = w->findChild<qt::ImageWidget*>(name);
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

  // The script box shows the start of the script, without scroll bars
  // that would make it look like a number spinner.
  w->show();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  t.window->host().setScriptText("alias mp3_play \"exec playlist1.cfg\"\r\nalias x\r\nalias y\r\n");
  QVERIFY(!script->verticalScrollBar()->isVisible());
  QVERIFY(!script->horizontalScrollBar()->isVisible());
  const QFontMetrics fm(script->font());
  QVERIFY(script->viewport()->width() >= fm.horizontalAdvance("alias") + 2);
  // One whole line, not the top of a second one.
  QVERIFY(script->viewport()->height() >= fm.height());
  QVERIFY(script->viewport()->height() < fm.lineSpacing() + fm.height() / 2);
}

void LayoutTest::progressWindowOpensCentredOverTheMainWindow() {
  AppFolder app;
  WindowUnderTest t(app);
  // Placed so that the progress window fits the offscreen screen centred.
  t.window->move(-200, -150);
  t.window->show();
  QVERIFY(QTest::qWaitForWindowExposed(t.window.get()));
  t.window->host().showProgressWindow();
  qt::ProgressWindow* w = t.window->progressWindow();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  // A window of its own, kept above the main window, not blocking it.
  QVERIFY(w->isWindow());
  QCOMPARE(w->windowType(), Qt::Dialog);  // what X11 marks as a transient
  QCOMPARE(w->parentWidget(), t.window.get());
  QCOMPARE(w->windowModality(), Qt::NonModal);
  QCOMPARE(w->windowHandle()->transientParent(), t.window->windowHandle());

  auto centredAndBelowTheMenu = [&] {
    const QPoint offset = w->frameGeometry().center() - t.window->frameGeometry().center();
    const QMenuBar* menu = t.window->menuBar();
    return offset.manhattanLength() <= 1 &&
           w->frameGeometry().top() >= menu->mapToGlobal(QPoint(0, menu->height())).y();
  };
  QVERIFY(centredAndBelowTheMenu());
  // Moved by the user, it stays put for the next save while it is open.
  w->move(w->pos() + QPoint(40, 20));
  const QPoint moved = w->pos();
  t.window->host().showProgressWindow();
  QCOMPARE(w->pos(), moved);
  // Closed, it opens centred again.
  w->close();
  t.window->host().showProgressWindow();
  QVERIFY(QTest::qWaitForWindowExposed(w));
  QVERIFY(centredAndBelowTheMenu());
}

void LayoutTest::progressWindowPlacementKeepsClearOfMenuAndScreenEdges() {
  const QRect screen(0, 0, 1366, 768);
  const QSize outer(373, 148);
  // Centred over the owner.
  QCOMPARE(qt::ProgressWindow::placeOver(QRect(100, 0, 1024, 746), 41, outer, screen),
           QRect(425, 299, 373, 148));
  // An owner half off the screen: the window stays on it.
  QCOMPARE(qt::ProgressWindow::placeOver(QRect(1000, 500, 1024, 746), 541, outer, screen),
           QRect(993, 620, 373, 148));
  // A low owner, or one pushed against the screen's top: below its menu bar.
  QCOMPARE(qt::ProgressWindow::placeOver(QRect(100, 300, 1024, 120), 341, outer, screen),
           QRect(425, 341, 373, 148));
  QCOMPARE(qt::ProgressWindow::placeOver(QRect(100, -700, 1024, 746), 5, outer, screen),
           QRect(425, 5, 373, 148));
  // Beside the owner's menu bar is no place to avoid.
  QCOMPARE(qt::ProgressWindow::placeOver(QRect(-1100, 0, 1024, 120), 41, outer, screen),
           QRect(0, 0, 373, 148));
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
