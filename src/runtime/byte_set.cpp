#include "runtime/byte_set.h"

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
    // One search for the whole pattern: a page's head begins with "<", as
    // every tag does, and a look at each "<" cost more than the search.
    const void* hit = ::memmem(in.data() + i, in.size() - i, find.data(), find.size());
    if (!hit) break;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - in.data());
    out.append(in, copied, at - copied);
    out.append(replacement);
    i = copied = at + find.size();
    if (count > 0 && ++done >= count) break;
  }
  out.append(in, copied, std::string::npos);
  return ByteSet(std::move(out));
}

}  // namespace qm
