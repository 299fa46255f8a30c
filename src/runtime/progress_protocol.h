#pragma once
// How the helper programs (hhc.exe, hh.exe) tell the program that started
// them how far they have come: both ends of the one protocol. The parent
// names a descriptor in the environment variable QUILLMERE_PROGRESS_FD; the
// child writes one line per message there:
//   "DONE TOTAL NAME"  before each file (NAME as the tool names files),
//   "DONE TOTAL"       the closing count after a stop,
//   "LEFT NAME"        a file the tool left out of its work.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qm {

/// The environment variable that names the child's progress descriptor.
inline constexpr char kProgressFdVariable[] = "QUILLMERE_PROGRESS_FD";

/// The descriptor the variable's `value` names: a decimal number below
/// 1024 and nothing else; -1 for anything else, a null or empty value too.
int ProgressDescriptorOf(const char* value);

/// The line (without its line feed) announcing file number `done` of
/// `total`; an empty `name` gives the closing count after a stop. Line
/// breaks in `name` are written as \x0A and \x0D, as in LeftOutLine.
std::string ProgressLine(std::size_t done, std::size_t total, std::string_view name);

/// The line (without its line feed) naming a file left out: "LEFT NAME",
/// with the line breaks in NAME written as \x0A and \x0D so the line stays
/// one line.
std::string LeftOutLine(std::string_view name);

/// One line read back: a progress count (with the file's name, empty for
/// the closing count) or a file left out (`left_out`, its name as written).
struct ProgressMessage {
  bool left_out = false;
  long done = 0;
  long total = 0;
  std::string name;
};

/// Parses one line written by ProgressLine or LeftOutLine (without its line
/// feed); nullopt for a line that is neither.
std::optional<ProgressMessage> ParseProgressMessage(const std::string& line);

}  // namespace qm
