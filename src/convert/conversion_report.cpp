#include "convert/conversion_report.h"

#include "runtime/encoding.h"

namespace qm {

void ConversionReport::Add(std::string_view name, std::string_view reason) {
  lines_.push_back(Text(name) + Gbk("：") + Text(reason));
}

void ConversionReport::Note(std::string_view name, std::string_view note) {
  notes_.push_back(Text(name) + Gbk("：") + Text(note));
}

void ConversionReport::Append(const ConversionReport& other) {
  lines_.insert(lines_.end(), other.lines_.begin(), other.lines_.end());
  notes_.insert(notes_.end(), other.notes_.begin(), other.notes_.end());
}

namespace {

// `heading`, then the first kShownLines of `lines` and how many in all.
Text Listed(const Text& heading, const std::vector<Text>& lines, std::size_t shown) {
  Text message = heading;
  for (std::size_t i = 0; i < lines.size() && i < shown; ++i) message += "\r\n" + lines[i];
  if (lines.size() > shown)
    message += "\r\n" + Gbk("……共 ") + ToText(static_cast<long long>(lines.size())) + Gbk(" 个");
  return message;
}

}  // namespace

Text ConversionReport::ClosingMessage(std::string_view done_message) const {
  if (Empty()) return Text(done_message);
  Text message;
  if (!lines_.empty()) message = Listed(Gbk("以下文件未能完成，原文件都已保留："), lines_, kShownLines);
  if (!notes_.empty()) {
    if (!message.empty()) message += "\r\n";
    message += Listed(Gbk("以下文件已转换，但请留意："), notes_, kShownLines);
  }
  return message;
}

}  // namespace qm
