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

namespace tunebelt::ui {

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

// A font by the design's family name. Where the family is missing, a face
// with the same metrics comes first (so texts fit their designed boxes),
// then the system's sans face.
QFont designFont(const QString& family, double points, bool bold = false, bool italic = false);
QFont arial(double points);

// A white, word-wrapping label of the dialogs' design.
QLabel* designLabel(QWidget* parent, const char* name, const char* text, const QFont& font,
                    const QRect& rect);

}  // namespace tunebelt::ui
