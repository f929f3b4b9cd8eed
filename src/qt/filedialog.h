// The open-file dialog goes through here, so that a test can choose the
// file beforehand instead of blocking on a modal dialog.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QWidget;

namespace tunebelt::qt {

class FileDialog {
 public:
  // One file; an empty string when cancelled. `filter` is in Qt's form.
  static QString getOpenFileName(QWidget* parent, const QString& caption, const QString& folder,
                                 const QString& filter);
  // Several files, in the order the dialog gives them; none when cancelled.
  static QStringList getOpenFileNames(QWidget* parent, const QString& caption,
                                      const QString& folder, const QString& filter);

  // A filter of the form "Desc (*.a,*.b)|*.a; *.b" in Qt's form,
  // "Desc (*.a *.b)": the patterns after each "|" are the ones that count.
  static QString toQtFilter(const QString& filter);

  // ---- test hooks -----------------------------------------------------------
  // In test mode no dialog is shown: each opening takes the next queued name
  // (cancelled once the queue is empty) and is recorded. As for MessageBox,
  // names queued in test mode stay until taken; turning the mode on or off
  // drops them.
  static void setTestMode(bool on);
  static void queueFileName(const QString& path);
  // The next choice of the several-files dialog.
  static void queueFileNames(const QStringList& paths);
  static void clearOpened();
  struct Opened {
    QString caption;
    QString folder;
    QString filter;
  };
  static const QList<Opened>& opened();

 private:
  static bool testMode_;
  static QStringList names_;
  static QList<QStringList> lists_;
  static QList<Opened> opened_;
};

}  // namespace tunebelt::qt
