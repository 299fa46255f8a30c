#include <signal.h>

#include <chrono>
#include <thread>
#include "test_support.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

extern char** environ;

namespace hhtest {

void writeBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream(file, std::ios::binary) << bytes;
}

std::string readBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> listFiles(const std::filesystem::path& root) {
  std::vector<std::string> names;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(root, ec);
       !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
    if (!it->is_directory() || it->is_symlink()) names.push_back(std::filesystem::relative(it->path(), root).string());
  std::sort(names.begin(), names.end());
  return names;
}

bool haveChmcmd() { return std::system("command -v chmcmd >/dev/null 2>&1") == 0; }

bool compileWithChmcmd(const std::filesystem::path& folder, const std::vector<std::string>& files) {
  std::string hhp = "[OPTIONS]\nCompiled file=book.chm\nTitle=T\n";
  if (!files.empty()) hhp += "Default topic=" + files[0] + "\n";
  hhp += "\n[FILES]\n";
  for (const std::string& f : files) hhp += f + "\n";
  writeBytes(folder / "book.hhp", hhp);
  const std::string command = "cd '" + folder.string() + "' && chmcmd book.hhp >/dev/null 2>&1";
  return std::system(command.c_str()) == 0 && std::filesystem::exists(folder / "book.chm");
}

RunResult runHh(const std::vector<std::string>& args) {
  ScratchDir scratch;
  const std::string errFile = (scratch / "stderr").string();
  std::vector<std::string> all{HH_EXE_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  RunResult result;
  pid_t pid = 0;
  if (posix_spawn(&pid, HH_EXE_PATH, &actions, nullptr, argv.data(), environ) == 0) {
    // A run that hangs is killed after a generous deadline and counts as
    // not exited.
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (::waitpid(pid, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.exited = WIFEXITED(status);
    result.exitCode = result.exited ? WEXITSTATUS(status) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  result.errors = readBytes(errFile);
  return result;
}

}  // namespace hhtest
