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
#include "runtime/progress_protocol.h"
#include "runtime/unique_fd.h"

extern char** environ;

namespace qm {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The program name from `i` on: after an opening quote it runs to the next
// quote, no matter what; otherwise to the first white space, quotes
// included. Returns where the name ends.
std::size_t ReadProgramName(const Text& line, std::size_t i, Text& program) {
  const std::size_t n = line.size();
  if (line[i] == '"') {
    for (++i; i < n && line[i] != '"'; ++i) program.push_back(line[i]);
    if (i < n) ++i;
  } else {
    for (; i < n && !IsBlank(line[i]); ++i) program.push_back(line[i]);
  }
  return i;
}

// A run of backslashes at `i`: before a quote each pair gives one and an odd
// one makes the quote literal; elsewhere they stand as they are.
std::size_t ReadBackslashes(const Text& line, std::size_t i, Text& arg) {
  const std::size_t n = line.size();
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
  return i;
}

// One argument from `i` on; returns where it ends.
std::size_t ReadArgument(const Text& line, std::size_t i, Text& arg) {
  const std::size_t n = line.size();
  // Quotes seen in the current run: 1 means inside quotes. Inside quotes
  // a quote followed by a second one gives a literal quote and ends the
  // quoted part; three quotes in a row outside quotes give one.
  int quotes = 0;
  while (i < n) {
    char c = line[i];
    if (quotes == 0 && IsBlank(c)) break;
    if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < n) {
      // A two-byte character: its second byte may be 0x5C, which is not
      // a backslash here: "\x81\x5C" (乗) before a closing quote ends the quote.
      arg.append(line, i, 2);
      i += 2;
    } else if (c == '\\') {
      i = ReadBackslashes(line, i, arg);
    } else if (c == '"') {
      ++quotes;
      for (++i; i < n && line[i] == '"'; ++i) {
        if (++quotes == 3) {
          arg.push_back('"');
          quotes = 0;
        }
      }
      if (quotes == 2) quotes = 0;
    } else {
      arg.push_back(c);
      ++i;
    }
  }
  return i;
}

}  // namespace

Text QuotedArgument(const Text& arg) {
  Text out = "\"";
  std::size_t backslashes = 0;
  for (std::size_t i = 0; i < arg.size(); ++i) {
    char c = arg[i];
    if (static_cast<unsigned char>(c) >= 0x80 && i + 1 < arg.size()) {
      // A two-byte character: its second byte is never a backslash.
      out.append(arg, i++, 2);
      backslashes = 0;
      continue;
    }
    if (c == '\\') {
      ++backslashes;
    } else {
      if (c == '"') out.append(backslashes + 1, '\\');
      backslashes = 0;
    }
    out += c;
  }
  out.append(backslashes, '\\');
  return out + "\"";
}

