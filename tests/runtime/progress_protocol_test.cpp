// The progress protocol read back: every line the helpers write parses to
// what they meant, whatever the file's name holds.
#include "runtime/progress_protocol.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace qm {
namespace {

// Names of every kind a book may hold: empty, spaces anywhere, GBK and
// UTF-8 bytes, stray bytes, digits that look like counts, "LEFT " inside,
// and very long ones, with line breaks when asked.
std::string GeneratedName(std::mt19937& random, bool line_breaks) {
  static const std::string kPieces[] = {" ",  "a",     "\xB5\xDA", "\xE7\xAC\xAC", "\xFF", "\x80",
                                        "7 ", "LEFT ", "\\x0A",    ".htm",         "\t",   "/"};
  std::string name;
  const std::size_t pieces = random() % 7 == 0 ? 2000 + random() % 3000 : random() % 12;
  for (std::size_t i = 0; i < pieces; ++i) {
    name += kPieces[random() % std::size(kPieces)];
    if (line_breaks && random() % 9 == 0) name += random() % 2 ? '\n' : '\r';
  }
  return name;
}

TEST(ProgressProtocol, WhatTheWriterWritesParsesBack) {
  std::mt19937 random(26);
  for (int round = 0; round < 3000; ++round) {
    const std::size_t done = random() % 100000, total = done + random() % 100000;
    const std::string name = GeneratedName(random, true);
    const std::string line = ProgressLine(done, total, name);
    ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos);
    std::optional<ProgressMessage> count = ParseProgressMessage(line);
    ASSERT_TRUE(count) << line;
    EXPECT_FALSE(count->left_out);
    EXPECT_EQ(count->done, static_cast<long>(done));
    EXPECT_EQ(count->total, static_cast<long>(total));
    // Every name stays one line; its line breaks come back written as
    // \x0A and \x0D, everything else as it was.
    auto shown = [](const std::string& written) {
      std::string out;
      for (char c : written) out += c == '\n' ? "\\x0A" : c == '\r' ? "\\x0D" : std::string(1, c);
      return out;
    };
    EXPECT_EQ(count->name, shown(name));
    const std::string left_name = GeneratedName(random, true);
    const std::string left = LeftOutLine(left_name);
    ASSERT_EQ(left.find_first_of("\r\n"), std::string::npos);
    std::optional<ProgressMessage> leave = ParseProgressMessage(left);
    ASSERT_TRUE(leave);
    EXPECT_TRUE(leave->left_out);
    EXPECT_EQ(leave->name, shown(left_name));
  }
  for (const char* other : {"", "LEFT", "7", "7 ", "x 7", "7 x", "7 8x"}) EXPECT_FALSE(ParseProgressMessage(other));
  for (const char* value : {"3", "0", "1023"}) EXPECT_EQ(ProgressDescriptorOf(value), std::atoi(value));
  for (const char* value : {"", "1024", "-1", "3x"}) EXPECT_EQ(ProgressDescriptorOf(value), -1) << value;
  EXPECT_EQ(ProgressDescriptorOf(nullptr), -1);
}

}  // namespace
}  // namespace qm
