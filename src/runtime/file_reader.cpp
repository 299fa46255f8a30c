#include "runtime/file_reader.h"

#include <unistd.h>

#include <cerrno>

namespace qm {

bool ReadToEnd(int fd, std::size_t size, std::string* out) {
  out->resize(size + 1);
  std::size_t got = 0;
  bool ok = true;
  char more[4096];
  for (;;) {
    const bool within = got < out->size();
    const ssize_t n = within ? ::read(fd, out->data() + got, out->size() - got) : ::read(fd, more, sizeof more);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    if (n == 0) break;
    if (!within) out->append(more, static_cast<std::size_t>(n));
    got += static_cast<std::size_t>(n);
    if (within && got == size) break;
  }
  const int code = errno;
  out->resize(got);
  errno = code;
  return ok;
}

}  // namespace qm
