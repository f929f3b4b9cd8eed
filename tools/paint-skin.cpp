// Paints the main window's skin: the fourteen JPEG pictures of
// background/english and background/german.
//
//   paint-skin OUTDIR [--mock MOCKDIR]
//
// writes OUTDIR/english/*.jpg and OUTDIR/german/*.jpg; with --mock it also
// composes a picture of the whole window per language (MOCKDIR/skin-mock-english.png,
// MOCKDIR/skin-mock-german.png) with stand-ins for the widgets drawn over the skin.
//
// All measures are pixels. The window's controls sit at fixed positions; the
// playlist background is shown at window (-1, 215), so a window point (x, y)
// is the picture point (x + 1, y - 215).

#include <QApplication>
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QString>
#include <QStringList>
#include <QTextStream>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace {

const QColor kOrange(246, 145, 16);
const QColor kDarkGrey(64, 64, 64);
const QColor kLightGrey(205, 205, 205);
const QColor kWhite(255, 255, 255);

constexpr int kPlbgLeft = -1;  // where the window shows playlist.jpg
constexpr int kPlbgTop = 215;

QString gBoldFamily = "DejaVu Sans";
QString gCondensedFamily = "DejaVu Sans Condensed";
QString gBookFamily = "DejaVu Sans";

// Loads the DejaVu faces from the system's font folder, so the pictures do
// not depend on what fontconfig would pick instead. False when one is missing.
bool LoadFonts() {
  const QString dir = "/usr/share/fonts/truetype/dejavu/";
  auto load = [&](const char* file, QString& family) {
    const int id = QFontDatabase::addApplicationFont(dir + file);
    const QStringList names = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
    if (names.isEmpty()) {
      std::fprintf(stderr, "paint-skin: cannot load %s%s\n", qPrintable(dir), file);
      return false;
    }
    family = names.first();
    return true;
  };
  bool ok = load("DejaVuSans-Bold.ttf", gBoldFamily);
  ok = load("DejaVuSansCondensed-Bold.ttf", gCondensedFamily) && ok;
  ok = load("DejaVuSans.ttf", gBookFamily) && ok;
  return ok;
}

QFont MakeFont(const QString& family, qreal pixelSize, bool bold, qreal spacing = 0) {
  QFont font(family);
  font.setPixelSize(static_cast<int>(std::lround(pixelSize)));
  font.setBold(bold);
  font.setHintingPreference(QFont::PreferNoHinting);
  if (spacing != 0) font.setLetterSpacing(QFont::AbsoluteSpacing, spacing);
  return font;
}

QImage NewImage(int w, int h, const QColor& fill) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(fill);
  return image;
}

bool Save(const QImage& image, const QString& path) {
  if (!image.save(path, "JPG", 92)) {
    std::fprintf(stderr, "paint-skin: cannot write %s\n", qPrintable(path));
    return false;
  }
  return true;
}

QRectF ImageRect(qreal wx, qreal wy, qreal w, qreal h) {
  return QRectF(wx - kPlbgLeft, wy - kPlbgTop, w, h);
}

// ---- title strip -----------------------------------------------------------

// Heights of the equaliser bars: a few slow waves, so the row looks like a
// frozen moment of music rather than noise.
qreal BarLevel(int i) {
  const qreal x = i;
  const qreal v =
      0.55 + 0.25 * std::sin(x * 0.55) + 0.15 * std::sin(x * 1.7 + 1.0) + 0.08 * std::cos(x * 3.1);
  return std::clamp(v, 0.12, 1.0);
}

