#pragma once
// What a conversion run could not do, collected file by file, so that the
// closing message tells the user instead of claiming success.

#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// The report line of a UTF-16 text whose last, odd byte was dropped.
inline constexpr char kOddByteNote[] = "UTF-16 文本的字节数为奇数，末尾多出的一个字节已舍去";

class ConversionReport {
 public:
  /// Records that `name` (a file name or path, GBK) was not fully handled,
  /// with a short reason (GBK).
  void Add(std::string_view name, std::string_view reason);

  /// Records that `name` was handled (its original is gone), with
  /// something the user should know about it (GBK).
  void Note(std::string_view name, std::string_view note);

  /// Records what `other` recorded, after what this one holds.
  void Append(const ConversionReport& other);

  bool Empty() const { return lines_.empty() && notes_.empty(); }
  const std::vector<Text>& Lines() const { return lines_; }

  /// `done_message` when nothing was recorded; otherwise a heading and the
  /// recorded lines (the first kShownLines of them, then how many in all),
  /// then the notes under their own heading, joined by CR LF.
  Text ClosingMessage(std::string_view done_message) const;

  static constexpr std::size_t kShownLines = 20;

 private:
  std::vector<Text> lines_, notes_;
};

}  // namespace qm
