#include "runtime/process.h"

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

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
  pid_t pid;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return result;
  result.started = true;
  auto reap = [&](int options) {
    int status = 0;
    pid_t r;
    do {
      r = ::waitpid(pid, &status, options);
    } while (r < 0 && errno == EINTR);
    if (r == pid) {
      result.finished = true;
      result.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      return true;
    }
    return false;
  };
  if (wait) {
    reap(0);
    return result;
  }
  // Without the wait flag: give the child up to a second, as a window
  // program would take to become idle. A child still running is left to run.
  for (int k = 0; k < 100; ++k) {
    if (reap(WNOHANG)) return result;
    struct timespec ts = {0, 10 * 1000 * 1000};
    ::nanosleep(&ts, nullptr);
  }
  return result;
}

}  // namespace qm
