// The skin loader and the language switch on a generated skin.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QtTest>

#include "qt/skin.h"
#include "qt/widgets.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::twipsOf;
using tunebelt::test::WindowUnderTest;

namespace {

const char* const kEnglishModPath =
    "Mod Path: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)";

QPoint twipsPos(const QWidget* w) {
  return QPoint(w->x() * 15, w->y() * 15);
}

}  // namespace

class SkinTest : public QObject {
  Q_OBJECT
 private slots:
  void designedSkinGivesTheDesignedRow();
  void widerButtonsPushLaterPiecesAndMoveButtonsFollowTheList();
  void missingPictureLeavesItsControlAsItWas();
  void switchingLanguageAndBack();
  void flagsAndStoredLanguageChooseTheSkin();
};

void SkinTest::designedSkinGivesTheDesignedRow() {
  AppFolder app;
  app.writeSkin("english");
  WindowUnderTest t(app);
  const struct {
    const char* name;
    QRect rect;
  } expected[] = {
      {"imgTitle", {0, 0, 15360, 2490}},          {"imgLeftside", {0, 2490, 480, 735}},
      {"imgAdd", {480, 2490, 2205, 735}},         {"imgPlaylist", {2685, 2490, 2430, 735}},
      {"imgRemove", {5115, 2490, 2805, 735}},     {"imgWriteScript", {7920, 2490, 2475, 735}},
      {"imgRightside", {10395, 2490, 4965, 735}}, {"imgPlbg", {-15, 3225, 15360, 8295}},
      {"imgAddb", {480, 2490, 2205, 735}},        {"imgPlaylistb", {2685, 2490, 2430, 735}},
      {"imgRemoveb", {5115, 2490, 2805, 735}},    {"imgWriteScriptb", {7920, 2490, 2475, 735}},
      {"cmdTrackup", {14175, 5280, 375, 375}},    {"cmdTrackDown", {14175, 5640, 375, 375}},
  };
  for (const auto& e : expected) QCOMPARE(twipsOf(t.find(e.name)), e.rect);
  // 14180 twips is not a whole pixel: the buttons stand at its nearest one.
  QCOMPARE(t.find("cmdTrackup")->x(), 945);
  QVERIFY(!t.find<qt::ImageWidget>("imgAdd")->picture().isNull());
  for (const char* hover : {"imgAddb", "imgPlaylistb", "imgRemoveb", "imgWriteScriptb"}) {
    QVERIFY(t.find(hover)->isHidden());
  }
  // Loading again changes nothing.
  qt::LoadSkin(t.window.get(), "english", app.path());
  for (const auto& e : expected) QCOMPARE(twipsOf(t.find(e.name)), e.rect);
}

void SkinTest::widerButtonsPushLaterPiecesAndMoveButtonsFollowTheList() {
  AppFolder app;
  // The title picture is taller and wider than its strip: it is stretched.
  app.writeSkin("english", {{"addtrack.jpg", {187, 49}},
                            {"addplaylist.jpg", {192, 49}},
                            {"leftside.jpg", {40, 60}},
                            {"title.jpg", {800, 300}}});
  WindowUnderTest t(app);
  QCOMPARE(twipsOf(t.find("imgTitle")), QRect(0, 0, 15360, 2490));
  QCOMPARE(twipsPos(t.find("imgAdd")), QPoint(600, 2490));
  QCOMPARE(t.find("imgAdd")->width(), 187);
  QCOMPARE(twipsPos(t.find("imgPlaylist")), QPoint(600 + 2805, 2490));
  QCOMPARE(twipsPos(t.find("imgRemove")), QPoint(600 + 2805 + 2880, 2490));
  QCOMPARE(twipsPos(t.find("imgWriteScript")), QPoint(600 + 2805 + 2880 + 2805, 2490));
  QCOMPARE(twipsPos(t.find("imgRightside")), QPoint(600 + 2805 + 2880 + 2805 + 2475, 2490));
  QCOMPARE(twipsPos(t.find("imgPlbg")), QPoint(-15, 2490 + 900));
  QCOMPARE(twipsPos(t.find("imgPlaylistb")), twipsPos(t.find("imgPlaylist")));
  QCOMPARE(twipsPos(t.find("imgWriteScriptb")), twipsPos(t.find("imgWriteScript")));
  // The move buttons keep their tops and stand 5 twips right of the list.
  const QWidget* list = t.find("lstPlaylist");
  QCOMPARE(twipsOf(list), QRect(840, 5220, 13335, 4830));
  QCOMPARE(t.find("cmdTrackup")->x(), (twipsOf(list).right() + 1 + 5 + 7) / 15);
  QCOMPARE(t.find("cmdTrackup")->y() * 15, 5280);
  QCOMPARE(t.find("cmdTrackDown")->x(), t.find("cmdTrackup")->x());
  QCOMPARE(t.find("cmdTrackDown")->y() * 15, 5640);
}

