#include "runtime/progress.h"

#include "runtime/encoding.h"

namespace qm {

void Progress::Reset() {
  done_ = 0;
  total_ = 0;
  stopped_ = false;
}

bool Progress::Step(long done, long total, const Text& current) {
  if (stopped_) return false;
  done_ = done;
  total_ = total;
  if (!Show(done, total, current)) stopped_ = true;
  return !stopped_;
}

bool Progress::Show(long, long, const Text&) { return true; }

Text Progress::ClosingMessage(const Text& message, const Text& success) const {
  if (!stopped_) return message;
  Text note = Gbk("已取消：完成 ") + ToText(done_) + Gbk(" 个文件");
  if (total_ > done_) note += Gbk("，其余 ") + ToText(total_ - done_) + Gbk(" 个文件没有处理");
  else note += Gbk("，其余文件没有处理");
  note += Gbk("。");
  if (message.empty() || message == success) return note;
  return note + "\r\n" + message;
}

Progress& NoProgress() {
  static Progress none;
  return none;
}

}  // namespace qm
