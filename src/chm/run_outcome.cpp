#include "chm/run_outcome.h"

#include "runtime/encoding.h"

namespace qm {

Text DescribeFailedRun(const RunResult& run, const Text& program, const Text& action) {
  if (!run.started) return Gbk("无法启动 ") + program + Gbk("，") + action + Gbk("没有进行。");
  if (!run.finished || run.exit_status != 0) {
    Text status = run.exit_status >= 0 ? ToText(run.exit_status) : Gbk("异常结束");
    return action + Gbk("失败：") + program + Gbk(" 退出码 ") + status;
  }
  return {};
}

}  // namespace qm
