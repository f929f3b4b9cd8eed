// The window of a read-only or installed copy: settings.jst in the user's
// configuration folder, written at close and read back on the next start.
#include <sys/stat.h>

#include <QAction>
#include <QCheckBox>
#include <QtTest>
#include <filesystem>

#include "platform/appfolders.h"
#include "qt_support.h"

using namespace tunebelt;
using tunebelt::test::AppFolder;
using tunebelt::test::WindowUnderTest;

class SettingsFolderTest : public QObject {
  Q_OBJECT
 private slots:
  void readOnlyApplicationFolderRemembersInTheConfigFolder();
};

void SettingsFolderTest::readOnlyApplicationFolderRemembersInTheConfigFolder() {
  AppFolder app;  // its configuration home is app/config
  app.writeSkin("english");
  app.writeSkin("german");
  QCOMPARE(::chmod(app.str().c_str(), 0555), 0);
  const auto folders = platform::findAppFolders(app.str(), true);
  QCOMPARE(folders.data, app.str());
  QCOMPARE(folders.settings, app / "config/tunebelt");
  {
    WindowUnderTest t(folders.data, folders.settings);
    t.find<QAction>("mnuGerman")->trigger();
    t.find<QCheckBox>("chkDelete")->setChecked(true);
    t.window->close();
    QCOMPARE(t.endings.ends, 1);
    QVERIFY(qt::MessageBox::shown().isEmpty());  // no settings failure told
  }
  QVERIFY(!std::filesystem::exists(app / "settings.jst"));
  QCOMPARE(std::filesystem::file_size(app / "config/tunebelt/settings.jst"), 12009u * 128u);

  const auto next = platform::findAppFolders(app.str(), true);
  WindowUnderTest again(next.data, next.settings);
  QVERIFY(again.find<QAction>("mnuGerman")->isChecked());
  QVERIFY(again.find<QCheckBox>("chkDelete")->isChecked());
  QVERIFY(qt::MessageBox::shown().isEmpty());
}

QTEST_MAIN(SettingsFolderTest)
#include "settingsfolder_test.moc"
