#include <QApplication>

#include "core/state/state.h"
#include "platform/appfolders.h"
#include "qt/mainwindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QGuiApplication::setDesktopFileName("tunebelt");  // the menu entry and icon of an installation
  const auto folders = tunebelt::platform::findAppFolders(tunebelt::platform::executableFolder(),
                                                          /*createSettingsFolder=*/true);
  tunebelt::ProgramState state;
  state.ApplicationFolder = folders.data;
  state.SettingsFolder = folders.settings;
  tunebelt::qt::MainWindow window(state);
  window.show();
  return app.exec();
}
