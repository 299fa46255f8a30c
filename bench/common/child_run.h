#pragma once
// Finds and runs the baseline and helper programs of a benchmark, and
// measures them.

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace qm::bench {

/// The full path of `name` in PATH (else /usr/bin:/bin) when an executable
/// is found there; empty otherwise.
inline std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t colon = all.find(':', start);
    std::string dir = all.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (::access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

/// Whether `program` can be found in PATH.
inline bool HaveProgram(const std::string& program) { return !FindOnPath(program).empty(); }

struct ChildMeasure {
  bool ok = false;         // started and exited with 0
  double seconds = 0;      // wall clock
  double cpu_seconds = 0;  // user + system, all threads
  long peak_kb = 0;        // the child's peak resident memory
};

/// Where a child reads and writes, and what it finds in its environment.
struct ChildSetUp {
  std::filesystem::path cwd;     // empty: here
  std::string stdin_path;        // empty: inherited
  std::string stdout_path;       // empty: thrown away (as is stderr)
  std::vector<std::string> env;  // "NAME=value" set over this process's
};

/// Runs `args` (the program searched in PATH, no shell) as `set_up` says,
/// and waits for it.
inline ChildMeasure RunChild(const std::vector<std::string>& args, const ChildSetUp& set_up) {
  std::vector<std::string> copy = args;
  std::vector<char*> argv;
  for (auto& a : copy) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_strings = set_up.env;
  for (char** e = environ; *e; ++e) {
    bool replaced = false;
    for (const std::string& own : set_up.env)
      replaced = replaced || std::strncmp(*e, own.c_str(), own.find('=') + 1) == 0;
    if (!replaced) env_strings.push_back(*e);
  }
  std::vector<char*> env;
  for (auto& e : env_strings) env.push_back(e.data());
  env.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!set_up.stdin_path.empty()) posix_spawn_file_actions_addopen(&actions, 0, set_up.stdin_path.c_str(), O_RDONLY, 0);
  if (set_up.stdout_path.empty()) posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  else posix_spawn_file_actions_addopen(&actions, 1, set_up.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const std::filesystem::path here = std::filesystem::current_path();
  if (!set_up.cwd.empty()) std::filesystem::current_path(set_up.cwd);
  ChildMeasure m;
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), env.data()) == 0) {
    int status = 0;
    struct rusage usage {};
    ::wait4(pid, &status, 0, &usage);
    m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m.peak_kb = usage.ru_maxrss;
    m.cpu_seconds =
        usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  std::filesystem::current_path(here);
  posix_spawn_file_actions_destroy(&actions);
  return m;
}

/// Runs `args` in `cwd` (empty: here) with its output thrown away.
inline ChildMeasure RunChild(const std::vector<std::string>& args, const std::filesystem::path& cwd = {}) {
  return RunChild(args, ChildSetUp{cwd, {}, {}, {}});
}

}  // namespace qm::bench
