#pragma once
// Puts long texts into plain-text boxes without holding up the window. A
// QPlainTextEdit spends about 3 microseconds per line building its
// document, so a contents file of 200,000 lines would freeze the window for
// most of a second. A long text goes in as a first slice at once and the
// rest in slices from the event loop; the box is read-only until it is
// whole, so that nobody edits a text that is still arriving.

#include <QObject>
#include <QString>
#include <QTimer>
#include <map>

class QPlainTextEdit;

namespace qm {

class BoxFiller : public QObject {
 public:
  /// `changing` is set to true around every change the filler makes to a
  /// box, so that change signals can be told from the user's typing. The
  /// boxes must live as long as the filler (children of the same window).
  BoxFiller(bool& changing, QObject* parent);

  /// Replaces the box's text with `text`: all at once when it is short,
  /// else as described above. A fill still running for the box is dropped.
  void Fill(QPlainTextEdit* box, const QString& text);
  /// Whether the box still waits for part of its text.
  bool Filling(const QPlainTextEdit* box) const { return jobs_.count(box) != 0; }
  /// Puts in at once whatever the box still waits for.
  void Finish(const QPlainTextEdit* box);

 private:
  struct Job {
    QPlainTextEdit* box = nullptr;
    QString text;
    qsizetype at = 0;  // the first character not yet in the box
    bool was_read_only = false;
    bool had_undo = true;
  };
  /// Appends the next slice of the job's text; true when the text is whole
  /// (the box is then writable again and the job can go).
  bool AppendSlice(Job& job);
  void Tick();

  bool& changing_;
  QTimer timer_;
  std::map<const QPlainTextEdit*, Job> jobs_;
};

}  // namespace qm
