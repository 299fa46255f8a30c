#include "chm/run_outcome.h"

#include "runtime/encoding.h"

namespace qm {
namespace {

// The last line of the log at `log_path` that begins with "PROGRAM:", the
// program's own word on what went wrong; empty when there is none. Only the
// log's first megabyte is read, and the line is cut at 300 bytes.
Text ReasonInLog(FileSystem& fs, const std::string& log_path, const Text& program) {
  std::string tail;
  if (!fs.ReadPart(TextFromNativeName(log_path), 0, 1 << 20, &tail)) return {};
  const std::string prefix = program + ":";
  std::string found;
  for (std::size_t at = 0; at < tail.size();) {
    std::size_t end = tail.find('\n', at);
    if (end == std::string::npos) end = tail.size();
    std::string_view line(tail.data() + at, end - at);
    if (line.starts_with(prefix)) found.assign(line.substr(0, 300));
    at = end + 1;
  }
  while (!found.empty() && (found.back() == '\r' || found.back() == ' ')) found.pop_back();
  return found.empty() ? Text() : TextFromNativeName(found);
}

}  // namespace

Text DescribeFailedRun(FileSystem& fs, const RunResult& run, const Text& program, const Text& action) {
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
    if (!run.log_path.empty()) {
      if (Text reason = ReasonInLog(fs, run.log_path, program); !reason.empty()) why += Gbk("\r\n原因：") + reason;
    }
  }
  if (!run.log_path.empty()) why += Gbk("\r\n详情见 ") + TextFromNativeName(run.log_path);
  return why;
}

}  // namespace qm
