// A Qt generic plugin that watches an unchanged Tunebelt window from inside
// its process: loaded through QT_QPA_GENERIC_PLUGINS=firstpaintprobe, it
// waits for the main window's first paint, compares what was painted where
// the title picture sits with the picture named by FIRST_PAINT_REFERENCE,
// and ends the program: exit status 0 when the skin was painted, 3 when the
// picture differs, 4 when nothing was painted within 60 seconds. A question
// box shown on the way (the sample track's offer) is answered No.
#include <QtGui/qgenericplugin.h>
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstdlib>

namespace {

// Mean difference per channel between two pictures of one size, over a grid.
double meanDifference(const QImage& a, const QImage& b) {
  constexpr int kSteps = 24;
  double sum = 0;
  int n = 0;
  for (int i = 0; i < kSteps; ++i) {
    for (int j = 0; j < kSteps; ++j) {
      const int x = (2 * i + 1) * a.width() / (2 * kSteps);
      const int y = (2 * j + 1) * a.height() / (2 * kSteps);
      const QColor p = a.pixelColor(x, y), q = b.pixelColor(x, y);
      sum += std::abs(p.red() - q.red()) + std::abs(p.green() - q.green()) +
             std::abs(p.blue() - q.blue());
      n += 3;
    }
  }
  return n ? sum / n : 255;
}

// Colours in the picture: a flat area (no skin) has one.
bool varied(const QImage& img) {
  const QRgb first = img.pixel(0, 0);
  for (int y = 0; y < img.height(); y += 7) {
    for (int x = 0; x < img.width(); x += 7) {
      if (img.pixel(x, y) != first) return true;
    }
  }
  return false;
}

class FirstPaintProbe : public QObject {
 public:
  FirstPaintProbe() {
    clock_.start();
    qApp->installEventFilter(this);
    QTimer::singleShot(60000, this, [] {
      std::fprintf(stderr, "firstpaintprobe: no first paint within 60 s\n");
      std::_Exit(4);
    });
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show) {
      if (auto* box = qobject_cast<QMessageBox*>(watched)) {
        std::fprintf(stderr, "firstpaintprobe: answered No to \"%s\"\n", qPrintable(box->text()));
        QTimer::singleShot(0, box, [box] { box->done(QMessageBox::No); });
      }
    }
    if (event->type() == QEvent::Paint && !seen_ && watched->objectName() == "frmMain") {
      seen_ = true;
      paintedAfter_ = clock_.elapsed();
      // After this paint the backing store is flushed; look at it then.
      QTimer::singleShot(0, this, [this, w = static_cast<QWidget*>(watched)] { check(w); });
    }
    return false;
  }

 private:
  void check(QWidget* window) {
    auto* title = window->findChild<QWidget*>("imgTitle");
    const QImage reference(qEnvironmentVariable("FIRST_PAINT_REFERENCE"));
    if (!title || reference.isNull()) {
      std::fprintf(stderr, "firstpaintprobe: %s\n",
                   title ? "FIRST_PAINT_REFERENCE names no picture" : "no imgTitle");
      QCoreApplication::exit(3);
      return;
    }
    // What reached the screen, where the screen can tell; else the widget.
    QImage shot = window->screen()->grabWindow(window->winId()).toImage();
    const QRect area(title->mapTo(window, QPoint(0, 0)), title->size());
    QImage painted = shot.isNull() ? title->grab().toImage() : shot.copy(area);
    painted = painted.convertToFormat(QImage::Format_RGB32);
    const QImage expected = reference.scaled(painted.size()).convertToFormat(QImage::Format_RGB32);
    const double difference = meanDifference(painted, expected);
    const bool ok = varied(painted) && difference < 24;
    std::printf(
        "firstpaintprobe: first paint after %lld ms; title %dx%d, mean difference %.1f "
        "from %s: %s\n",
        static_cast<long long>(paintedAfter_), painted.width(), painted.height(), difference,
        qPrintable(qEnvironmentVariable("FIRST_PAINT_REFERENCE")),
        ok ? "the skin was painted" : "NOT the skin");
    std::fflush(stdout);
    QCoreApplication::exit(ok ? 0 : 3);
  }

  QElapsedTimer clock_;
  qint64 paintedAfter_ = 0;
  bool seen_ = false;
};

}  // namespace

class FirstPaintProbePlugin : public QGenericPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "firstpaintprobe.json")
 public:
  QObject* create(const QString& key, const QString&) override {
    return key.compare("firstpaintprobe", Qt::CaseInsensitive) == 0 ? new FirstPaintProbe : nullptr;
  }
};

#include "firstpaintprobe.moc"
