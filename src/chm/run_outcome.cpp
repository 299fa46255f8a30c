#include "chm/run_outcome.h"

#include "runtime/encoding.h"

namespace qm {

Text DescribeFailedRun(const RunResult& run, const Text& program, const Text& action) {
  if (!run.started) return Gbk("无法启动 ") + program + Gbk("，") + action + Gbk("没有进行。");
  if (run.finished && run.exit_status == 0) return {};
  Text why;
  if (run.stalled) {
    why = program + Gbk(" 长时间没有进展，已被停止，") + action + Gbk("没有完成。");
  } else if (run.stopped) {
    why = Gbk("已取消：") + action + Gbk("没有完成，没有留下不完整的文件。");
  } else {
    Text status = run.exit_status >= 0 ? ToText(run.exit_status) : Gbk("异常结束");
    why = action + Gbk("失败：") + program + Gbk(" 退出码 ") + status;
  }
  if (!run.log_path.empty()) why += Gbk("\r\n详情见 ") + TextFromNativeName(run.log_path);
  return why;
}

}  // namespace qm
