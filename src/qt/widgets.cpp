#include "qt/widgets.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionButton>
#include <QStyleOptionFocusRect>
#include <QStylePainter>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <functional>

namespace tunebelt::qt {

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

namespace {

QPixmap disabledLook(const QPixmap& picture) {
  QImage grey = picture.toImage().convertToFormat(QImage::Format_Grayscale8);
  QPainter p(&grey);
  p.fillRect(grey.rect(), QColor(64, 64, 64, 110));
  p.end();
  return QPixmap::fromImage(grey);
}

}  // namespace

void ImageWidget::paintEvent(QPaintEvent*) {
  if (picture_.isNull()) return;
  QPainter p(this);
  // Disabled: in greys, the light parts dimmed, as a disabled button looks.
  const QPixmap picture = isEnabled() ? picture_ : disabledLook(picture_);
  if (stretch_) {
    p.drawPixmap(rect(), picture);
  } else {
    p.drawPixmap(0, 0, picture);
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

namespace {

PixelBox pixelBox(const QRect& r) {
  return {r.x(), r.y(), r.width(), r.height()};
}

QRect qRect(const PixelBox& b) {
  return QRect(b.left, b.top, b.width, b.height);
}

// The pixels `draw` colours on a canvas of `size` whose origin lies at
// `origin`, relative to that origin (null when it colours none). The canvas
// has the widgets' resolution, so point sizes come out as on the screen.
QRect inkOf(QSize size, QPoint origin, int dpi, const std::function<void(QPainter&)>& draw) {
  QImage canvas(size, QImage::Format_RGB32);
  const int dotsPerMeter = qRound(dpi / 0.0254);
  canvas.setDotsPerMeterX(dotsPerMeter);
  canvas.setDotsPerMeterY(dotsPerMeter);
  canvas.fill(Qt::black);
  {
    QPainter p(&canvas);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.translate(origin);
    p.setPen(Qt::white);
    draw(p);
  }
  int left = size.width();
  int top = size.height();
  int right = -1;
  int bottom = -1;
  for (int y = 0; y < canvas.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(canvas.constScanLine(y));
    for (int x = 0; x < canvas.width(); ++x) {
      if ((line[x] & 0xFFFFFFu) == 0) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  }
  if (right < 0) return {};
  return QRect(QPoint(left, top), QPoint(right, bottom)).translated(-origin);
}

TextInk textInk(const QRect& ink, int lines) {
  TextInk out;
  out.lines = lines;
  if (ink.isNull()) return out;
  out.left = ink.left();
  out.top = ink.top();
  out.right = ink.right() + 1;
  out.bottom = ink.bottom() + 1;
  return out;
}

int screenDpi() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? qRound(screen->logicalDotsPerInchY()) : 96;
}

void layOut(QTextLayout& layout, int wrapWidth) {
  QTextOption option;
  option.setWrapMode(wrapWidth > 0 ? QTextOption::WordWrap : QTextOption::NoWrap);
  layout.setTextOption(option);
  layout.beginLayout();
  for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
    if (wrapWidth > 0) line.setLineWidth(wrapWidth);
  }
  layout.endLayout();
}

qreal lineStep(const QFont& font) {
  return QFontInfo(font).pixelSize() * 1.15;
}

}  // namespace

qreal TextLines::firstBaseline(const QFont& font) {
  return QFontInfo(font).pixelSize() * 0.905;  // the design face's ascent
}

int TextLines::count(const QString& text, const QFont& font, int wrapWidth) {
  QTextLayout layout(text, font);
  layOut(layout, wrapWidth);
  return layout.lineCount();
}

void TextLines::draw(QPainter& p, const QString& text, const QFont& font, int wrapWidth,
                     QPointF origin) {
  QTextLayout layout(text, font);
  layOut(layout, wrapWidth);
  const qreal step = lineStep(font);
  const qreal baseline0 = firstBaseline(font);
  for (int i = 0; i < layout.lineCount(); ++i) {
    const QTextLine line = layout.lineAt(i);
    const qreal baseline = origin.y() + baseline0 + i * step;
    line.draw(&p, QPointF(origin.x(), baseline - line.ascent() - line.y()));
  }
}

TextInk TextLines::ink(const QString& text, const QFont& font, int wrapWidth) {
  const int lines = count(text, font, wrapWidth);
  const QFontMetricsF fm(font);
  const int pad = QFontInfo(font).pixelSize() + 2;
  const qreal width = wrapWidth > 0 ? wrapWidth : fm.horizontalAdvance(text);
  const qreal height = firstBaseline(font) + (lines - 1) * lineStep(font) + fm.descent();
  const QSize canvas(int(std::ceil(width)) + 2 * pad, int(std::ceil(height)) + 2 * pad);
  return textInk(inkOf(canvas, QPoint(pad, pad), screenDpi(),
                       [&](QPainter& p) { draw(p, text, font, wrapWidth, QPointF(0, 0)); }),
                 lines);
}

TextFit TextLines::fit(const QString& text, const QFont& font, const TextRoom& room,
                       double minScale) {
  TextFitRule rule;
  rule.designed = pixelBox(room.designed);
  rule.room = pixelBox(room.room);
  rule.maxLines = room.maxLines;
  rule.points = font.pointSizeF();
  rule.minPoints = rule.points * minScale;
  return FitText(rule, [&](double points, int width) {
    QFont f = font;
    f.setPointSizeF(points);
    return ink(text, f, room.maxLines > 1 ? width - 2 : 0);
  });
}

void FittedText::apply(QWidget* widget, const TextFit& fit, const QRect& box, QPoint textOrigin) {
  placing = true;
  QFont font = designFont;
  font.setPointSizeF(fit.points);
  widget->setFont(font);
  widget->setGeometry(box);
  placing = false;
  origin = textOrigin;
  fits = fit.fits;
  widget->update();
}

bool FittedText::fontChanged(const QWidget* widget, const QEvent* event) {
  if (event->type() != QEvent::FontChange || placing) return false;
  designFont = widget->font();
  return true;
}

TextLabel::TextLabel(const QString& name, const QString& text, QWidget* parent)
    : QLabel(text, parent) {
  fitted_.designFont = font();
  setObjectName(name);
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
}

void TextLabel::setRoom(const TextRoom& room) {
  fitted_.room = room;
  place();
}

void TextLabel::setText(const QString& text) {
  QLabel::setText(text);
  place();
}

void TextLabel::place() {
  if (!fitted_.room) return;
  const TextFit fit = TextLines::fit(text(), fitted_.designFont, *fitted_.room);
  fitted_.layoutWidth = fitted_.room->maxLines > 1 ? fit.layoutWidth - 2 : 0;
  fitted_.apply(this, fit, qRect(fit.box), QPoint(fit.textLeft, fit.textTop));
}

int TextLabel::wrapWidth() const {
  return fitted_.room ? fitted_.layoutWidth : width();
}

int TextLabel::lineCount() const {
  return TextLines::count(text(), font(), wrapWidth());
}

void TextLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (fitted_.fontChanged(this, event)) place();
}

void TextLabel::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (!isEnabled()) p.setOpacity(kDisabledOpacity);
  p.setPen(palette().color(QPalette::WindowText));
  TextLines::draw(p, text(), font(), wrapWidth(), fitted_.origin);
}

