#include "faults/hostile_disk.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace qm::faults {

namespace stdfs = std::filesystem;

OutsideFolder::OutsideFolder(std::string path) : path_(std::move(path)) {
  stdfs::create_directories(path_);
  for (const char* name : {"bait", "a.txt", "a.htm", "p1.htm", "u.htm", "my book.chm"})
    std::ofstream(path_ + "/" + name, std::ios::binary) << "outside " << name << " <body>x</body>";
}

void OutsideFolder::TakeSnapshot() { snapshot_ = Scan(); }

std::map<std::string, std::string> OutsideFolder::Scan() const {
  std::map<std::string, std::string> entries;
  std::error_code ec;
  for (auto it = stdfs::recursive_directory_iterator(path_, ec); !ec && it != stdfs::recursive_directory_iterator();
       it.increment(ec)) {
    const stdfs::path& p = it->path();
    std::string& what = entries[p.lexically_relative(path_).string()];
    stdfs::file_status st = stdfs::symlink_status(p, ec);
    if (stdfs::is_symlink(st)) {
      what = "link " + stdfs::read_symlink(p, ec).string();
    } else if (stdfs::is_regular_file(st)) {
      std::ifstream in(p, std::ios::binary);
      what = std::string(std::istreambuf_iterator<char>(in), {}) + " mode " +
             std::to_string(static_cast<int>(st.permissions()));
    } else {
      what = "kind " + std::to_string(static_cast<int>(st.type()));
    }
  }
  return entries;
}

std::vector<std::string> OutsideFolder::Changes() const {
  std::vector<std::string> changed;
  std::map<std::string, std::string> now = Scan();
  for (const auto& [name, what] : now) {
    auto was = snapshot_.find(name);
    if (was == snapshot_.end()) changed.push_back(path_ + "/" + name + " (new)");
    else if (was->second != what) changed.push_back(path_ + "/" + name + " (changed)");
  }
  for (const auto& [name, what] : snapshot_)
    if (!now.count(name)) changed.push_back(path_ + "/" + name + " (removed)");
  return changed;
}

}  // namespace qm::faults