void PaintEqualiser(QPainter& p, qreal left, qreal right, qreal bottom, qreal maxHeight) {
  constexpr qreal kBarWidth = 11;
  constexpr qreal kGap = 4;
  constexpr qreal kBlock = 5;
  constexpr qreal kBlockGap = 2;
  int i = 0;
  for (qreal x = left; x + kBarWidth <= right; x += kBarWidth + kGap, ++i) {
    const int blocks = static_cast<int>(BarLevel(i) * maxHeight / (kBlock + kBlockGap));
    for (int b = 0; b < blocks; ++b) {
      const qreal y = bottom - (b + 1) * (kBlock + kBlockGap) + kBlockGap;
      const int alpha = 70 + 110 * b / std::max(1, blocks);
      p.fillRect(QRectF(x, y, kBarWidth, kBlock), QColor(255, 255, 255, alpha));
    }
    // Peak marker floating above the bar.
    const qreal peak = bottom - (blocks + 1.5) * (kBlock + kBlockGap) + kBlockGap;
    p.fillRect(QRectF(x, peak, kBarWidth, 2), QColor(255, 255, 255, 220));
  }
}

void PaintWaveform(QPainter& p, qreal left, qreal right, qreal mid, qreal amp) {
  QPainterPath path;
  for (qreal x = left; x <= right; x += 1.5) {
    const qreal t = (x - left) / (right - left);
    const qreal envelope = std::sin(t * std::numbers::pi);
    const qreal y = mid + amp * envelope * std::sin(x * 0.09) * std::cos(x * 0.021);
    if (x == left)
      path.moveTo(x, y);
    else
      path.lineTo(x, y);
  }
  p.setPen(QPen(QColor(255, 255, 255, 110), 2.0));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
}

QImage PaintTitle() {
  QImage image = NewImage(1024, 166, kOrange);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);

  QLinearGradient sky(0, 0, 0, 166);
  sky.setColorAt(0.0, QColor(252, 172, 58));
  sky.setColorAt(0.55, kOrange);
  sky.setColorAt(1.0, QColor(224, 122, 6));
  p.fillRect(image.rect(), sky);

  // Soft light behind the wordmark.
  QRadialGradient glow(250, 80, 330);
  glow.setColorAt(0.0, QColor(255, 255, 255, 60));
  glow.setColorAt(1.0, QColor(255, 255, 255, 0));
  p.fillRect(image.rect(), glow);

  PaintWaveform(p, 566, 945, 96, 24);
  PaintEqualiser(p, 600, 940, 152, 108);

  // Floor line under the bars.
  p.fillRect(QRectF(590, 153, 355, 2), QColor(255, 255, 255, 120));

  // Wordmark: "TUNE" in white, "BELT" in dark grey, on a shared shadow.
  const QFont mark = MakeFont(gBoldFamily, 86, true, 1.5);
  const QFontMetricsF fm(mark);
  const qreal baseline = 104;
  const qreal x0 = 34;
  const qreal tuneWidth = fm.horizontalAdvance("TUNE");
  p.setFont(mark);
  p.setPen(QColor(120, 55, 0, 110));
  p.drawText(QPointF(x0 + 3, baseline + 3), "TUNEBELT");
  p.setPen(kWhite);
  p.drawText(QPointF(x0, baseline), "TUNE");
  p.setPen(kDarkGrey);
  p.drawText(QPointF(x0 + tuneWidth, baseline), "BELT");

  // Slogan, with a short orange-on-grey rule in front of it.
  const QFont slogan = MakeFont(gBoldFamily, 21, true, 1.0);
  p.fillRect(QRectF(x0 + 3, 126, 26, 4), kDarkGrey);
  p.setFont(slogan);
  p.setPen(kWhite);
  p.drawText(QPointF(x0 + 38, 136), "Your Game. Your Music.");

  // Edge towards the button row.
  p.fillRect(QRectF(0, 162, 1024, 4), kDarkGrey);
  p.fillRect(QRectF(0, 161, 1024, 1), QColor(150, 80, 0));
  return image;
}

// ---- button row ------------------------------------------------------------

