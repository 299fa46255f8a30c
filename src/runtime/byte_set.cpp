#include "runtime/byte_set.h"

#include <algorithm>
#include <cstring>

namespace qm {

Text ToText(const ByteSet& data) { return Text(TextView(data)); }

std::string_view TextView(const ByteSet& data) {
  const std::string_view bytes = data.bytes;
  return bytes.substr(0, bytes.find('\0'));
}

ByteSet ReplaceSubByteSet(const ByteSet& data, std::string_view find, std::string_view replacement, long start,
                          long count) {
  const std::string& in = data.bytes;
  if (in.empty() || find.empty() || count == 0) return data;
  if (start < 1) start = 1;
  if (start > data.Length()) return data;
  std::string out;
  out.reserve(in.size());
  std::size_t i = static_cast<std::size_t>(start - 1);
  out.append(in, 0, i);
  long done = 0;
  std::size_t copied = i;  // bytes [copied, i) are pending a copy
  while (i < in.size()) {
    // Candidates are the places of the pattern's first bytes, found in one
    // search (a page's head begins with "<", as every tag does, and a look
    // at each "<" cost more); the rest of a long pattern is compared there,
    // which costs less than setting up a search for all of it.
    const std::size_t lead = std::min<std::size_t>(find.size(), 32);
    const void* hit = ::memmem(in.data() + i, in.size() - i, find.data(), lead);
    if (!hit) break;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - in.data());
    if (at + find.size() > in.size()) break;
    if (std::memcmp(in.data() + at + lead, find.data() + lead, find.size() - lead) != 0) {
      i = at + 1;
      continue;
    }
    out.append(in, copied, at - copied);
    out.append(replacement);
    i = copied = at + find.size();
    if (count > 0 && ++done >= count) break;
  }
  out.append(in, copied, std::string::npos);
  return ByteSet(std::move(out));
}

}  // namespace qm