std::vector<Text> SplitCommandLine(const Text& line) {
  std::vector<Text> args;
  std::size_t i = 0, n = line.size();
  // Leading white space is skipped, as process creation does before it
  // reads the program name.
  while (i < n && IsBlank(line[i])) ++i;
  if (i >= n) return args;
  Text program;
  i = ReadProgramName(line, i, program);
  args.push_back(program);
  for (;;) {
    while (i < n && IsBlank(line[i])) ++i;
    if (i >= n) break;
    Text arg;
    i = ReadArgument(line, i, arg);
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

// Moves `fd` to a number of 10 or more, close-on-exec, so that dup2 in the
// child never meets it at its own number.
int HighFd(int fd) {
  if (fd < 0) return fd;
  int high = ::fcntl(fd, F_DUPFD_CLOEXEC, 10);
  ::close(fd);
  return high;
}

long long NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// What a waited-for child has reported and how it is being ended.
class ChildWatch {
 public:
  ChildWatch(Progress& progress, int pid, int progress_fd)
      : progress_(progress),
        pid_(pid),
        fd_(progress_fd),
        open_(progress_fd >= 0),
        done_(progress.DoneCount()),
        total_(progress.TotalCount()),
        last_news_(NowMs()) {}

  /// Waits up to 100 ms for progress lines and passes them on.
  void ReadProgress(RunResult& result) {
    struct pollfd p = {open_ ? fd_ : -1, POLLIN, 0};
    int ready = ::poll(&p, 1, 100);
    if (ready <= 0 || !open_) return;
    char buf[4096];
    ssize_t n = ::read(fd_, buf, sizeof buf);
    if (n > 0) {
      pending_.append(buf, static_cast<std::size_t>(n));
    } else if (n == 0 || (errno != EINTR && errno != EAGAIN)) {
      open_ = false;
    }
    std::size_t nl;
    while ((nl = pending_.find('\n')) != std::string::npos) {
      std::string line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      TakeLine(line, result);
    }
  }

  /// Notes the child's end once it has ended.
  void Reap(RunResult& result) {
    if (result.finished) return;
    int status = 0;
    pid_t r = ::waitpid(pid_, &status, WNOHANG);
    if (r == pid_ || (r < 0 && errno == ECHILD)) {
      result.finished = r == pid_;
      if (r == pid_) result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      finished_at_ = NowMs();
    }
  }

  /// True once the child has ended and what it wrote last is read (for at
  /// most a second: a program it left behind may hold the pipe open).
  bool Over() const { return finished_at_ >= 0 && (!open_ || NowMs() - finished_at_ > 1000); }
  bool Finished() const { return finished_at_ >= 0; }

  /// Ends a child that the user stopped or that went quiet for `stall_ms`;
  /// kills it when it has not ended `grace_ms` after being asked.
  void Supervise(int stall_ms, int grace_ms, RunResult& result) {
    if (!progress_.Stopped() && !progress_.Step(done_, total_, current_)) result.stopped = true;
    if (progress_.Stopped()) result.stopped = true;
    if (signalled_at_ < 0 && result.stopped) EndChild(SIGTERM);
    if (signalled_at_ < 0 && NowMs() - last_news_ > stall_ms) {
      result.stalled = true;
      EndChild(SIGTERM);
    }
    if (signalled_at_ >= 0 && NowMs() - signalled_at_ > grace_ms) ::kill(-pid_, SIGKILL);
  }

 private:
  // A file left out is noted; a count is progress.
  void TakeLine(const std::string& line, RunResult& result) {
    std::optional<ProgressMessage> message = ParseProgressMessage(line);
    if (!message) return;
    if (message->left_out) {
      result.left_out.push_back(TextFromNativeName(message->name));
      return;
    }
    done_ = message->done;
    total_ = message->total;
    last_news_ = NowMs();
    if (!message->name.empty()) current_ = TextFromNativeName(message->name);
    if (progress_.Stopped()) progress_.Done(done_);
    else if (!progress_.Step(done_, total_, current_)) result.stopped = true;
  }

  // The child leads its own process group, so whatever it started ends too.
  void EndChild(int sig) {
    ::kill(-pid_, sig);
    if (signalled_at_ < 0) signalled_at_ = NowMs();
  }

  Progress& progress_;
  const int pid_;
  const int fd_;
  bool open_;
  long done_, total_;
  Text current_;
  std::string pending_;
  long long last_news_, signalled_at_ = -1, finished_at_ = -1;
};

// Opens PROGRAM.log in `log_folder` for the child's output, or /dev/null
// when there is no folder or the log cannot be made (`log_path` is then
// empty).
UniqueFd OpenChildOutput(const std::string& log_folder, const std::string& program_path, std::string& log_path) {
  UniqueFd log;
  if (!log_folder.empty()) {
    std::string base = program_path.substr(program_path.rfind('/') + 1);
    log_path = log_folder + "/" + base + ".log";
    log.reset(HighFd(::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600)));
    if (!log.valid()) log_path.clear();
  }
  if (!log.valid()) log.reset(HighFd(::open("/dev/null", O_WRONLY | O_CLOEXEC)));
  return log;
}

// Our environment without our own progress descriptor's variable.
std::vector<std::string> ChildEnvironment() {
  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e) {
    if (std::strncmp(*e, kProgressFdVariable, std::strlen(kProgressFdVariable)) != 0) env_strings.push_back(*e);
  }
  return env_strings;
}

// Starts `program` with its output on `log` and, when `progress` is open,
// the progress pipe as descriptor 3; a waited-for child leads its own
// process group. -1 when it cannot be started.
pid_t SpawnChild(const std::string& program, std::vector<std::string>& args, const UniqueFd& log,
                 const UniqueFd& progress, bool wait) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_strings = ChildEnvironment();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (log.valid()) {
    posix_spawn_file_actions_adddup2(&actions, log.get(), 1);
    posix_spawn_file_actions_adddup2(&actions, log.get(), 2);
  }
  if (progress.valid()) {
    posix_spawn_file_actions_adddup2(&actions, progress.get(), 3);
    env_strings.push_back(std::string(kProgressFdVariable) + "=3");
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
  return spawned == 0 ? pid : -1;
}

// Gives a child that is not waited for up to a second, as a window program
// would take to become idle. A child still running is left to run.
void WaitBriefly(pid_t pid, RunResult& result) {
  for (int k = 0; k < 100; ++k) {
    int status = 0;
    pid_t r = ::waitpid(pid, &status, WNOHANG);
    if (r == pid) {
      result.finished = true;
      result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return;
    }
    struct timespec ts = {0, 10 * 1000 * 1000};
    ::nanosleep(&ts, nullptr);
  }
}

}  // namespace

RunResult RealProcessRunner::WaitWithProgress(int pid, int progress_fd, RunResult result) {
  ChildWatch watch(progress_ ? *progress_ : NoProgress(), pid, progress_fd);
  for (;;) {
    watch.ReadProgress(result);
    watch.Reap(result);
    if (watch.Over()) return result;
    if (!watch.Finished()) watch.Supervise(stall_ms_, grace_ms_, result);
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

  // The child's output goes into its log, never into our standard output;
  // a waited-for child also gets the progress pipe.
  UniqueFd log = OpenChildOutput(log_folder_, native[0], result.log_path);
  UniqueFd pipe_read, pipe_write;
  int fds[2];
  if (wait && ::pipe2(fds, O_CLOEXEC) == 0) {
    pipe_read.reset(HighFd(fds[0]));
    pipe_write.reset(HighFd(fds[1]));
  }
  pid_t pid = SpawnChild(program, native, log, pipe_write, wait);
  if (pid < 0) return result;
  result.started = true;
  if (wait) {
    pipe_write.reset();
    return WaitWithProgress(pid, pipe_read.get(), result);
  }
  WaitBriefly(pid, result);
  return result;
}

}  // namespace qm
