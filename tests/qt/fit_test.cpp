// Every caption of the main window in both languages, of the options dialog
// and of the about box keeps all its ink inside its box with a clear pixel at
// each edge, whole, and on one line where the design has one, whatever face
// the system gives. CTest runs this once with Liberation Sans alone, once
// with DejaVu alone and once with Nimbus Sans alone: a private font
// configuration (FONTCONFIG_FILE) and TUNEBELT_FONT_SET naming the set.
#include <QCheckBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QtTest>

#include "qt/aboutdialog.h"
#include "qt/optionsdialog.h"
#include "qt/style.h"
#include "qt/units.h"
#include "qt/widgets.h"
#include "qt_support.h"
#include "recording_host.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::WindowUnderTest;

namespace {

struct FontSet {
  QString name;
  QStringList families;  // every family the configuration lets through
};

FontSet fontSet() {
  const QString name = qEnvironmentVariable("TUNEBELT_FONT_SET");
  if (name == "liberation") return {name, {"Liberation Sans"}};
  if (name == "dejavu") return {name, {"DejaVu Sans", "DejaVu Sans Mono"}};
  if (name == "nimbus") return {name, {"Nimbus Sans"}};
  return {name, {}};
}

bool arialMetric() {
  return fontSet().name != "dejavu";
}

QImage rendered(QWidget* w) {
  QImage img(w->size(), QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  w->render(&img, QPoint(), QRegion(), QWidget::RenderFlags());  // no background
  return img;
}

// The pixels in `area` where two pictures differ, or where the first one is
// painted at all when there is no second.
QRect inkOf(const QImage& img, const QRect& area, const QImage& without = {}) {
  QRect ink;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const bool inked =
          without.isNull() ? qAlpha(img.pixel(x, y)) > 0 : img.pixel(x, y) != without.pixel(x, y);
      if (inked) ink |= QRect(x, y, 1, 1);
    }
  }
  return ink;
}

// The label's text is whole, on as many lines as it may take, and all of its
// ink lies inside the label with a clear pixel at each edge.
void checkLabel(qt::TextLabel* label, int maxLines = 1) {
  const QByteArray name = label->objectName().toUtf8() + " \"" + label->text().toUtf8() + "\"";
  QVERIFY2(label->fits(), name);
  QVERIFY2(label->lineCount() <= maxLines, name);
  const QRect ink = inkOf(rendered(label), label->rect());
  QVERIFY2(!ink.isEmpty(), name);
  QVERIFY2(label->rect().adjusted(1, 1, -1, -1).contains(ink), name);
  if (maxLines == 1) {
    // As wide as the whole text drawn freely: nothing of it is cut.
    const TextInk whole = qt::TextLines::ink(label->text(), label->font(), 0);
    QVERIFY2(std::abs(ink.width() - (whole.right - whole.left)) <= 1, name);
  }
  QVERIFY2(label->font().pointSizeF() >= label->designFont().pointSizeF() * 0.6, name);
}

// The check box's caption, told apart from its indicator and background by
// drawing the box once more without a caption.
void checkCheckBox(qt::CheckBox* box) {
  const QByteArray name = box->text().toUtf8();
  QVERIFY2(box->fits(), name);
  qt::CheckBox blank("blank", "", nullptr);
  blank.resize(box->size());
  blank.setPalette(box->palette());
  blank.setAutoFillBackground(box->autoFillBackground());
  blank.setChecked(box->isChecked());
  const QRect ink = inkOf(rendered(box), box->rect(), rendered(&blank));
  const QRect indicator = box->indicatorRect();
  QVERIFY2(!ink.isEmpty(), name);
  QVERIFY2(ink.left() > indicator.right() + 1, name);  // clear of the indicator
  QVERIFY2(box->rect().adjusted(1, 1, -1, -1).contains(ink), name);
  const TextInk whole = qt::TextLines::ink(box->text(), box->font(), 0);
  QVERIFY2(std::abs(ink.width() - (whole.right - whole.left)) <= 1, name);
}

// A push button's caption lies inside its face with a clear pixel around:
// the button drawn with and without its caption differ only there.
void checkButton(QPushButton* button) {
  QPushButton blank;
  blank.resize(button->size());
  blank.setFont(button->font());
  blank.setPalette(button->palette());
  blank.setAutoDefault(button->autoDefault());
  blank.setDefault(button->isDefault());
  const QRect ink = inkOf(rendered(button), button->rect(), rendered(&blank));
  QStyleOptionButton option;
  option.initFrom(button);
  const QRect face =
      button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  const QByteArray name = button->text().toUtf8();
  QVERIFY2(!ink.isEmpty(), name);
  QVERIFY2(face.adjusted(1, 1, -1, -1).contains(ink), name);
}

}  // namespace

class FitTest : public QObject {
  Q_OBJECT
 private slots:
  void onlyTheFontSetsFacesAreSeen();
  void mainWindowCaptionsFitInBothLanguages();
  void optionsDialogCaptionsAndButtonsFit();
  void aboutBoxCaptionsFit();
};

void FitTest::onlyTheFontSetsFacesAreSeen() {
  const FontSet set = fontSet();
  QVERIFY2(!set.families.isEmpty(), "TUNEBELT_FONT_SET names no font set");
  QCOMPARE(test::fontFamilies(), set.families);
  QVERIFY(QFontInfo(qt::arial(8.25)).family().startsWith(set.families.first()));
}