void PaintRowBackground(QPainter& p, int w, int h) {
  QLinearGradient bar(0, 0, 0, h);
  bar.setColorAt(0.0, QColor(92, 92, 92));
  bar.setColorAt(0.5, kDarkGrey);
  bar.setColorAt(1.0, QColor(42, 42, 42));
  p.fillRect(QRectF(0, 0, w, h), bar);
  p.fillRect(QRectF(0, 0, w, 1), QColor(118, 118, 118));
  p.fillRect(QRectF(0, h - 2, w, 2), QColor(28, 28, 28));
  p.fillRect(QRectF(0, h - 1, w, 1), QColor(150, 80, 0));
}

QRectF PillRect(int w, int h) {
  return QRectF(4.5, 7.5, w - 9, h - 16);
}

void PaintPill(QPainter& p, const QRectF& r, bool lit) {
  if (lit) {
    // A soft orange halo around the lit face.
    for (int i = 6; i >= 1; --i) {
      p.setPen(Qt::NoPen);
      p.setBrush(QColor(255, 170, 50, 16 + 6 * (6 - i)));
      p.drawRoundedRect(r.adjusted(-i * 0.7, -i * 0.7, i * 0.7, i * 0.7), 7 + i * 0.5, 7 + i * 0.5);
    }
  }
  QLinearGradient face(0, r.top(), 0, r.bottom());
  if (lit) {
    face.setColorAt(0.0, QColor(255, 196, 108));
    face.setColorAt(0.48, QColor(250, 158, 38));
    face.setColorAt(0.52, kOrange);
    face.setColorAt(1.0, QColor(212, 112, 0));
  } else {
    face.setColorAt(0.0, QColor(118, 118, 118));
    face.setColorAt(0.48, QColor(84, 84, 84));
    face.setColorAt(0.52, QColor(74, 74, 74));
    face.setColorAt(1.0, QColor(56, 56, 56));
  }
  p.setPen(QPen(lit ? QColor(120, 60, 0) : QColor(24, 24, 24), 1.0));
  p.setBrush(face);
  p.drawRoundedRect(r, 7, 7);
  // Inner highlight along the top edge.
  p.setPen(QPen(lit ? QColor(255, 228, 180, 200) : QColor(150, 150, 150, 160), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawLine(QPointF(r.left() + 6, r.top() + 1.5), QPointF(r.right() - 6, r.top() + 1.5));
}

// How a button word is set: pixel size and letter spacing.
struct WordFont {
  qreal size;
  qreal spacing;
};

QFont ButtonFont(const WordFont& wf) {
  return MakeFont(gCondensedFamily, wf.size, true, wf.spacing);
}

qreal WordWidth(const QString& word, const WordFont& wf) {
  return QFontMetricsF(ButtonFont(wf)).horizontalAdvance(word);
}

// The widest letter spacing at which `word` fits `room` pixels at `size`;
// the closest spacing when none does.
WordFont FitSpacing(const QString& word, qreal room, qreal size) {
  for (qreal spacing : {0.8, 0.4}) {
    if (WordWidth(word, {size, spacing}) <= room) return {size, spacing};
  }
  return {size, 0.4};
}

QImage PaintButton(int w, int h, const QString& word, const WordFont& wf, bool lit) {
  QImage image = NewImage(w, h, kDarkGrey);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setRenderHint(QPainter::TextAntialiasing);
  PaintRowBackground(p, w, h);
  const QRectF pill = PillRect(w, h);
  PaintPill(p, pill, lit);

  p.setFont(ButtonFont(wf));
  const QRectF text = pill.translated(0, 0.5);
  p.setPen(lit ? QColor(140, 64, 0, 200) : QColor(20, 20, 20, 200));
  p.drawText(text.translated(1, 1), Qt::AlignCenter, word);
  p.setPen(lit ? kWhite : QColor(232, 232, 232));
  p.drawText(text, Qt::AlignCenter, word);
  return image;
}

// leftside.jpg and rightside.jpg: the bar alone; the right piece carries a
// faint row of level lights so the long end of the row is not empty.
QImage PaintSide(int w, int h, bool right) {
  QImage image = NewImage(w, h, kDarkGrey);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  PaintRowBackground(p, w, h);
  if (right) {
    const qreal top = 18;
    for (int i = 0; i < 14; ++i) {
      const qreal x = w - 24 - i * 13;
      const int alpha = 40 + 12 * (13 - i);
      p.setPen(Qt::NoPen);
      p.setBrush(i < 3 ? QColor(246, 145, 16, alpha) : QColor(205, 205, 205, alpha / 2));
      p.drawRoundedRect(QRectF(x, top, 9, 12), 2, 2);
    }
  } else {
    // A short accent notch that opens the row.
    p.fillRect(QRectF(10, 17, 4, 15), kOrange);
  }
  return image;
}

// trackup.jpg / trackdown.jpg: a dark key with a white arrow, on the light
// grey panel that surrounds the list.
QImage PaintArrow(bool up) {
  QImage image = NewImage(25, 25, kLightGrey);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF key(1.5, 1.5, 22, 22);
  QLinearGradient face(0, key.top(), 0, key.bottom());
  face.setColorAt(0.0, QColor(100, 100, 100));
  face.setColorAt(1.0, QColor(48, 48, 48));
  p.setPen(QPen(QColor(30, 30, 30), 1.0));
  p.setBrush(face);
  p.drawRoundedRect(key, 4, 4);
  QPainterPath arrow;
  if (up) {
    arrow.moveTo(12.5, 6.5);
    arrow.lineTo(19, 15.5);
    arrow.lineTo(6, 15.5);
  } else {
    arrow.moveTo(12.5, 18.5);
    arrow.lineTo(19, 9.5);
    arrow.lineTo(6, 9.5);
  }
  arrow.closeSubpath();
  p.setPen(Qt::NoPen);
  p.setBrush(kOrange);
  p.drawPath(arrow);
  return image;
}

// ---- playlist background ---------------------------------------------------

// The right end of the tab behind the drag caption, in window pixels.
constexpr qreal kCaptionTabRight = 962;

QPainterPath Rounded(const QRectF& r, qreal radius) {
  QPainterPath path;
  path.addRoundedRect(r, radius, radius);
  return path;
}

void PaintShadow(QPainter& p, const QPainterPath& shape) {
  for (int i = 1; i <= 4; ++i) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(90, 40, 0, 22));
    p.drawPath(shape.translated(i * 0.6, i * 0.9));
  }
}

