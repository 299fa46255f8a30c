#include "convert/conversion_report.h"

#include "runtime/encoding.h"

namespace qm {

void ConversionReport::Add(std::string_view name, std::string_view reason) {
  lines_.push_back(Text(name) + Gbk("：") + Text(reason));
}

Text ConversionReport::ClosingMessage(std::string_view done_message) const {
  if (lines_.empty()) return Text(done_message);
  Text message = Gbk("以下文件未能完成，原文件都已保留：");
  for (std::size_t i = 0; i < lines_.size() && i < kShownLines; ++i) message += "\r\n" + lines_[i];
  if (lines_.size() > kShownLines) {
    message += "\r\n" + Gbk("……共 ") + ToText(static_cast<long long>(lines_.size())) + Gbk(" 个");
  }
  return message;
}

}  // namespace qm
