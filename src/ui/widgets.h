// The small widget kinds the main window is built from.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QStringList>
#include <QWidget>

class QTextLayout;

namespace tunebelt::ui {

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

// A transparent text label. Wrapped lines follow each other at the line
// height of the design's fonts (1.15 times the font's size), whatever the
// substitute face's own line spacing, so two lines fit a two-line box.
class TextLabel : public QLabel {
  Q_OBJECT
 public:
  TextLabel(const QString& name, const QString& text, QWidget* parent);

  // Distance from the label's top to the first line's baseline.
  static qreal firstBaseline(const QFont& font);
  // The number of lines the text is drawn on at the label's width.
  int lineCount() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void layOut(QTextLayout& layout) const;
};

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

}  // namespace tunebelt::ui