// `tabLeft`: where the tab behind the drag caption begins (window pixels).
QImage PaintPlaylist(qreal tabLeft) {
  QImage image = NewImage(1024, 553, kOrange);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);

  QLinearGradient back(0, 0, 0, 553);
  back.setColorAt(0.0, QColor(226, 126, 8));
  back.setColorAt(0.06, kOrange);
  back.setColorAt(1.0, QColor(240, 138, 12));
  p.fillRect(image.rect(), back);

  // Header: dark panel for the mod path label, the folder box and "...".
  const QRectF header = ImageRect(40, 252, 944, 90);
  // Body: light grey card for the list, the arrows, the drag hint and the
  // check box row; it hangs from the header.
  const QRectF body = ImageRect(40, 338, 944, 366);
  QPainterPath card = Rounded(header.united(body), 10);
  PaintShadow(p, card);

  p.save();
  p.setClipPath(card);
  QLinearGradient dark(0, header.top(), 0, header.bottom());
  dark.setColorAt(0.0, QColor(84, 84, 84));
  dark.setColorAt(1.0, QColor(52, 52, 52));
  p.fillRect(header, dark);
  p.fillRect(body, kLightGrey);
  // Seam between header and body.
  p.fillRect(QRectF(body.left(), body.top(), body.width(), 1), QColor(36, 36, 36));
  p.restore();
  p.setPen(QPen(QColor(40, 40, 40), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawPath(card);

  // Tab behind "Drag Files here...", rising from the body into the header.
  const QRectF tab = ImageRect(tabLeft, 331, kCaptionTabRight - tabLeft, 26);
  p.setPen(Qt::NoPen);
  p.setBrush(kLightGrey);
  p.drawPath(Rounded(tab, 6));
  p.fillRect(QRectF(tab.left(), tab.top() + 8, tab.width(), tab.height() - 8), kLightGrey);

  // Faint level lights at the right end of the header.
  for (int i = 0; i < 18; ++i) {
    const qreal h = 6 + 22 * BarLevel(i + 5);
    const QRectF bar = ImageRect(700 + i * 15, 318 - h, 9, h);
    p.fillRect(bar, QColor(246, 145, 16, 60 + 5 * i));
  }

  // Groove that holds the two arrow keys right of the list.
  const QRectF groove = ImageRect(944, 350, 28, 54);
  p.setPen(QPen(QColor(170, 170, 170), 1.0));
  p.setBrush(QColor(190, 190, 190));
  p.drawPath(Rounded(groove, 4));

  // Inset frame around the list box.
  const QRectF list = ImageRect(56, 348, 889, 322);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(150, 150, 150), 1.0));
  p.drawRect(list.adjusted(-1.5, -1.5, 1.5, 1.5));
  p.setPen(QPen(QColor(120, 120, 120), 1.0));
  p.drawLine(list.topLeft() + QPointF(-1.5, -1.5), list.topRight() + QPointF(1.5, -1.5));
  p.fillRect(list, kOrange);

  // Footer band for the two web links.
  const QRectF footer = ImageRect(-1, 738, 1024, 30);
  QLinearGradient foot(0, footer.top(), 0, footer.bottom());
  foot.setColorAt(0.0, QColor(72, 72, 72));
  foot.setColorAt(1.0, QColor(44, 44, 44));
  p.fillRect(footer, foot);
  p.fillRect(QRectF(footer.left(), footer.top(), footer.width(), 2), QColor(150, 80, 0));
  return image;
}

