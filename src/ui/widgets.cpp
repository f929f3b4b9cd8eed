#include "ui/widgets.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <QUrl>

namespace tunebelt::ui {

ImageWidget::ImageWidget(const QString& name, QWidget* parent, bool stretch)
    : QWidget(parent), stretch_(stretch) {
  setObjectName(name);
  setMouseTracking(true);
}

void ImageWidget::setPicture(const QPixmap& picture) {
  picture_ = picture;
  if (!stretch_) resize(picture_.deviceIndependentSize().toSize());
  update();
}

void ImageWidget::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter p(this);
  if (stretch_) {
    p.drawPixmap(rect(), picture_);
  } else {
    p.drawPixmap(0, 0, picture_);
  }
}

void ImageWidget::mouseMoveEvent(QMouseEvent* event) {
  event->accept();
  emit pointerMoved();
}

void ImageWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  event->accept();
}

void ImageWidget::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit clicked();
}

TextLabel::TextLabel(const QString& name, const QString& text, QWidget* parent)
    : QLabel(text, parent) {
  setObjectName(name);
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

qreal TextLabel::firstBaseline(const QFont& font) {
  return QFontInfo(font).pixelSize() * 0.905;  // the design face's ascent
}

void TextLabel::layOut(QTextLayout& layout) const {
  QTextOption option;
  option.setWrapMode(QTextOption::WordWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    line.setLineWidth(width());
  }
  layout.endLayout();
}

int TextLabel::lineCount() const {
  QTextLayout layout(text(), font());
  layOut(layout);
  return layout.lineCount();
}

void TextLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::WindowText));
  const qreal lineStep = QFontInfo(font()).pixelSize() * 1.15;
  const qreal baseline0 = firstBaseline(font());
  QTextLayout layout(text(), font());
  layOut(layout);
  for (int i = 0; i < layout.lineCount(); ++i) {
    const QTextLine line = layout.lineAt(i);
    const qreal baseline = baseline0 + i * lineStep;
    line.draw(&p, QPointF(0, baseline - line.ascent() - line.y()));
  }
}

ClickLabel::ClickLabel(const QString& name, const QString& text, QWidget* parent)
    : TextLabel(name, text, parent) {}

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) pressed_ = true;
  event->accept();
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* event) {
  const bool click =
      pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
  pressed_ = false;
  event->accept();
  if (click) emit clicked();
}

PlaylistBox::PlaylistBox(const QString& name, QWidget* parent) : QListWidget(parent) {
  setObjectName(name);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setAcceptDrops(true);
  setDragDropMode(QAbstractItemView::DropOnly);
}

void PlaylistBox::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void PlaylistBox::dragMoveEvent(QDragMoveEvent* event) {
  if (event->mimeData()->hasUrls()) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void PlaylistBox::dropEvent(QDropEvent* event) {
  if (!event->mimeData()->hasUrls()) {
    event->ignore();
    return;
  }
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths << url.toLocalFile();
  }
  event->acceptProposedAction();
  if (!paths.isEmpty()) emit filesDropped(paths);
}

void PlaylistBox::keyReleaseEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Delete && !event->isAutoRepeat()) {
    event->accept();
    emit deleteReleased();
    return;
  }
  QListWidget::keyReleaseEvent(event);
}

}  // namespace tunebelt::ui
