#include "faults/tmpfs.h"

#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

namespace qm::faults {

Tmpfs::Tmpfs(long long bytes) {
  if (dir_.path().empty()) {
    error_ = "no scratch folder";
    return;
  }
  std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("quillmere-faults", dir_.path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) == 0) {
    mounted_ = true;
  } else {
    error_ = std::string("mount tmpfs: ") + std::strerror(errno);
  }
}

Tmpfs::~Tmpfs() {
  if (mounted_) ::umount2(dir_.path().c_str(), MNT_DETACH);
}

long long Tmpfs::Free() const {
  struct statvfs st;
  if (::statvfs(dir_.path().c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.f_bavail) * static_cast<long long>(st.f_frsize);
}

bool Tmpfs::LeaveRoom(long long room) {
  long long fill = Free() - room;
  if (fill <= 0) return true;
  std::ofstream out(dir_.path() + "/filler", std::ios::binary | std::ios::app);
  std::string block(4096, 'f');
  for (; fill >= static_cast<long long>(block.size()); fill -= static_cast<long long>(block.size())) {
    out.write(block.data(), static_cast<std::streamsize>(block.size()));
  }
  out.close();
  return static_cast<bool>(out);
}

void Tmpfs::Unfill() { ::unlink((dir_.path() + "/filler").c_str()); }

}  // namespace qm::faults
