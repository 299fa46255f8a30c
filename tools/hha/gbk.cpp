#include "gbk.h"

#include <iconv.h>

#include <cerrno>

namespace hha {
namespace {

bool IsAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

std::optional<std::string> Convert(const char* to, const char* from, std::string_view in) {
  if (IsAscii(in)) return std::string(in);
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(in.size() * 2 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  std::size_t done = 0;
  bool ok = true;
  while (src_left > 0) {
    char* dst = out.data() + done;
    std::size_t dst_left = out.size() - done;
    std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    done = out.size() - dst_left;
    if (r == static_cast<std::size_t>(-1)) {
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      ok = false;  // EILSEQ or EINVAL: invalid or truncated sequence
      break;
    }
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}

}  // namespace

std::optional<std::string> GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk); }

std::optional<std::string> Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8); }

}  // namespace hha