// ---- the two languages -----------------------------------------------------

struct ButtonSpec {
  const char* file;
  const char* litFile;
  int width;
  int litWidth;
};

constexpr ButtonSpec kButtons[] = {
    {"addtrack.jpg", "addtrackg.jpg", 147, 147},
    {"addplaylist.jpg", "addplaylistg.jpg", 162, 162},
    {"removetrack.jpg", "removetrackg.jpg", 187, 187},
    {"savescript.jpg", "savescriptg.jpg", 165, 166},
};
constexpr int kRowHeight = 49;
constexpr qreal kTextMargin = 9;
constexpr qreal kButtonTextCap = 14;

struct Language {
  const char* folder;
  QStringList words;
  // The drag caption's left edge in the window: the program widens the
  // label to the left until the caption fits on one line (Arial-metric
  // faces: 712 for English, 672 for German); the tab reaches 8 px beyond.
  qreal captionLeft;
};

// Widgets drawn over the skin in the mock, at their window positions.
void PaintMock(QPainter& p, const Language& lang) {
  const bool german = QString(lang.folder) == "german";
  p.setRenderHint(QPainter::TextAntialiasing);
  p.setPen(kWhite);
  p.setFont(MakeFont(gBookFamily, 15, false));
  p.drawText(QRectF(56, 264, 408, 35), Qt::TextWordWrap,
             german ? "Pfad: (e.g. C:\\Program Files\\Steam\\steam apps\\counter-strike\\cstrike)"
                    : "Mod Path: (e.g. C:\\Program Files\\Steam\\steam "
                      "apps\\counter-strike\\cstrike)");
  p.fillRect(QRectF(54, 304, 374, 24), kOrange);
  p.setPen(QColor(40, 40, 40));
  p.drawRect(QRectF(54.5, 304.5, 373, 23));
  p.setPen(kWhite);
  p.setFont(MakeFont(gBookFamily, 13, false));
  p.drawText(QRectF(60, 304, 340, 24), Qt::AlignVCenter,
             "/home/player/.steam/steam/steamapps/common/Half-Life/cstrike");
  p.setFont(MakeFont(gBookFamily, 27, false));
  p.drawText(QRectF(432, 290, 40, 40), Qt::AlignLeft | Qt::AlignTop, "...");
  p.setPen(kDarkGrey);
  // The caption where the program places its label, in the program's
  // Arial-metric face where there is one.
  QFont italic = MakeFont(gBoldFamily, 11, true);
  italic.setFamilies({"Liberation Sans", "Arimo", "Nimbus Sans", gBoldFamily});
  italic.setItalic(true);
  p.setFont(italic);
  p.drawText(QRectF(lang.captionLeft, 334, 951 - lang.captionLeft, 14),
             Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
             german ? "Files hier her ziehen um sie in die Playlist einzufügen"
                    : "Drag Files here to add them to the playlist");
  p.fillRect(QRectF(56, 348, 889, 322), kOrange);
  p.setPen(QColor(40, 40, 40));
  p.drawRect(QRectF(56.5, 348.5, 888, 321));
  p.setPen(kWhite);
  p.setFont(MakeFont(gBookFamily, 13, false));
  const char* tracks[] = {"velloran_glasshour.mp3", "Night Drive (Live).mp3", "Low Orbit.mp3"};
  for (int i = 0; i < 3; ++i) {
    if (i == 1) p.fillRect(QRectF(58, 350 + i * 17, 885, 17), kDarkGrey);
    p.drawText(QRectF(62, 350 + i * 17, 800, 17), Qt::AlignVCenter, tracks[i]);
  }
  p.setPen(kDarkGrey);
  p.setFont(MakeFont(gBookFamily, 11, false));
  p.drawRect(QRectF(66.5, 674.5, 12, 12));
  p.drawText(QRectF(84, 672, 309, 17), Qt::AlignVCenter,
             german ? "Unbenutzte mp3 Dateien im Mod Verzeichnis löschen"
                    : "Delete unused mp3 files in the mod folder");
  p.setFont(MakeFont(gBoldFamily, 11, true));
  p.drawText(QRectF(680, 672, 280, 19), Qt::AlignVCenter,
             german ? "Strömung mp3 Größe cache: 4.1 MB" : "Current mp3 cache size: 4.1 MB");
  p.setPen(kWhite);
  p.setFont(MakeFont(gBookFamily, 13, false));
  p.drawText(QRectF(3, 747, 234, 18), Qt::AlignVCenter, "www.tunebelt.example");
  p.drawText(QRectF(805, 747, 222, 18), Qt::AlignVCenter, "www.velloran.example");
  // The two flags over the title.
  p.fillRect(QRectF(960, 4, 25, 14), QColor(1, 33, 105));
  p.fillRect(QRectF(960, 9.5, 25, 3), QColor(200, 16, 46));
  p.fillRect(QRectF(971, 4, 3, 14), QColor(200, 16, 46));
  p.fillRect(QRectF(991, 4, 25, 5), Qt::black);
  p.fillRect(QRectF(991, 9, 25, 5), QColor(221, 0, 0));
  p.fillRect(QRectF(991, 13.5, 25, 4.5), QColor(255, 206, 0));
}

