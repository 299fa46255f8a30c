#pragma once
// Small helpers shared by the batch-tool benchmarks: a scratch folder,
// a stopwatch and page contents.

#include <fcntl.h>
#include <linux/fs.h>
#include <malloc.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "common/child_run.h"
#include "support/temp_dir.h"

namespace qm::bench {

/// A scratch folder under TMPDIR (or /tmp), removed at the end.
///
/// Where ext4 puts a benchmark's files decides what creating them costs.
/// Without a journal, ext4 gives a new file the first free inode of its
/// folder's group that was not freed in the last minute or so, and checks
/// every recently freed one on the way: in a group where thousands of files
/// were just deleted (test runs in /tmp on a shared machine, or the clean-up
/// of the benchmark run before), creating one file took 0.1 to 2 ms instead
/// of 25 us, swamping whatever a benchmark that creates many files meant to
/// measure. So the scratch folder is made inside a folder marked as a top
/// of directory hierarchies (chattr +T), under a new random name: ext4 then
/// places it in a little-used group, chosen by the name's hash, and so a
/// different one from run to run.
class ScratchFolder {
 public:
  explicit ScratchFolder(const char* tag) : root_(std::string("qm-bench-") + tag) {
    if (root_.path().empty()) return;
    if (int fd = ::open(root_.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); fd >= 0) {
      int flags = 0;
      if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
        flags |= FS_TOPDIR_FL;
        ::ioctl(fd, FS_IOC_SETFLAGS, &flags);  // where it cannot be set, nothing changes
      }
      ::close(fd);
    }
    std::string path = root_.path() + "/run-XXXXXX";
    if (::mkdtemp(path.data())) path_ = path;
  }
  const std::string& path() const { return path_; }
  bool ok() const { return !path_.empty(); }

 private:
  TempDir root_;
  std::string path_;
};

/// Moves `path` (when it exists) into the folder `trash` under a new name.
/// Benchmarks put the outputs of an earlier run aside instead of deleting
/// them: ext4 slows down creating files right after many deletions (it
/// skips recently freed inodes), which would burden whichever contender
/// creates the most files with the cost of the last one's clean-up. The
/// scratch folder is removed at the end.
inline void MoveAside(const std::string& path, const std::string& trash) {
  static int counter = 0;
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return;
  std::filesystem::create_directories(trash, ec);
  std::filesystem::rename(path, trash + "/" + std::to_string(++counter), ec);
}

/// The size label of a run: "one <single> of M MB" for a single text of
/// `single_mb` MB, else "<count> <many>".
inline std::string SizeLabel(double single_mb, double megabytes, int count, const char* single, const char* many) {
  char label[96];
  if (single_mb > 0) std::snprintf(label, sizeof label, "one %s of %.0f MB", single, megabytes);
  else std::snprintf(label, sizeof label, "%d %s", count, many);
  return label;
}

/// Seconds taken by `work`.
template <typename F>
double Seconds(F&& work) {
  auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

/// Writes `data` to `path`; false on failure.
inline bool WriteWhole(const std::string& path, const std::string& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(data.data(), static_cast<std::streamsize>(data.size()));
  return static_cast<bool>(out);
}

/// Starts the measure of peak memory (OwnPeakMegabytes) afresh from what
/// the process holds now, so that the peak reported is that of the timed
/// work and not of making its inputs (a 100 MB page built in memory): the
/// heap freed since is first given back to the system. Linux resets the
/// peak on writing "5" to /proc/self/clear_refs; false where that is not
/// possible, the peak then counting from the start.
inline bool ResetPeakMemory() {
  ::malloc_trim(0);
  std::ofstream clear_refs("/proc/self/clear_refs");
  clear_refs << "5";
  clear_refs.close();
  return static_cast<bool>(clear_refs);
}

/// Reads every file of `folder` once, so that the runs compared read from
/// the page cache alike. Files are read in pieces of 1 MB, so that a large
/// file does not raise the benchmark's own peak memory.
inline void WarmUp(const std::string& folder) {
  std::vector<char> buffer(1 << 20);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    }
  }
}

/// A page of about `size` bytes of UTF-8: short lines of markup around
/// runs of Chinese characters from U+4E00..U+9FA5 (all of which GBK has),
/// about nine tenths of the bytes Chinese.
inline std::string ChinesePageUtf8(std::size_t size, std::mt19937& rng) {
  std::string page = "<html><head><meta charset=\"utf-8\"><title>page</title></head><body>\n";
  std::uniform_int_distribution<int> han(0x4E00, 0x9FA5);
  std::uniform_int_distribution<int> run(20, 60);
  while (page.size() < size) {
    page += "<p>";
    for (int n = run(rng); n > 0; --n) {
      int cp = han(rng);
      page += static_cast<char>(0xE0 | (cp >> 12));
      page += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      page += static_cast<char>(0x80 | (cp & 0x3F));
    }
    page += "</p>\n";
  }
  page += "</body></html>\n";
  return page;
}

}  // namespace qm::bench
