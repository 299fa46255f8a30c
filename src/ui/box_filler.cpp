#include "ui/box_filler.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace qm {
namespace {

// Texts up to kFirstSlice characters go in at once; longer ones as a first
// slice of about that size and then slices of about kSlice, each ending
// after a line break (so that no character is cut in two). Between slices
// the window gets its events; a tick appends slices for at most
// kTickMilliseconds. Bigger slices cost less in all (each append updates
// the box once) but pause the window longer: 256 K characters take about
// 50 ms.
constexpr qsizetype kFirstSlice = 64 * 1024;
constexpr qsizetype kSlice = 256 * 1024;
constexpr int kTickMilliseconds = 20;

qsizetype SliceEnd(const QString& text, qsizetype from) {
  const qsizetype size = from == 0 ? kFirstSlice : kSlice;
  if (text.size() - from <= size) return text.size();
  qsizetype nl = text.indexOf(QLatin1Char('\n'), from + size);
  return nl < 0 ? text.size() : nl + 1;
}

}  // namespace

BoxFiller::BoxFiller(bool& changing, QObject* parent) : QObject(parent), changing_(changing) {
  timer_.setInterval(0);
  connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
}

void BoxFiller::Fill(QPlainTextEdit* box, const QString& text) {
  bool was_read_only = box->isReadOnly();
  bool had_undo = box->document()->isUndoRedoEnabled();
  auto old = jobs_.find(box);
  if (old != jobs_.end()) {
    was_read_only = old->second.was_read_only;
    had_undo = old->second.had_undo;
    jobs_.erase(old);
  }
  const qsizetype first = SliceEnd(text, 0);
  changing_ = true;
  box->setPlainText(first == text.size() ? text : text.left(first));
  changing_ = false;
  if (first == text.size()) return;
  Job job{box, text, first, was_read_only, had_undo};
  box->setReadOnly(true);
  box->document()->setUndoRedoEnabled(false);
  jobs_.emplace(box, std::move(job));
  timer_.start();
}

void BoxFiller::Finish(const QPlainTextEdit* box) {
  auto it = jobs_.find(box);
  if (it == jobs_.end()) return;
  while (!AppendSlice(it->second)) {
  }
  jobs_.erase(it);
  if (jobs_.empty()) timer_.stop();
}

bool BoxFiller::AppendSlice(Job& job) {
  const qsizetype end = SliceEnd(job.text, job.at);
  QTextCursor cursor(job.box->document());
  cursor.movePosition(QTextCursor::End);
  changing_ = true;
  cursor.insertText(job.text.mid(job.at, end - job.at));
  changing_ = false;
  job.at = end;
  if (job.at < job.text.size()) return false;
  job.box->document()->setUndoRedoEnabled(job.had_undo);
  job.box->setReadOnly(job.was_read_only);
  return true;
}

void BoxFiller::Tick() {
  QElapsedTimer clock;
  clock.start();
  while (!jobs_.empty() && clock.elapsed() < kTickMilliseconds) {
    auto it = jobs_.begin();
    if (AppendSlice(it->second)) jobs_.erase(it);
  }
  if (jobs_.empty()) timer_.stop();
}

}  // namespace qm
