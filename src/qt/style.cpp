#include "qt/style.h"

#include <QFontDatabase>
#include <QHash>
#include <QPalette>
#include <QStringList>

#include "core/state/startup.h"
#include "qt/widgets.h"

namespace tunebelt::qt {

QString qs(std::string_view s) {
  return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

void setTextColour(QWidget* w, const QColor& text) {
  QPalette pal = w->palette();
  for (auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    pal.setColor(role, text);
  }
  w->setPalette(pal);
}

void setBackgroundColour(QWidget* w, const QColor& background) {
  QPalette pal = w->palette();
  for (auto role : {QPalette::Window, QPalette::Base, QPalette::Button}) {
    pal.setColor(role, background);
  }
  w->setPalette(pal);
}

void setColours(QWidget* w, const QColor& text, const QColor& background) {
  setTextColour(w, text);
  setBackgroundColour(w, background);
}

void setSelectionColours(QWidget* w, const QColor& text, const QColor& background) {
  QPalette pal = w->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive}) {
    pal.setColor(group, QPalette::Highlight, background);
    pal.setColor(group, QPalette::HighlightedText, text);
  }
  w->setPalette(pal);
}

void fillWithAccentOrange(QWidget* w) {
  QPalette pal = w->palette();
  pal.setColor(QPalette::Window, kAccentOrange);
  w->setPalette(pal);
  w->setAutoFillBackground(true);
}

QFont designFont(const QString& family, double points, bool bold, bool italic) {
  QFont f;
  QStringList families{family};
  if (family == "Arial") {
#ifdef _WIN32
    families = QStringList{"Arial", "Liberation Sans"};
#else
    families = QStringList{"Liberation Sans", "Arial"};
#endif
    families << "Arimo"
             << "Nimbus Sans";
  }
  if (family == "Verdana")
    families << "DejaVu Sans"
             << "Bitstream Vera Sans";
  if (family == "Tahoma")
    families << "DejaVu Sans Condensed"
             << "DejaVu Sans";
  f.setFamilies(families);
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(points);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

QFont arial(double points) {
  return designFont(QStringLiteral("Arial"), points);
}

namespace {

QString& skinFamily() {
  static QString family;
  return family;
}

}  // namespace

QString loadSkinFont(const QString& applicationFolder) {
  static QHash<QString, QString> loaded;  // by file
  const QString file = applicationFolder + "/" + qs(kFontFile);
  const auto it = loaded.constFind(file);
  if (it != loaded.constEnd()) {
    skinFamily() = *it;
    return *it;
  }
  const int id = QFontDatabase::addApplicationFont(file);
  const QStringList families = id >= 0 ? QFontDatabase::applicationFontFamilies(id) : QStringList();
  const QString family = families.isEmpty() ? QString() : families.first();
  loaded.insert(file, family);
  skinFamily() = family;
  return family;
}

QFont skinFont(int pixelSize) {
  QFont f;
  if (!skinFamily().isEmpty()) f.setFamilies({skinFamily()});
  f.setStyleHint(QFont::SansSerif);
  f.setPixelSize(pixelSize);
  f.setBold(true);
  return f;
}

TextLabel* designLabel(QWidget* parent, const char* name, const char* text, const QFont& font,
                       const TextRoom& room) {
  auto* l = new TextLabel(QString::fromUtf8(name), QString::fromUtf8(text), parent);
  setTextColour(l, kWhite);
  l->setFont(font);
  l->setRoom(room);
  return l;
}

}  // namespace tunebelt::qt
