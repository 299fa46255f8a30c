#include "runtime/progress_protocol.h"

#include <cstdlib>

namespace qm {
namespace {

constexpr std::string_view kLeftOutPrefix = "LEFT ";

// `name` after `line`, with its line breaks written as \x0A and \x0D: a
// name from a book or a folder must not end the line and forge another
// message (a false "LEFT" line, say).
void AppendOnOneLine(std::string& line, std::string_view name) {
  for (char c : name) {
    if (c == '\n') line += "\\x0A";
    else if (c == '\r') line += "\\x0D";
    else line += c;
  }
}

}  // namespace

int ProgressDescriptorOf(const char* value) {
  if (!value || !*value) return -1;
  char* end = nullptr;
  const long n = std::strtol(value, &end, 10);
  return (*end == '\0' && n >= 0 && n < 1024) ? static_cast<int>(n) : -1;
}

std::string ProgressLine(std::size_t done, std::size_t total, std::string_view name) {
  std::string line = std::to_string(done) + " " + std::to_string(total);
  if (!name.empty()) AppendOnOneLine(line += " ", name);
  return line;
}

std::string LeftOutLine(std::string_view name) {
  std::string line(kLeftOutPrefix);
  AppendOnOneLine(line, name);
  return line;
}

std::optional<ProgressMessage> ParseProgressMessage(const std::string& line) {
  ProgressMessage m;
  if (line.rfind(kLeftOutPrefix, 0) == 0) {
    m.left_out = true;
    m.name = line.substr(kLeftOutPrefix.size());
    return m;
  }
  char* end = nullptr;
  const char* p = line.c_str();
  m.done = std::strtol(p, &end, 10);
  if (end == p || *end != ' ') return std::nullopt;
  p = end + 1;
  m.total = std::strtol(p, &end, 10);
  if (end == p || (*end != ' ' && *end != '\0')) return std::nullopt;
  if (*end == ' ') m.name = std::string(end + 1);
  return m;
}

}  // namespace qm
