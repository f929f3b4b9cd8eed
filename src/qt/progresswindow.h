// frmScript: the progress window of Save Script. Not modal; it stays open
// showing "Done" once a save has ended.
#pragma once

#include <QWidget>

#include "core/state/host.h"

class QPlainTextEdit;
class QProgressBar;

namespace tunebelt::qt {

class ImageWidget;

inline constexpr const char* kProgressCaption = "Tunebelt - Generating...";

class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  // With a parent it is a window of its own that the window manager keeps
  // above the parent (a transient of it), without blocking the parent.
  explicit ProgressWindow(QWidget* parent = nullptr);

  // Where a window of the outer size `outer` goes over its owner (all in
  // screen coordinates, frames included): centred over the owner's outer
  // rectangle, moved into the screen's available area `screen` (when not
  // empty), and never over the owner's title bar or menu bar, which end
  // above `menuBottom`.
  static QRect placeOver(const QRect& owner, int menuBottom, const QSize& outer,
                         const QRect& screen);

  // Lights the current stage. The generating stage begins a save, so it
  // also puts the caption and the bar back to their start.
  void setStage(Stage stage);
  void setScriptText(const QString& text);
  void setProgressMaximum(int maximum);
  void setProgressValue(int value);

 private:
  ImageWidget* addStage(const QString& name, const QString& words, int top, bool lit);

  ImageWidget* gen_;
  ImageWidget* genLit_;
  ImageWidget* copy_;
  ImageWidget* copyLit_;
  ImageWidget* comp_;
  ImageWidget* compLit_;
  QProgressBar* bar_;
  QPlainTextEdit* script_;
};

}  // namespace tunebelt::qt