void FitTest::mainWindowCaptionsFitInBothLanguages() {
  AppFolder app;
  app.writeSkin("english");
  app.writeSkin("german");
  WindowUnderTest t(app);
  const QRect surface(0, 0, qt::px(15330), qt::px(11490));
  const QRect list = t.find("lstPlaylist")->geometry();
  const QRect folder = t.find("cboSteamFolder")->geometry();
  auto* drag = t.find<qt::TextLabel>("lblDragCaption");
  for (bool german : {false, true}) {
    if (german) t.window->model().switchLanguage(kGerman);
    QCOMPARE(drag->text().startsWith("Files hier"), german);
    const char* oneLine[] = {"lblBrowse", "lblDragCaption", "lblCacheSize", "lblTunebelt",
                             "lblVelloran"};
    for (const char* name : oneLine) {
      auto* label = t.find<qt::TextLabel>(name);
      checkLabel(label);
      if (QTest::currentTestFailed()) return;
      QVERIFY2(surface.contains(label->geometry()), name);
    }
    checkLabel(t.find<qt::TextLabel>("lblModPath"), 2);
    auto* chk = t.find<qt::CheckBox>("chkDelete");
    checkCheckBox(chk);
    if (QTest::currentTestFailed()) return;

    // Each stays on its panel and clear of its neighbours: the drag caption
    // on the grey tab above the list, the path above the folder box.
    QVERIFY(drag->geometry().bottom() < list.top());
    QVERIFY(drag->geometry().left() >= (german ? 664 : 704));
    QVERIFY(drag->geometry().right() <= 951);
    QVERIFY(!t.find("lblModPath")->geometry().intersects(folder));
    QVERIFY(!t.find("lblBrowse")->geometry().intersects(folder));
    QVERIFY(!chk->geometry().intersects(t.find("lblCacheSize")->geometry()));
    QVERIFY(!t.find("lblTunebelt")->geometry().intersects(t.find("lblVelloran")->geometry()));

    // With an Arial-metric face the design stands as it is: every caption
    // at its designed box (cut to the window) and size. The drag caption's
    // box, cut by the list to 12 px, rises a pixel into its tab for a clear
    // row above its ink; the German one, longer than its box, reaches
    // further left over its tab.
    if (!arialMetric()) continue;
    const std::pair<const char*, QRect> designed[] = {
        {"lblModPath", qt::twipsRect(840, 3960, 6120, 525)},
        {"lblBrowse", qt::twipsRect(6480, 4440, 495, 495)},
        {"lblCacheSize", qt::twipsRect(10200, 10080, 4200, 285)},
        {"lblTunebelt", qt::twipsRect(45, 11205, 3510, 270)},
        {"lblVelloran", qt::twipsRect(12075, 11205, 3330, 270) & surface},
        {"chkDelete", qt::twipsRect(960, 10080, 4935, 255)},
    };
    for (const auto& [name, rect] : designed) QCOMPARE(t.find(name)->geometry(), rect);
    for (const char* name : {"lblModPath", "lblBrowse", "lblCacheSize", "lblTunebelt",
                             "lblVelloran", "lblDragCaption"}) {
      auto* label = t.find<qt::TextLabel>(name);
      QCOMPARE(label->font().pointSizeF(), label->designFont().pointSizeF());
    }
    QCOMPARE(chk->font().pointSizeF(), chk->designFont().pointSizeF());
    const QRect dragDesigned = qt::twipsRect(10680, 5040, 3585, 285);
    if (!german) QCOMPARE(drag->geometry().left(), dragDesigned.left());
    QVERIFY(drag->geometry().top() >= dragDesigned.top() - 2);
    QCOMPARE(drag->geometry().bottom(), list.top() - 1);
    QCOMPARE(drag->geometry().right(), dragDesigned.right());
  }
}

void FitTest::optionsDialogCaptionsAndButtonsFit() {
  AppFolder app;
  ProgramState state;
  test::RecordingHost host;
  SettingsFile settings(app / "settings.jst");
  OptionsForm form(state, settings, host);
  qt::OptionsDialog dialog(form);
  for (const char* name : {"Label1", "Label2", "Label3"}) {
    auto* label = dialog.findChild<qt::TextLabel*>(name);
    QVERIFY2(label, name);
    checkLabel(label);
    if (QTest::currentTestFailed()) return;
    // Clear of the volume boxes, inside the dialog.
    QVERIFY(!label->geometry().intersects(dialog.findChild<QWidget*>("cboMP3Vol")->geometry()));
    QVERIFY(!label->geometry().intersects(dialog.findChild<QWidget*>("cboGameVol")->geometry()));
    QVERIFY(dialog.rect().contains(label->geometry()));
    if (arialMetric()) QCOMPARE(label->font().pointSizeF(), 9.75);
  }
  for (const char* name : {"cmdCancel", "cmdApply", "cmdOk"}) {
    checkButton(dialog.findChild<QPushButton*>(name));
    if (QTest::currentTestFailed()) return;
  }
}

void FitTest::aboutBoxCaptionsFit() {
  AppFolder app;
  qt::AboutDialog dialog(app.str());
  for (const char* name : {"Label1", "Label2", "Label3", "lblVersion"}) {
    auto* label = dialog.findChild<qt::TextLabel*>(name);
    QVERIFY2(label, name);
    checkLabel(label);
    if (QTest::currentTestFailed()) return;
    QVERIFY2(dialog.rect().contains(label->geometry()), name);
  }
  // The slogan stays under the name, the version beside the heading.
  auto box = [&](const char* name) { return dialog.findChild<QWidget*>(name)->geometry(); };
  QVERIFY(box("Label1").bottom() < box("Label2").top());
  QVERIFY(box("Label2").bottom() < box("Label3").top());
  QVERIFY(!box("Label3").intersects(box("lblVersion")));
}

QTEST_MAIN(FitTest)
#include "fit_test.moc"