CheckBox::CheckBox(const QString& name, const QString& text, QWidget* parent)
    : QCheckBox(text, parent) {
  fitted_.designFont = font();
  setObjectName(name);
}

void CheckBox::setRoom(const TextRoom& room) {
  fitted_.room = room;
  place();
}

void CheckBox::setText(const QString& text) {
  QCheckBox::setText(text);
  place();
}

QRect CheckBox::indicatorRect() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  return style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, this);
}

int CheckBox::captionLeft() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  return style()->subElementRect(QStyle::SE_CheckBoxContents, &option, this).left();
}

// The caption's box is the widget's box right of the indicator; the
// indicator keeps its place.
void CheckBox::place() {
  if (!fitted_.room) return;
  const int left = captionLeft();
  TextRoom caption = *fitted_.room;
  caption.designed.setLeft(fitted_.room->designed.left() + left);
  caption.room.setLeft(fitted_.room->designed.left() + left);
  const TextFit fit = TextLines::fit(text(), fitted_.designFont, caption);
  fitted_.apply(this, fit, qRect(fit.box).adjusted(-left, 0, 0, 0),
                QPoint(fit.textLeft + left, fit.textTop));
}

void CheckBox::changeEvent(QEvent* event) {
  QCheckBox::changeEvent(event);
  if (fitted_.fontChanged(this, event)) place();
}

void CheckBox::paintEvent(QPaintEvent*) {
  QStylePainter p(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  QStyleOptionButton indicator = option;
  indicator.rect = indicatorRect();
  p.drawPrimitive(QStyle::PE_IndicatorCheckBox, indicator);
  p.setPen(palette().color(QPalette::WindowText));
  TextLines::draw(p, text(), font(), 0, fitted_.origin);
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    const int width = int(std::ceil(QFontMetricsF(font()).horizontalAdvance(text())));
    focus.rect = QRect(fitted_.origin.x() - 1, 0, width + 2, height()) & rect();
    p.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

void fitButtonText(QPushButton* button) {
  QStyleOptionButton option;
  option.initFrom(button);
  option.text = button->text();
  const QRect face =
      button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
  TextFitRule rule;
  rule.designed = pixelBox(face);
  rule.room = rule.designed;
  rule.points = button->font().pointSizeF();
  rule.minPoints = rule.points * TextLines::kMinScale;
  rule.canMoveText = false;
  const QString text = button->text();
  const QFont designed = button->font();
  const TextFit fit = FitText(rule, [&](double points, int) {
    QFont font = designed;
    font.setPointSizeF(points);
    const QSize canvas = face.size() + QSize(2, 2) * face.height();
    const QPoint origin(face.height(), face.height());
    return textInk(inkOf(canvas, origin, screenDpi(),
                         [&](QPainter& p) {
                           p.setFont(font);
                           p.drawText(QRect(QPoint(0, 0), face.size()),
                                      Qt::AlignCenter | Qt::TextShowMnemonic, text);
                         }),
                   1);
  });
  if (fit.points != rule.points) {
    QFont font = designed;
    font.setPointSizeF(fit.points);
    button->setFont(font);
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

}  // namespace tunebelt::qt
