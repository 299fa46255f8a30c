#include "runtime/process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "runtime/encoding.h"

extern char** environ;

namespace qm {

std::vector<Text> SplitCommandLine(const Text& line) {
  std::vector<Text> args;
  std::size_t i = 0, n = line.size();
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  // Leading white space is skipped, as process creation does before it
  // reads the program name.
  while (i < n && blank(line[i])) ++i;
  if (i >= n) return args;
  // The program name: after an opening quote it runs to the next quote, no
  // matter what; otherwise to the first white space, quotes included.
  Text program;
  if (line[i] == '"') {
    for (++i; i < n && line[i] != '"'; ++i) program.push_back(line[i]);
    if (i < n) ++i;
  } else {
    for (; i < n && !blank(line[i]); ++i) program.push_back(line[i]);
  }
  args.push_back(program);
  for (;;) {
    while (i < n && blank(line[i])) ++i;
    if (i >= n) break;
    Text arg;
    // Quotes seen in the current run: 1 means inside quotes. Inside quotes
    // a quote followed by a second one gives a literal quote and ends the
    // quoted part; three quotes in a row outside quotes give one.
    int quotes = 0;
    while (i < n) {
      char c = line[i];
      if (quotes == 0 && blank(c)) break;
      if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < n) {
        // A two-byte character: its second byte may be 0x5C, which is not
        // a backslash here: "\x81\x5C" (乗) before a closing quote ends the quote.
        arg.append(line, i, 2);
        i += 2;
        continue;
      }
      if (c == '\\') {
        std::size_t slashes = 0;
        while (i < n && line[i] == '\\') {
          ++slashes;
          ++i;
        }
        if (i < n && line[i] == '"') {
          arg.append(slashes / 2, '\\');
          if (slashes % 2) {
            arg.push_back('"');
            ++i;
          }
        } else {
          arg.append(slashes, '\\');
        }
        continue;
      }
      if (c == '"') {
        ++quotes;
        for (++i; i < n && line[i] == '"'; ++i) {
          if (++quotes == 3) {
            arg.push_back('"');
            quotes = 0;
          }
        }
        if (quotes == 2) quotes = 0;
        continue;
      }
      arg.push_back(c);
      ++i;
    }
    args.push_back(arg);
  }
  return args;
}

std::string OwnFolder() {
  char buf[4096];
  ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  std::string path(buf, static_cast<std::size_t>(n));
  std::size_t k = path.rfind('/');
  return k == std::string::npos ? std::string() : path.substr(0, k == 0 ? 1 : k);
}

std::string HelperFolder() {
  std::string own = OwnFolder();
  std::size_t k = own.rfind('/');
  if (own.empty() || k == std::string::npos) return {};
  return (k == 0 ? std::string() : own.substr(0, k)) + "/libexec/quillmere";
}

