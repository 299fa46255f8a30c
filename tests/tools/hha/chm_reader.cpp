#include "chm_reader.h"

#include <mspack.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace hha_test {
namespace fs = std::filesystem;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::optional<FileMap> ReadWithMspack(const std::string& chm_path) {
  mschm_decompressor* d = mspack_create_chm_decompressor(nullptr);
  if (!d) return std::nullopt;
  mschmd_header* h = d->open(d, chm_path.c_str());
  if (!h) {
    mspack_destroy_chm_decompressor(d);
    return std::nullopt;
  }
  std::string tmp = chm_path + ".mspack-out";
  FileMap files;
  bool ok = true;
  for (mschmd_file* f = h->files; f && ok; f = f->next) {
    if (d->extract(d, f, tmp.c_str()) != MSPACK_ERR_OK) {
      ok = false;
      break;
    }
    files[f->filename] = ReadFile(tmp);
  }
  std::remove(tmp.c_str());
  d->close(d, h);
  mspack_destroy_chm_decompressor(d);
  if (!ok) return std::nullopt;
  return files;
}

std::string FirstMissingByFastFind(const std::string& chm_path, const FileMap& names) {
  mschm_decompressor* d = mspack_create_chm_decompressor(nullptr);
  mschmd_header* h = d->fast_open(d, chm_path.c_str());
  std::string missing;
  if (!h) {
    missing = "(cannot open)";
  } else {
    for (const auto& [name, content] : names) {
      mschmd_file f{};
      if (d->fast_find(d, h, name.c_str(), &f, sizeof(f)) != MSPACK_ERR_OK || !f.section ||
          static_cast<std::size_t>(f.length) != content.size()) {
        missing = name;
        break;
      }
    }
    d->close(d, h);
  }
  mspack_destroy_chm_decompressor(d);
  return missing;
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::stringstream ss(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(ss, dir, ':')) {
    std::string candidate = dir + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

namespace {

bool Run(const std::vector<std::string>& args) {
  pid_t pid = ::fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

FileMap FilesBelow(const std::string& folder) {
  FileMap files;
  for (auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) files["/" + fs::relative(e.path(), folder).string()] = ReadFile(e.path().string());
  return files;
}

}  // namespace

std::optional<FileMap> ReadWithExtractChmLib(const std::string& chm_path, const std::string& folder) {
  std::string program = FindProgram("extract_chmLib");
  if (program.empty() || !Run({program, chm_path, folder})) return std::nullopt;
  return FilesBelow(folder);
}

std::optional<FileMap> ReadWith7z(const std::string& program, const std::string& chm_path, const std::string& folder) {
  if (!Run({program, "x", "-y", "-o" + folder, chm_path})) return std::nullopt;
  return FilesBelow(folder);
}

std::optional<FileMap> ReadWithHh(const std::string& hh_exe, const std::string& chm_path, const std::string& folder) {
  if (!Run({hh_exe, "-decompile", folder, chm_path})) return std::nullopt;
  return FilesBelow(folder);
}

std::map<int, std::string> SystemStrings(const std::string& system_file) {
  std::map<int, std::string> out;
  std::size_t pos = 4;
  while (pos + 4 <= system_file.size()) {
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(system_file[i]); };
    int code = byte(pos) | (byte(pos + 1) << 8);
    std::size_t len = byte(pos + 2) | (byte(pos + 3) << 8);
    std::string data = system_file.substr(pos + 4, len);
    if (!data.empty() && data.back() == '\0') data.pop_back();
    out[code] = data;
    pos += 4 + len;
  }
  return out;
}

}  // namespace hha_test
