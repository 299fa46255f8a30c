#pragma once
// Runs a baseline or helper program for a benchmark and measures it.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace qm::bench {

struct ChildMeasure {
  bool ok = false;         // started and exited with 0
  double seconds = 0;      // wall clock
  double cpu_seconds = 0;  // user + system, all threads
  long peak_kb = 0;        // the child's peak resident memory
};

/// Runs `args` (the program searched in PATH, no shell) in `cwd` (empty:
/// here) with its output thrown away, and waits for it.
inline ChildMeasure RunChild(const std::vector<std::string>& args, const std::filesystem::path& cwd = {}) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::filesystem::path here = std::filesystem::current_path();
  if (!cwd.empty()) std::filesystem::current_path(cwd);
  ChildMeasure m;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peak_kb = usage.ru_maxrss;
    m.cpu_seconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                    (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  std::filesystem::current_path(here);
  posix_spawn_file_actions_destroy(&actions);
  return m;
}

}  // namespace qm::bench
