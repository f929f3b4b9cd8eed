// Shared pieces of the window tests: a temporary application folder with a
// generated skin, the window built on it with the modal boxes answered by
// the test, and pointer events sent straight to a widget.
#pragma once

#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFontDatabase>
#include <QImage>
#include <QMap>
#include <QMouseEvent>
#include <QSize>
#include <QString>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>
#include <memory>

#include "core/state/state.h"
#include "qt/filedialog.h"
#include "qt/mainwindow.h"
#include "qt/messagebox.h"
#include "test_util.h"

namespace tunebelt::test {

// The skin pictures at the sizes the window was designed for, in pixels.
inline QMap<QString, QSize> designedSkinSizes() {
  return {
      {"title.jpg", {1024, 166}},      {"leftside.jpg", {32, 49}},
      {"addtrack.jpg", {147, 49}},     {"addplaylist.jpg", {162, 49}},
      {"removetrack.jpg", {187, 49}},  {"savescript.jpg", {165, 49}},
      {"rightside.jpg", {331, 49}},    {"playlist.jpg", {1024, 553}},
      {"addtrackg.jpg", {147, 49}},    {"addplaylistg.jpg", {162, 49}},
      {"removetrackg.jpg", {187, 49}}, {"savescriptg.jpg", {165, 49}},
      {"trackup.jpg", {25, 25}},       {"trackdown.jpg", {25, 25}},
  };
}

// A temporary application folder; skins are written on request.
// The user's folders (documents, music, fonts) are looked up inside it, so
// no test touches the real ones.
class AppFolder {
 public:
  AppFolder() {
    ::setenv("XDG_CONFIG_HOME", (dir_ / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    writeFile(dir_ / "config/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"" + (dir_ / "Documents") +
                                                  "\"\nXDG_MUSIC_DIR=\"" + (dir_ / "Music") +
                                                  "\"\n");
    writeFile(dir_ / "HLFLIFE2.TTF", "font");
  }
  QString path() const { return QString::fromStdString(dir_.str()); }
  std::string str() const { return dir_.str(); }
  std::string operator/(std::string_view rel) const { return dir_ / rel; }

  // Writes every picture of the skin as a solid-colour JPEG; `sizes` names
  // the pictures that differ from the designed sizes, `missing` the ones
  // left out.
  void writeSkin(const QString& skin, const QMap<QString, QSize>& sizes = {},
                 const QStringList& missing = {}, const QColor& colour = QColor(90, 60, 30)) {
    const QString folder = path() + "/background/" + skin;
    QDir().mkpath(folder);
    const QMap<QString, QSize> all = designedSkinSizes();
    for (auto it = all.begin(); it != all.end(); ++it) {
      if (missing.contains(it.key())) continue;
      QImage img(sizes.value(it.key(), it.value()), QImage::Format_RGB32);
      img.fill(colour);
      QVERIFY(img.save(folder + "/" + it.key(), "JPG"));
    }
  }

 private:
  TempDir dir_;
};

// What the window did instead of ending the program.
struct Endings {
  int exits = 0;
  int ends = 0;
};

struct WindowUnderTest {
  ProgramState state;
  Endings endings;
  std::unique_ptr<qt::MainWindow> window;

  // `frameHeight` stands for the window manager's frame; the window's own
  // (none, offscreen) when empty.
  WindowUnderTest(const AppFolder& app, bool runStartUp = true, int screenHeight = 1024,
                  std::function<int()> frameHeight = {})
      : WindowUnderTest(app.str(), {}, runStartUp, screenHeight, std::move(frameHeight)) {}

  // The window with its settings in a folder of their own (empty: beside the
  // program's files).
  WindowUnderTest(const std::string& applicationFolder, const std::string& settingsFolder,
                  bool runStartUp = true, int screenHeight = 1024,
                  std::function<int()> frameHeight = {}) {
    qt::MessageBox::setTestMode(true);
    qt::MessageBox::clearShown();
    qt::FileDialog::setTestMode(true);
    qt::FileDialog::clearOpened();
    state.ApplicationFolder = applicationFolder;
    state.SettingsFolder = settingsFolder;
    qt::MainWindowOptions options;
    options.runStartUp = runStartUp;
    options.screenHeight = [screenHeight] { return screenHeight; };
    options.frameHeight = std::move(frameHeight);
    options.exitNow = [this] { ++endings.exits; };
    options.endProgram = [this] { ++endings.ends; };
    window = std::make_unique<qt::MainWindow>(state, std::move(options));
  }

  // A save or a removal runs on a thread of its own: the events it sends
  // run until it has ended.
  bool waitForTheJob() {
    return QTest::qWaitFor([this] { return !window->isSaving(); }, 20000);
  }

  // A control the window must have; a missing one ends the test program
  // with its name (a renamed control would otherwise crash on a null pointer).
  template <typename T = QWidget>
  T* find(const char* name) const {
    T* w = window->findChild<T*>(name);
    if (!w) qFatal("the window has no control named %s", name);
    return w;
  }
};

// The base of the window tests whose every case starts from a fresh window,
// shown, over a fresh application folder with the English skin.
class WindowTest : public QObject {
 protected:
  // From the test class's init slot.
  void startWindow() {
    t_.reset();
    app_ = std::make_unique<AppFolder>();
    app_->writeSkin("english");
    t_ = std::make_unique<WindowUnderTest>(*app_);
    t_->window->show();
    QVERIFY(QTest::qWaitForWindowExposed(t_->window.get()));
  }

  std::unique_ptr<AppFolder> app_;
  std::unique_ptr<WindowUnderTest> t_;
};

// Looks at the modal dialog that `open` shows, from inside the dialog's own
// event loop, then hides it whatever the look found: a failed check fails
// the test instead of leaving the dialog, and the test, waiting for ever. A
// dialog that never opens fails the test too. `look` may close the dialog
// itself (through its title bar, say).
inline void inModalDialog(const std::function<void()>& open,
                          const std::function<void(QWidget*)>& look) {
  bool opened = false;
  QTimer::singleShot(0, [&] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    opened = true;
    look(dialog);
    if (dialog->isVisible()) dialog->hide();
  });
  open();
  if (!opened) QTest::qFail("no modal dialog opened", __FILE__, __LINE__);
}

// A pointer movement without buttons over the middle of the widget.
inline void moveOver(QWidget* w) {
  const QPointF local(w->width() / 2.0, w->height() / 2.0);
  QMouseEvent move(QEvent::MouseMove, local, w->mapToGlobal(local), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QApplication::sendEvent(w, &move);
}

// The font families the test program sees, each once, without the generic
// names Qt always offers and without the foundries that tell apart two
// families of one name ("Nimbus Sans [URW ]").
inline QStringList fontFamilies() {
  QStringList out;
  for (QString family : QFontDatabase::families()) {
    if (family == "Sans Serif" || family == "Serif" || family == "Monospace") continue;
    if (family.endsWith(']')) family.truncate(family.lastIndexOf(" ["));
    if (!out.contains(family)) out << family;
  }
  out.sort();
  return out;
}

// The widget's rectangle in twips, as the design gives it.
inline QRect twipsOf(const QWidget* w) {
  return QRect(w->x() * 15, w->y() * 15, w->width() * 15, w->height() * 15);
}

}  // namespace tunebelt::test
