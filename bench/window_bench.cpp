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
//   window_bench save-stall [slow]
//                              the longest time the window's event loop
//                              went without running during a 950-track
//                              save started from the menu (940 tracks of
//                              64 KiB, 10 of 4 MiB); `slow` copies at
//                              20 MB/s, as a slow or network disk would
#include <sys/syscall.h>
#include <unistd.h>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/modfolder/cachesize.h"
#include "core/playlist/playlist.h"
#include "core/state/state.h"
#include "qt/mainwindow.h"
#include "qt/messagebox.h"

// The copies go through the C library's copy_file_range: this stands in for
// it, and in the slow mode moves at most 256 KiB per call at 20 MB/s.
std::atomic<bool> slowCopies{false};

extern "C" ssize_t copy_file_range(int in, loff_t* inOffset, int out, loff_t* outOffset,
                                   size_t length, unsigned int flags) {
  if (!slowCopies) {
    return ::syscall(SYS_copy_file_range, in, inOffset, out, outOffset, length, flags);
  }
  const size_t chunk = std::min<size_t>(length, 256 * 1024);
  const auto start = std::chrono::steady_clock::now();
  const auto n = ::syscall(SYS_copy_file_range, in, inOffset, out, outOffset, chunk, flags);
  if (n > 0) {
    std::this_thread::sleep_until(start + std::chrono::microseconds(n / 20));  // 20 bytes per us
  }
  return n;
}

namespace {

namespace fs = std::filesystem;
using tunebelt::ProgramState;
using tunebelt::qt::MainWindow;

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
      *tunebelt::CacheSizeLabel(mod.string(), state.Language, tunebelt::qt::decimalSeparator()));
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

// A timer that wants to run every millisecond notes the longest gap between
// two of its runs: how long the window could not repaint or take input.
int saveStall(ProgramState& state, const fs::path& scratch, bool slow) {
  const fs::path mod = scratch / "hl/cstrike";
  fs::create_directories(mod / "gfx/shell");
  std::ofstream(mod / "gfx/shell/kb_act.lst") << "\"+forward\" \"Move forward\"\r\n";
  const fs::path music = scratch / "music";
  fs::create_directories(music);
  std::uint64_t bytes = 0;
  for (int i = 0; i < tunebelt::kMaxSaveTracks; ++i) {
    const std::string path = (music / ("Track " + std::to_string(i) + ".mp3")).string();
    const std::size_t size = i % 95 == 50 ? 4u << 20 : 64u << 10;
    std::ofstream(path, std::ios::binary) << std::string(size, char('a' + i % 26));
    bytes += size;
    state.PlaylistPaths.push_back(path);
    state.PlaylistNames.push_back(tunebelt::GetFileName(path));
  }
  MainWindow window(state);
  window.show();
  QApplication::processEvents();
  window.findChild<QComboBox*>("cboSteamFolder")->setEditText(QString::fromStdString(mod.string()));
  QApplication::processEvents();

  slowCopies = slow;
  QElapsedTimer clock;
  clock.start();
  qint64 last = clock.nsecsElapsed();
  qint64 longest = 0;
  QTimer beat;
  beat.setTimerType(Qt::PreciseTimer);
  beat.setInterval(1);
  QObject::connect(&beat, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    longest = std::max(longest, now - last);
    last = now;
  });
  beat.start();
  QTimer::singleShot(0, &window, [&] {
    last = clock.nsecsElapsed();
    window.findChild<QAction*>("mnuSaveScript")->trigger();
  });
  QApplication::processEvents();
  while (window.isSaving() || clock.elapsed() < 50) {
    QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
  }
  const double seconds = double(clock.nsecsElapsed()) / 1e9;
  beat.stop();
  slowCopies = false;
  std::printf(
      "save of %d tracks (%.1f MB%s): %.2f s, longest stall of the window's thread "
      "%.1f ms\n",
      state.TrackCount(), double(bytes) / 1e6, slow ? ", copied at 20 MB/s" : "", seconds,
      double(longest) / 1e6);
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
  tunebelt::qt::MessageBox::setTestMode(true);  // nothing may wait for a click
  ProgramState state;
  state.ApplicationFolder =
      makeAppFolder(scratch, QCoreApplication::applicationDirPath().toStdString());
  int rc = 2;
  if (mode == "first-paint") rc = firstPaint(state);
  if (mode == "keystroke") rc = keystroke(state, scratch);
  if (mode == "memory") rc = memory(state);
  if (mode == "save-stall") {
    rc = saveStall(state, scratch, argc > 2 && std::string(argv[2]) == "slow");
  }
  if (rc == 2)
    std::fprintf(stderr, "usage: window_bench first-paint|keystroke|memory|save-stall [slow]\n");
  std::error_code ec;
  fs::remove_all(scratch, ec);
  return rc;
}