bool PaintLanguage(const QString& root, const Language& lang, const QImage& title,
                   const QString& mockDir) {
  const QString dir = root + "/" + lang.folder;
  if (!QDir().mkpath(dir)) {
    std::fprintf(stderr, "paint-skin: cannot create %s\n", qPrintable(dir));
    return false;
  }
  // All four words are lettered alike, at kButtonTextCap, with the widest
  // spacing that leaves kTextMargin px free on both sides of the button
  // face. A word too long even closely spaced widens its button (and its
  // hover picture); the right-hand piece gives up the same width, so the
  // row stays 1024 px long.
  WordFont fonts[4];
  int widths[4];
  int litWidths[4];
  int rightside = 331;
  for (int i = 0; i < 4; ++i) {
    const qreal room = PillRect(kButtons[i].width, kRowHeight).width() - 2 * kTextMargin;
    fonts[i] = FitSpacing(lang.words[i], room, kButtonTextCap);
    const int extra =
        std::max(0, static_cast<int>(std::ceil(WordWidth(lang.words[i], fonts[i]) - room)));
    widths[i] = kButtons[i].width + extra;
    litWidths[i] = kButtons[i].litWidth + extra;
    rightside -= extra;
    std::printf("%s: %s at %.1f px, spacing %.1f, button %d px\n", lang.folder,
                qPrintable(lang.words[i]), fonts[i].size, fonts[i].spacing, widths[i]);
  }

  bool ok = Save(title, dir + "/title.jpg");
  ok = Save(PaintSide(32, kRowHeight, false), dir + "/leftside.jpg") && ok;
  ok = Save(PaintSide(rightside, kRowHeight, true), dir + "/rightside.jpg") && ok;
  ok = Save(PaintPlaylist(lang.captionLeft - 8), dir + "/playlist.jpg") && ok;
  ok = Save(PaintArrow(true), dir + "/trackup.jpg") && ok;
  ok = Save(PaintArrow(false), dir + "/trackdown.jpg") && ok;
  QImage normal[4];
  QImage lit[4];
  for (int i = 0; i < 4; ++i) {
    normal[i] = PaintButton(widths[i], kRowHeight, lang.words[i], fonts[i], false);
    lit[i] = PaintButton(litWidths[i], kRowHeight, lang.words[i], fonts[i], true);
    ok = Save(normal[i], dir + "/" + kButtons[i].file) && ok;
    ok = Save(lit[i], dir + "/" + kButtons[i].litFile) && ok;
  }
  if (mockDir.isEmpty() || !ok) return ok;

  // The whole window, read back from the JPEGs as the program would show
  // them, with the second button lit.
  auto load = [&](const QString& name) { return QImage(dir + "/" + name); };
  QImage mock = NewImage(1022, 766, kOrange);
  QPainter p(&mock);
  p.drawImage(QRectF(0, 0, 1024, 166), load("title.jpg"));
  int x = 0;
  p.drawImage(x, 166, load("leftside.jpg"));
  x += 32;
  for (int i = 0; i < 4; ++i) {
    p.drawImage(x, 166, load(i == 1 ? kButtons[i].litFile : kButtons[i].file));
    x += widths[i];
  }
  p.drawImage(x, 166, load("rightside.jpg"));
  p.drawImage(kPlbgLeft, kPlbgTop, load("playlist.jpg"));
  PaintMock(p, lang);
  p.drawImage(945, 352, load("trackup.jpg"));
  p.drawImage(945, 376, load("trackdown.jpg"));
  p.end();
  const QString mockPath = mockDir + "/skin-mock-" + lang.folder + ".png";
  if (!mock.save(mockPath, "PNG")) {
    std::fprintf(stderr, "paint-skin: cannot write %s\n", qPrintable(mockPath));
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 2 && !(args.size() == 4 && args[2] == "--mock")) {
    std::fprintf(stderr, "usage: paint-skin OUTDIR [--mock MOCKDIR]\n");
    return 2;
  }
  if (!LoadFonts()) {
    std::fprintf(stderr, "paint-skin: install fonts-dejavu-core and fonts-dejavu-extra\n");
    return 1;
  }
  const QString root = args[1];
  const QString mockDir = args.size() == 4 ? args[3] : QString();

  const QImage title = PaintTitle();
  const Language languages[] = {
      {"english", {"ADD TRACK", "ADD PLAYLIST", "REMOVE TRACK", "SAVE SCRIPT"}, 712},
      {"german", {"TITEL HINZU", "PLAYLIST HINZU", "TITEL ENTFERNEN", "SKRIPT SPEICHERN"}, 672},
  };
  bool ok = true;
  for (const Language& lang : languages) ok = PaintLanguage(root, lang, title, mockDir) && ok;
  return ok ? 0 : 1;
}
