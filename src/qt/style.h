// How the program's windows look: the design's colours and fonts, the
// palette helpers every window uses, the white labels of the dialogs, and
// the one conversion of the core's UTF-8 text into Qt's.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QRect>
#include <QString>
#include <QWidget>
#include <string_view>

namespace tunebelt::qt {

inline const QColor kAccentOrange(246, 145, 16);
inline const QColor kDarkGrey(64, 64, 64);
inline const QColor kLightGrey(205, 205, 205);
inline const QColor kWhite(255, 255, 255);

// The core's text (UTF-8) as Qt's.
QString qs(std::string_view s);

// The text colour of a widget, in every role a text can have.
void setTextColour(QWidget* w, const QColor& text);
// The background colour of a widget, in every role a background can have.
void setBackgroundColour(QWidget* w, const QColor& background);
void setColours(QWidget* w, const QColor& text, const QColor& background);
// The colours of selected lines, also while another control has the focus.
void setSelectionColours(QWidget* w, const QColor& text, const QColor& background);
// The accent orange every window of the program is drawn on.
void fillWithAccentOrange(QWidget* w);

// A font by the design's family name. The design's Arial is a face the
// program can count on: Liberation Sans on Linux (fonts-liberation2, which
// the package depends on), Arial on Windows; other faces with its metrics
// follow, then the system's sans face. Every text fits whatever face it
// gets (TextLabel), so these only keep the design's look where they can.
QFont designFont(const QString& family, double points, bool bold = false, bool italic = false);
QFont arial(double points);

// The skin's face: HLFLIFE2.TTF in the application folder, loaded for this
// program alone (nothing is installed for the user). Loaded once; the
// family name, or empty when the file is missing or holds no font.
QString loadSkinFont(const QString& applicationFolder);
// The skin's face at a pixel size, bold: the loaded one, else the system's
// bold sans face.
QFont skinFont(int pixelSize);

class TextLabel;
struct TextRoom;

// A white label of the dialogs' design that fits its text into `room`.
TextLabel* designLabel(QWidget* parent, const char* name, const char* text, const QFont& font,
                       const TextRoom& room);

}  // namespace tunebelt::qt
