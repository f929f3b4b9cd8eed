#include <QApplication>

#include "state/state.h"
#include "ui/mainwindow.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  tunebelt::ProgramState state;
  state.ApplicationFolder = QCoreApplication::applicationDirPath().toStdString();
  tunebelt::ui::MainWindow window(state);
  window.show();
  return app.exec();
}
