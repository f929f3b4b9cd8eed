// The small widget kinds the main window is built from.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <optional>

#include "core/state/textfit.h"

class QPainter;
class QPushButton;

namespace tunebelt::qt {

// How strongly a disabled label is drawn over what lies behind it.
inline constexpr double kDisabledOpacity = 0.4;

// A picture without a window of its own in the design: draws its pixmap at
// natural size (taking the pixmap's size) or stretched into its own size,
// reports every pointer movement over it and every click.
class ImageWidget : public QWidget {
  Q_OBJECT
 public:
  explicit ImageWidget(const QString& name, QWidget* parent, bool stretch = false);

  // Shows the picture; a non-stretching image takes its size.
  void setPicture(const QPixmap& picture);
  const QPixmap& picture() const { return picture_; }
  bool stretches() const { return stretch_; }

 signals:
  void pointerMoved();
  void clicked();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QPixmap picture_;
  bool stretch_;
  bool pressed_ = false;
};

// Where a text may go: its designed box, the free space around it that the
// box may grow into, and how many lines it may take (one: it never wraps).
// In the parent's pixels.
struct TextRoom {
  QRect designed;
  QRect room;
  int maxLines = 1;
};

// How the window's own texts are drawn: the first baseline at the design
// face's ascent and wrapped lines 1.15 times the font's size apart, whatever
// the substitute face's own line spacing, so two lines fit a two-line box.
// A wrap width of 0 keeps the text on one line.
class TextLines {
 public:
  static qreal firstBaseline(const QFont& font);
  static int count(const QString& text, const QFont& font, int wrapWidth);
  static void draw(QPainter& p, const QString& text, const QFont& font, int wrapWidth,
                   QPointF origin);
  // The pixels the text colours when drawn at (0, 0), and its lines.
  static TextInk ink(const QString& text, const QFont& font, int wrapWidth);
  // Where the text goes and at what size (FitText), measured in `font`
  // scaled down to `minScale` of its size at the least.
  static TextFit fit(const QString& text, const QFont& font, const TextRoom& room,
                     double minScale = kMinScale);

  static constexpr double kMinScale = 0.6;
};

// What a widget that fits its text keeps: the font it was given, its room,
// and where the last fit put the text.
struct FittedText {
  QFont designFont;
  std::optional<TextRoom> room;
  QPoint origin;  // the text's natural place in the widget
  int layoutWidth = 0;
  bool fits = true;
  bool placing = false;

  // Gives the widget the fit's size and `box`; its text goes to `origin`.
  void apply(QWidget* widget, const TextFit& fit, const QRect& box, QPoint textOrigin);
  // A font change from outside: the new font is the design's. True when
  // the widget is to place itself again.
  bool fontChanged(const QWidget* widget, const QEvent* event);
};

// A transparent text label. With a TextRoom it keeps its text whole and
// inside itself whatever the face: it takes the box and size FitText gives
// each time its text or font changes.
class TextLabel : public QLabel {
  Q_OBJECT
 public:
  TextLabel(const QString& name, const QString& text, QWidget* parent);

  // From now on the label places itself in `room` (and wraps only where
  // the room allows more than one line).
  void setRoom(const TextRoom& room);
  // QLabel::setText, then the label places itself again.
  void setText(const QString& text);

  // The number of lines the text is drawn on.
  int lineCount() const;
  // The font the label was given, before any fitting.
  const QFont& designFont() const { return fitted_.designFont; }
  // False when not even the smallest size fits the room.
  bool fits() const { return fitted_.fits; }

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void place();
  int wrapWidth() const;

  FittedText fitted_;
};

// A check box that draws its own caption so that the caption fits (as a
// TextLabel does) to the right of the indicator.
class CheckBox : public QCheckBox {
  Q_OBJECT
 public:
  CheckBox(const QString& name, const QString& text, QWidget* parent);

  // The widget's designed box and room; the caption fits into them to the
  // right of the indicator.
  void setRoom(const TextRoom& room);
  void setText(const QString& text);
  const QFont& designFont() const { return fitted_.designFont; }
  bool fits() const { return fitted_.fits; }
  // Where the indicator is drawn, in the widget.
  QRect indicatorRect() const;

 protected:
  void changeEvent(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  int captionLeft() const;  // where the caption's box begins
  void place();

  FittedText fitted_;
};

// A push button's caption at a smaller size where the face the system gave
// is too wide or too tall for the button's face.
void fitButtonText(QPushButton* button);

// A text label that reports clicks.
class ClickLabel : public TextLabel {
  Q_OBJECT
 public:
  ClickLabel(const QString& name, const QString& text, QWidget* parent);

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  bool pressed_ = false;
};

// The playlist box: extended selection, takes files dropped from the file
// manager, reports the release of the Delete key.
class PlaylistBox : public QListWidget {
  Q_OBJECT
 public:
  PlaylistBox(const QString& name, QWidget* parent);

 signals:
  // Local paths of the dropped files, in the order the drop carried them.
  void filesDropped(const QStringList& paths);
  void deleteReleased();

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
};

}  // namespace tunebelt::qt
