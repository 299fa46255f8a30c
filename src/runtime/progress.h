#pragma once
// How a long operation tells the window how far it has come, and learns that
// the user asked it to stop. Operations call Step before each file; the
// window shows the numbers (after a short delay) and offers a Cancel button.
// A stop is honoured between two files only: every file is either done or
// left untouched.

#include "runtime/text.h"

namespace qm {

class Progress {
 public:
  virtual ~Progress() = default;

  /// Starts a new operation: no files done, no stop asked.
  void Reset();

  /// Called before work on the next file: `done` files of `total` are
  /// finished (`total` 0 when not known yet) and `current` (GBK) is the one
  /// about to be worked on. Returns false once the user has asked to stop;
  /// the caller then leaves this file and every later one untouched. After
  /// one false every later call gives false. Also called while waiting on a
  /// child program, with unchanged numbers, to keep the window painted.
  bool Step(long done, long total, const Text& current);

  /// Records how many files are finished without asking the user anything
  /// (a child program's last count after a stop).
  void Done(long done) { done_ = done; }

  bool Stopped() const { return stopped_; }
  long DoneCount() const { return done_; }
  long TotalCount() const { return total_; }

  /// The operation's closing message: `message` itself, or when the user
  /// stopped it, a note saying how many files were done and that the rest
  /// were left untouched, followed by `message` unless that is the plain
  /// success text `success`.
  Text ClosingMessage(const Text& message, const Text& success = "ok") const;

 protected:
  /// Shows the numbers; returns false when the user asked to stop. The
  /// default shows nothing and never stops (the script driver, tests).
  virtual bool Show(long done, long total, const Text& current);

 private:
  long done_ = 0;
  long total_ = 0;
  bool stopped_ = false;
};

/// A progress that shows nothing and never stops; for runs without a window.
Progress& NoProgress();

}  // namespace qm
