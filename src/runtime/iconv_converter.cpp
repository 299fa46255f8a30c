#include "runtime/iconv_converter.h"

#include <iconv.h>

#include <cerrno>

namespace qm {
namespace {

iconv_t Descriptor(void* cd) { return static_cast<iconv_t>(cd); }
const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);

}  // namespace

IconvConverter::IconvConverter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}

IconvConverter::~IconvConverter() {
  if (valid()) iconv_close(Descriptor(cd_));
}

bool IconvConverter::valid() const { return Descriptor(cd_) != kInvalid; }

std::size_t IconvConverter::Run(std::string_view in, std::string* out) {
  if (!valid()) return 0;
  iconv_t cd = Descriptor(cd_);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* src = const_cast<char*>(in.data());
  std::size_t src_left = in.size();
  char buf[4096];
  while (src_left > 0) {
    char* dst = buf;
    std::size_t dst_left = sizeof buf;
    std::size_t r = iconv(cd, &src, &src_left, &dst, &dst_left);
    out->append(buf, static_cast<std::size_t>(dst - buf));
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) break;
  }
  return in.size() - src_left;
}

IconvConverter& GbkFromUtf8Converter() {
  thread_local IconvConverter c("CP936", "UTF-8");
  return c;
}

IconvConverter& Utf8FromGbkConverter() {
  thread_local IconvConverter c("UTF-8", "CP936");
  return c;
}

}  // namespace qm
