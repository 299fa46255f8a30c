#include "runtime/byte_set.h"

#include <cstring>

namespace qm {

ByteSet ToByteSet(std::int32_t value) {
  auto u = static_cast<std::uint32_t>(value);
  std::string b(4, '\0');
  for (int k = 0; k < 4; ++k) b[k] = static_cast<char>((u >> (8 * k)) & 0xFF);
  return ByteSet(std::move(b));
}

Text ToText(const ByteSet& data) {
  std::size_t n = data.bytes.find('\0');
  return n == std::string::npos ? data.bytes : data.bytes.substr(0, n);
}

ByteSet BlankByteSet(long n) { return n <= 0 ? ByteSet() : ByteSet(std::string(n, '\0')); }

ByteSet ReplaceSubByteSet(const ByteSet& data, std::string_view find, std::string_view replacement,
                          long start, long count) {
  const std::string& in = data.bytes;
  if (in.empty() || find.empty() || count == 0) return data;
  if (start < 1) start = 1;
  if (start > data.Length()) return data;
  std::string out;
  out.reserve(in.size());
  std::size_t i = static_cast<std::size_t>(start - 1);
  out.append(in, 0, i);
  long done = 0;
  while (i < in.size()) {
    const void* hit = memmem(in.data() + i, in.size() - i, find.data(), find.size());
    if (!hit) break;
    std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - in.data());
    out.append(in, i, at - i);
    out.append(replacement);
    i = at + find.size();
    if (count > 0 && ++done >= count) break;
  }
  out.append(in, i, std::string::npos);
  return ByteSet(std::move(out));
}

}  // namespace qm
