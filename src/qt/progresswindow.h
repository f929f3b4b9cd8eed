// frmScript: the progress window of Save Script. Not modal; it stays open
// showing "Done" once a save has ended.
#pragma once

#include <QWidget>

#include "core/state/host.h"
#include "core/window/view.h"

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
  // The last look of a save that wrote the scripts: a full one keeps
  // COMPLETE lit and the bar full; one that did not give the game every
  // track shows its own words lit in COMPLETE's place and the bar at the
  // tracks the game got, with the model's text on it.
  void showEnd(const SaveEndState& end);

 private:
  ImageWidget* addStage(const QString& name, const QString& words, int top, bool lit);

  ImageWidget* gen_;
  ImageWidget* genLit_;
  ImageWidget* copy_;
  ImageWidget* copyLit_;
  ImageWidget* comp_;
  ImageWidget* compLit_;
  ImageWidget* end_;  // the words of an end that is not a full save
  QProgressBar* bar_;
  QPlainTextEdit* script_;
};

}  // namespace tunebelt::qt
