// frmScript: the progress window of Save Script. Not modal; it stays open
// showing "Done" once a save has ended.
#pragma once

#include <QWidget>

#include "state/host.h"

class QPlainTextEdit;
class QProgressBar;

namespace tunebelt::ui {

class ImageWidget;

inline constexpr const char* kProgressCaption = "Tunebelt - Generating...";

class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressWindow(QWidget* parent = nullptr);

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

}  // namespace tunebelt::ui