namespace {

bool IsExecutableFile(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string RealProcessRunner::Locate(const std::string& name) const {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  for (const std::string& folder : search_folders_) {
    if (folder.empty()) continue;
    std::string candidate = folder + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
  }
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t i = 0;
  while (i <= dirs.size()) {
    std::size_t j = dirs.find(':', i);
    if (j == std::string::npos) j = dirs.size();
    std::string folder = dirs.substr(i, j - i);
    // An empty PATH entry means the current directory: never searched.
    if (!folder.empty() && folder != ".") {
      std::string candidate = folder + "/" + name;
      if (IsExecutableFile(candidate)) return candidate;
    }
    i = j + 1;
  }
  return {};
}

namespace {

// A descriptor that is closed when it goes out of scope.
struct Fd {
  int fd = -1;
  ~Fd() {
    if (fd >= 0) ::close(fd);
  }
};

// Moves `fd` to a number of 10 or more, close-on-exec, so that dup2 in the
// child never meets it at its own number.
int HighFd(int fd) {
  if (fd < 0) return fd;
  int high = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
  ::close(fd);
  return high;
}

// "DONE TOTAL NAME" or "DONE TOTAL"; false for anything else.
bool ParseProgressLine(const std::string& line, long* done, long* total, std::string* name) {
  char* end = nullptr;
  const char* p = line.c_str();
  *done = std::strtol(p, &end, 10);
  if (end == p || *end != ' ') return false;
  p = end + 1;
  *total = std::strtol(p, &end, 10);
  if (end == p || (*end != ' ' && *end != '\0')) return false;
  *name = *end == ' ' ? std::string(end + 1) : std::string();
  return true;
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

RunResult RealProcessRunner::WaitWithProgress(int pid, int progress_fd, RunResult result) {
  Progress& progress = progress_ ? *progress_ : NoProgress();
  long done = progress.DoneCount(), total = progress.TotalCount();
  Text current;
  std::string pending;
  long long last_news = NowMs(), signalled_at = -1, finished_at = -1;
  bool open = progress_fd >= 0;
  // The child leads its own process group, so whatever it started ends too.
  auto end_child = [&](int sig) {
    ::kill(-pid, sig);
    if (signalled_at < 0) signalled_at = NowMs();
  };
  for (;;) {
    struct pollfd p = {open ? progress_fd : -1, POLLIN, 0};
    int ready = ::poll(&p, 1, 100);
    if (ready > 0 && open) {
      char buf[4096];
      ssize_t n = ::read(progress_fd, buf, sizeof buf);
      if (n > 0) {
        pending.append(buf, static_cast<std::size_t>(n));
      } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
        open = false;
      }
      std::size_t nl;
      while ((nl = pending.find('\n')) != std::string::npos) {
        std::string line = pending.substr(0, nl);
        pending.erase(0, nl + 1);
        std::string name;
        if (line.rfind("LEFT ", 0) == 0) {
          result.left_out.push_back(TextFromNativeName(line.substr(5)));
          continue;
        }
        if (!ParseProgressLine(line, &done, &total, &name)) continue;
        last_news = NowMs();
        if (!name.empty()) current = GbkFromUtf8(name);
        if (progress.Stopped()) progress.Done(done);
        else if (!progress.Step(done, total, current)) result.stopped = true;
      }
    }
    if (!result.finished) {
      int status = 0;
      pid_t r = ::waitpid(pid, &status, WNOHANG);
      if (r == pid || (r < 0 && errno == ECHILD)) {
        result.finished = r == pid;
        if (r == pid) result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        finished_at = NowMs();
      }
    }
    // Once the child has ended, read what it wrote last (for at most a
    // second: a program it left behind may hold the pipe open).
    if (finished_at >= 0) {
      if (!open || NowMs() - finished_at > 1000) return result;
      continue;
    }
    if (!progress.Stopped() && !progress.Step(done, total, current)) result.stopped = true;
    if (progress.Stopped()) result.stopped = true;
    if (signalled_at < 0 && result.stopped) end_child(SIGTERM);
    if (signalled_at < 0 && NowMs() - last_news > stall_ms_) {
      result.stalled = true;
      end_child(SIGTERM);
    }
    if (signalled_at >= 0 && NowMs() - signalled_at > grace_ms_) ::kill(-pid, SIGKILL);
  }
}

RunResult RealProcessRunner::Run(const Text& command_line, bool wait, int) {
  RunResult result;
  std::vector<Text> args = SplitCommandLine(command_line);
  if (args.empty()) return result;
  std::vector<std::string> native;
  native.reserve(args.size());
  for (const Text& a : args) native.push_back(NativeName(a));
  std::string program = Locate(native[0]);
  if (program.empty()) return result;
  std::vector<char*> argv;
  for (std::string& a : native) argv.push_back(a.data());
  argv.push_back(nullptr);

  // The child's output goes into its log, never into our standard output;
  // a waited-for child also gets the progress pipe.
  Fd log, pipe_read, pipe_write, null_fd;
  if (!log_folder_.empty()) {
    std::string base = native[0].substr(native[0].rfind('/') + 1);
    result.log_path = log_folder_ + "/" + base + ".log";
    log.fd = HighFd(::open(result.log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (log.fd < 0) result.log_path.clear();
  }
  if (log.fd < 0) log.fd = null_fd.fd = HighFd(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, kProgressFdVariable, std::strlen(kProgressFdVariable)) != 0) env_strings.push_back(*e);
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (log.fd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, log.fd, 1);
    posix_spawn_file_actions_adddup2(&actions, log.fd, 2);
  }
  int fds[2];
  if (wait && ::pipe2(fds, O_CLOEXEC) == 0) {
    pipe_read.fd = HighFd(fds[0]);
    pipe_write.fd = HighFd(fds[1]);
    if (pipe_write.fd >= 0) {
      posix_spawn_file_actions_adddup2(&actions, pipe_write.fd, 3);
      env_strings.push_back(std::string(kProgressFdVariable) + "=3");
    }
  }
  std::vector<char*> envp;
  for (std::string& e : env_strings) envp.push_back(e.data());
  envp.push_back(nullptr);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (wait) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  pid_t pid;
  int spawned = ::posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) return result;
  result.started = true;
  if (wait) {
    ::close(pipe_write.fd);
    pipe_write.fd = -1;
    return WaitWithProgress(pid, pipe_read.fd, result);
  }
  // Without the wait flag: give the child up to a second, as a window
  // program would take to become idle. A child still running is left to run.
  for (int k = 0; k < 100; ++k) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      result.finished = true;
      result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return result;
    }
    struct timespec ts = {0, 10 * 1000 * 1000};
    ::nanosleep(&ts, nullptr);
  }
  return result;
}

}  // namespace qm