void SkinTest::missingPictureLeavesItsControlAsItWas() {
  AppFolder app;
  app.writeSkin("english", {}, {"addplaylist.jpg", "trackdown.jpg"});
  app.writeSkin("german", {{"addplaylist.jpg", {200, 49}}});
  WindowUnderTest t(app);
  // Without its picture the button keeps its designed size; the chain and the
  // later pictures go on.
  auto* playlist = t.find<qt::ImageWidget>("imgPlaylist");
  QVERIFY(playlist->picture().isNull());
  QCOMPARE(twipsOf(playlist), QRect(2685, 2490, 2430, 735));
  QVERIFY(!t.find<qt::ImageWidget>("imgRemove")->picture().isNull());
  QCOMPARE(twipsPos(t.find("imgRemove")), QPoint(5115, 2490));
  QVERIFY(!t.find<qt::ImageWidget>("cmdTrackup")->picture().isNull());
  QCOMPARE(t.find("cmdTrackDown")->x(), 945);
  QCOMPARE(t.state.Language, kEnglish);
  QVERIFY(t.find<QAction>("mnuEnglish")->isChecked());

  // A picture loaded once stays when a later skin lacks it.
  qt::LoadSkin(t.window.get(), "german", app.path());
  QCOMPARE(playlist->width(), 200);
  qt::LoadSkin(t.window.get(), "english", app.path());
  QCOMPARE(playlist->width(), 200);
  QVERIFY(!playlist->picture().isNull());
  QVERIFY(t.window->isEnabled());
}

void SkinTest::switchingLanguageAndBack() {
  AppFolder app;
  app.writeSkin("english");
  app.writeSkin("german", {{"addtrack.jpg", {160, 49}}});
  WindowUnderTest t(app);
  auto* modPath = t.find<QLabel>("lblModPath");
  auto* drag = t.find<QLabel>("lblDragCaption");
  auto* chk = t.find<QCheckBox>("chkDelete");
  auto* cache = t.find<QLabel>("lblCacheSize");
  auto* english = t.find<QAction>("mnuEnglish");
  auto* german = t.find<QAction>("mnuGerman");
  QCOMPARE(modPath->text(), QString(kEnglishModPath));
  QTRY_COMPARE(cache->text(), QString("Current mp3 cache size: <no mp3 folder>"));

  // The check box and the mod folder text are not touched by a switch.
  chk->setChecked(true);
  tunebelt::test::TempDir mod;
  std::filesystem::create_directories(mod / "mp3s");
  tunebelt::test::writeFile(mod / "mp3s/a.mp3", std::string(1536, 'x'));
  t.find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod.str()));
  QTRY_COMPARE(cache->text(), QString("Current mp3 cache size: 1.5 KB"));

  german->trigger();
  QCOMPARE(modPath->text(),
           QString("Pfad: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)"));
  QCOMPARE(drag->text(),
           QString::fromUtf8("Files hier her ziehen um sie in die Playlist einzufügen"));
  QCOMPARE(chk->text(), QString::fromUtf8("Unbenutzte mp3 Dateien im Mod Verzeichnis löschen"));
  QTRY_COMPARE(cache->text(), QString::fromUtf8("Strömung mp3 Größe cache: 1.5 KB"));
  QCOMPARE(t.state.Language, kGerman);
  QVERIFY(german->isChecked() && !english->isChecked());
  QCOMPARE(t.find("imgAdd")->width(), 160);  // the German skin's picture
  QVERIFY(chk->isChecked());
  QCOMPARE(t.find<QComboBox>("cboSteamFolder")->currentText(), QString::fromStdString(mod.str()));

  // Choosing German again keeps exactly German checked.
  german->trigger();
  QCOMPARE(t.state.Language, kGerman);
  QVERIFY(german->isChecked() && !english->isChecked());

  t.find<QComboBox>("cboSteamFolder")->setEditText(QString::fromStdString(mod / "nothing"));
  QTRY_COMPARE(cache->text(), QString::fromUtf8("Strömung mp3 Größe cache < kein Verzeichnis >"));

  english->trigger();
  QCOMPARE(modPath->text(), QString(kEnglishModPath));
  QCOMPARE(drag->text(), QString("Drag Files here to add them to the playlist"));
  QCOMPARE(chk->text(), QString("Delete unused mp3 files in the mod folder"));
  QTRY_COMPARE(cache->text(), QString("Current mp3 cache size: <no mp3 folder>"));
  QCOMPARE(t.state.Language, kEnglish);
  QVERIFY(english->isChecked() && !german->isChecked());
  QCOMPARE(t.find("imgAdd")->width(), 147);
}

void SkinTest::flagsAndStoredLanguageChooseTheSkin() {
  AppFolder app;
  app.writeSkin("english");
  app.writeSkin("german", {{"addtrack.jpg", {160, 49}}});
  {
    WindowUnderTest t(app);
    QTest::mouseClick(t.find("imgGerman"), Qt::LeftButton);
    QCOMPARE(t.state.Language, kGerman);
    QCOMPARE(t.find("imgAdd")->width(), 160);
    t.window->close();  // the language is stored on a normal close
    QCOMPARE(t.endings.ends, 1);
  }
  {
    WindowUnderTest t(app);
    QCOMPARE(t.state.Language, kGerman);
    QVERIFY(t.find<QAction>("mnuGerman")->isChecked());
    QCOMPARE(t.find<QLabel>("lblDragCaption")->text(),
             QString::fromUtf8("Files hier her ziehen um sie in die Playlist einzufügen"));
    QTest::mouseClick(t.find("imgEnglish"), Qt::LeftButton);
    QCOMPARE(t.state.Language, kEnglish);
    QCOMPARE(t.find("imgAdd")->width(), 147);
  }
}

QTEST_MAIN(SkinTest)
#include "skin_test.moc"
