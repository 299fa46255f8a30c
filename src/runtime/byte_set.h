#pragma once
// Byte set: an owned buffer of raw bytes (file contents). Unlike Text it has
// no two-byte character rule and may hold 0 bytes.

#include <cstdint>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace qm {

struct ByteSet {
  std::string bytes;

  ByteSet() = default;
  explicit ByteSet(std::string b) : bytes(std::move(b)) {}
  long Length() const { return static_cast<long>(bytes.size()); }
  bool Empty() const { return bytes.empty(); }
  std::string_view View() const { return bytes; }
  friend bool operator==(const ByteSet&, const ByteSet&) = default;
};

/// The bytes before the first 0 byte (all of them when there is none).
Text ToText(const ByteSet& data);

/// ToText's bytes, in place in `data`.
std::string_view TextView(const ByteSet& data);

/// As ReplaceSubtext, byte-exact, with no two-byte character rule.
ByteSet ReplaceSubByteSet(const ByteSet& data, std::string_view find, std::string_view replacement = {}, long start = 1,
                          long count = -1);

}  // namespace qm
