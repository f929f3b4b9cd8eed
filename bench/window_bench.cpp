// The window's own figures, offscreen:
//   window_bench first-paint   builds the window, shows it and quits at its
//                              first paint (timed as a whole process by run.sh)
//   window_bench keystroke     one keystroke in the mod folder box that
//                              completes a path whose mp3s folder holds
//                              10,000 files in 100 subfolders: the time the
//                              window's thread spends on the key, and the
//                              time until the cache label shows that
//                              folder's size (the walk runs on a thread of
//                              its own)
//   window_bench memory        peak memory with 10,000 tracks in the list
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/modfolder/cachesize.h"
#include "core/playlist/playlist.h"
#include "core/state/state.h"
#include "ui/mainwindow.h"
#include "ui/messagebox.h"

namespace {

namespace fs = std::filesystem;
using tunebelt::ProgramState;
using tunebelt::ui::MainWindow;

// An application folder for the window: the real skins beside the benchmark
// binary, and settings of its own.
std::string makeAppFolder(const fs::path& scratch, const std::string& binFolder) {
  fs::path app = scratch / "app";
  fs::create_directories(app);
  fs::copy(fs::path(binFolder) / "background", app / "background",
           fs::copy_options::recursive | fs::copy_options::skip_existing);
  return app.string();
}

void isolateUserFolders(const fs::path& scratch) {
  ::setenv("XDG_CONFIG_HOME", (scratch / "config").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (scratch / "data").c_str(), 1);
  fs::create_directories(scratch / "config");
  std::ofstream(scratch / "config/user-dirs.dirs")
      << "XDG_MUSIC_DIR=\"" << (scratch / "Music").string() << "\"\n";
}

class FirstPaint : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    return false;
  }
};

long peakKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return -1;
}

double threadCpuMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

int firstPaint(ProgramState& state) {
  QElapsedTimer t;
  t.start();
  MainWindow window(state);
  FirstPaint filter;
  window.installEventFilter(&filter);
  window.show();
  QApplication::exec();
  std::printf("first paint after %.1f ms in-process\n", double(t.nsecsElapsed()) / 1e6);
  return 0;
}

int keystroke(ProgramState& state, const fs::path& scratch) {
  const fs::path mod = scratch / "hl/cstrike";
  for (int d = 0; d < 100; ++d) {
    fs::path sub = mod / "mp3s" / ("album" + std::to_string(d));
    fs::create_directories(sub);
    for (int f = 0; f < 100; ++f)
      std::ofstream(sub / ("track" + std::to_string(f) + ".mp3")) << "x";
  }
  MainWindow window(state);
  window.show();
  QApplication::processEvents();
  auto* box = window.findChild<QComboBox*>("cboSteamFolder");
  auto* label = window.findChild<QLabel*>("lblCacheSize");
  const QString full = QString::fromStdString(mod.string());
  const QString expected = QString::fromStdString(
      *tunebelt::CacheSizeLabel(mod.string(), state.Language, tunebelt::ui::decimalSeparator()));
  const QString other = QString::fromStdString((scratch / "elsewhere").string());
  std::vector<double> onThread;
  std::vector<double> cpu;  // what the window's thread itself ran meanwhile
  std::vector<double> toLabel;
  for (int round = 0; round < 21; ++round) {
    box->setEditText(other);  // a label other than the one to wait for
    while (label->text() == expected) QApplication::processEvents();
    box->setEditText(full.left(full.size() - 1));
    QApplication::processEvents();
    QElapsedTimer t;
    t.start();
    const double cpuBefore = threadCpuMs();
    QTest::keyClick(box->lineEdit(), full.back().toLatin1());
    onThread.push_back(double(t.nsecsElapsed()) / 1e6);
    cpu.push_back(threadCpuMs() - cpuBefore);
    // The label must end showing this folder's size: wait for it.
    while (label->text() != expected && t.elapsed() < 5000) QApplication::processEvents();
    toLabel.push_back(double(t.nsecsElapsed()) / 1e6);
  }
  for (auto* ms : {&onThread, &cpu, &toLabel}) std::sort(ms->begin(), ms->end());
  std::printf(
      "keystroke on the window's thread: median %.2f ms, max %.2f ms "
      "(its CPU time: median %.2f ms, max %.2f ms)\n",
      onThread[onThread.size() / 2], onThread.back(), cpu[cpu.size() / 2], cpu.back());
  std::printf("keystroke to label: median %.2f ms, min %.2f ms, max %.2f ms (%s)\n",
              toLabel[toLabel.size() / 2], toLabel.front(), toLabel.back(),
              qPrintable(label->text()));
  return 0;
}

int memory(ProgramState& state) {
  MainWindow window(state);
  window.show();
  QApplication::processEvents();
  const long before = peakKiB();
  for (int i = 0; i < tunebelt::kMaxTracks; ++i) {
    tunebelt::AppendEntry(
        state, "/home/player/Music/Some Artist/Track number " + std::to_string(i) + ".mp3",
        window.host());
  }
  QApplication::processEvents();
  std::printf("peak memory: %.1f MB with %d tracks (%.1f MB before adding them)\n",
              double(peakKiB()) / 1024.0, state.TrackCount(), double(before) / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  const fs::path scratch =
      fs::temp_directory_path() / ("tunebelt-window-bench-" + std::to_string(::getpid()));
  fs::create_directories(scratch);
  isolateUserFolders(scratch);
  tunebelt::ui::MessageBox::setTestMode(true);  // nothing may wait for a click
  ProgramState state;
  state.ApplicationFolder =
      makeAppFolder(scratch, QCoreApplication::applicationDirPath().toStdString());
  int rc = 2;
  if (mode == "first-paint") rc = firstPaint(state);
  if (mode == "keystroke") rc = keystroke(state, scratch);
  if (mode == "memory") rc = memory(state);
  if (rc == 2) std::fprintf(stderr, "usage: window_bench first-paint|keystroke|memory\n");
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return rc;
}
