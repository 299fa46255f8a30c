// Text replacement in file names, against Debian's perl rename doing the
// same replacement on an identical folder, timed in the same rounds. A
// second row compares with one rename system call per file, from a list of
// names made in advance, on a third identical folder; a third with the
// floor of the job as given, which must list the folder to find the names.
//   bench_file_name_replacement [--scale S]   625 x S files

#include "common/bench_row.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "batch/file_name_replacement.h"
#include "bench_support.h"
#include "runtime/real_file_system.h"

using namespace qm;
using namespace qm::bench;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  const int files = 625 * static_cast<int>(Argument(argc, argv, "scale", 1));
  ScratchFolder scratch("rename");
  if (!scratch.ok()) return 1;
  const std::string ours_dir = scratch.path() + "/ours", theirs_dir = scratch.path() + "/theirs",
                    floor_dir = scratch.path() + "/floor", listed_dir = scratch.path() + "/listed";
  std::vector<std::string> names, renamed;
  for (int i = 0; i < files; ++i) {
    char name[48];
    // Mixed case, so that the case-insensitive match is measured.
    std::snprintf(name, sizeof name, "chapter %05d.%s", i, i % 2 ? "TXT" : "txt");
    names.push_back(name);
    std::snprintf(name, sizeof name, "chapter %05d.htm", i);
    renamed.push_back(name);
  }
  for (const std::string& dir : {ours_dir, theirs_dir, floor_dir, listed_dir}) {
    fs::create_directory(dir);
    for (const std::string& name : names) WriteWhole(dir + "/" + name, "x");
  }
  ::sync();
  // Before each run the files get their first names back (renaming them
  // is quicker than making them again). Each run is checked to have
  // renamed every file.
  auto restore = [&names, &renamed](const std::string& dir) {
    std::error_code ec;
    for (std::size_t i = 0; i < names.size(); ++i) fs::rename(dir + "/" + renamed[i], dir + "/" + names[i], ec);
  };

  auto all_renamed = [&renamed](const std::string& dir) {
    std::error_code ec;
    for (const std::string& name : renamed)
      if (!fs::exists(dir + "/" + name, ec)) return false;
    return true;
  };

  RealFileSystem disk;
  std::vector<Contender> contenders;
  contenders.push_back({"ours", [&] { return ReplaceInFileNames(disk, ours_dir, "txt", "htm").renamed == files; },
                        [&] { restore(ours_dir); }});
  // Debian's perl rename is installed as "file-rename" (package rename).
  if (HaveProgram("file-rename")) {
    std::vector<std::string> argv_rename = {"file-rename", "s/txt/htm/gi"};
    for (const std::string& name : names) argv_rename.push_back(theirs_dir + "/" + name);
    contenders.push_back({"perl rename",
                          [&, argv_rename] { return RunChild(argv_rename).ok && all_renamed(theirs_dir); },
                          [&] { restore(theirs_dir); }});
  }
  contenders.push_back({"floor: one rename call per file",
                        [&] {
                          bool ok = true;
                          for (std::size_t i = 0; i < names.size(); ++i)
                            ok = ::syscall(SYS_renameat2, AT_FDCWD, (floor_dir + "/" + names[i]).c_str(), AT_FDCWD,
                                           (floor_dir + "/" + renamed[i]).c_str(), 1 /* RENAME_NOREPLACE */) == 0 &&
                                 ok;
                          return ok;
                        },
                        [&] { restore(floor_dir); }});
  // The floor of the operation itself, which is given only the folder: it
  // lists the folder, then makes one rename call per name that changes.
  contenders.push_back({"floor: list the folder, one rename call per file",
                        [&] {
                          DIR* dir = ::opendir(listed_dir.c_str());
                          if (!dir) return false;
                          int done = 0;
                          std::string from = listed_dir + "/", to = from;
                          const std::size_t base = from.size();
                          while (const dirent* e = ::readdir(dir)) {
                            const std::size_t n = std::strlen(e->d_name);
                            if (n < 3 || ::strcasecmp(e->d_name + n - 3, "txt") != 0) continue;
                            from.replace(base, std::string::npos, e->d_name, n);
                            to.replace(base, std::string::npos, e->d_name, n - 3);
                            to += "htm";
                            done += ::syscall(SYS_renameat2, AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(),
                                              1 /* RENAME_NOREPLACE */) == 0;
                          }
                          ::closedir(dir);
                          return done == files;
                        },
                        [&] { restore(listed_dir); }});
  // Small folders take milliseconds: more rounds steady their medians.
  RunInterleaved(contenders, files <= 2500 ? 15 : 5);
  const Size size{std::to_string(files) + " files", files / 1000.0, "1,000 files"};
  const Contender* perl = contenders.size() > 2 ? &contenders[1] : nullptr;
  PrintRow("rename files", size, contenders[0], perl, OwnPeakMegabytes(), "<= 0.5");
  PrintRow("rename files", size, contenders[0], &contenders[contenders.size() - 2], OwnPeakMegabytes(), "-");
  PrintRow("rename files", size, contenders[0], &contenders.back(), OwnPeakMegabytes(), "<= 1.1");
  return contenders[0].ok ? 0 : 1;
}
