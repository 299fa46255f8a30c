// How hhc.exe and hh.exe tell the program that started them how far they
// have come, and how they end early and cleanly. When the environment names
// a progress descriptor (QUILLMERE_PROGRESS_FD), each file is announced
// there as one line "DONE TOTAL NAME"; a file left out of the work is
// named by a line "LEFT NAME". SIGTERM only raises a flag; the tools look
// at it between two files, where nothing half-written exists, and stop
// there. Run by hand, the tools print no progress.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

namespace progress_pipe {

inline std::atomic<bool> stop_requested{false};

// The first signal asks for a stop between two files; a second one (a
// user pressing Ctrl-C again on a tool that does not get there) ends the
// tool at once.
inline void OnTerminate(int sig) {
  if (stop_requested.exchange(true)) {
    ::signal(sig, SIG_DFL);
    ::raise(sig);
  }
}

/// Makes the first SIGTERM or SIGINT raise the stop flag instead of ending
/// the tool at once.
inline void CatchStopSignals() {
  struct sigaction action = {};
  action.sa_handler = &OnTerminate;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGINT, &action, nullptr);
}

/// The progress descriptor from the environment, or -1.
inline int Descriptor() {
  static const int fd = [] {
    const char* value = std::getenv("QUILLMERE_PROGRESS_FD");
    if (!value || !*value) return -1;
    char* end = nullptr;
    long n = std::strtol(value, &end, 10);
    return (*end == '\0' && n >= 0 && n < 1024) ? static_cast<int>(n) : -1;
  }();
  return fd;
}

/// Writes `line` and a line feed in one write, so that lines from several
/// threads never mix.
inline void WriteLine(std::string line) {
  int fd = Descriptor();
  if (fd < 0) return;
  line += "\n";
  ssize_t ignored = ::write(fd, line.data(), line.size());
  (void)ignored;
}

/// The line that names a file the tool left out of its work, for the
/// program that started it: "LEFT NAME", with line breaks in NAME written
/// as \x0A and \x0D.
inline constexpr char kLeftOutPrefix[] = "LEFT ";

/// Reports a file left out.
inline void ReportLeftOut(const std::string& name) {
  std::string line = kLeftOutPrefix;
  for (char c : name) line += c == '\n' ? std::string("\\x0A") : c == '\r' ? std::string("\\x0D") : std::string(1, c);
  WriteLine(std::move(line));
}

/// One progress line; `name` empty gives the closing count after a stop.
inline void Report(std::size_t done, std::size_t total, const std::string& name) {
  std::string line = std::to_string(done) + " " + std::to_string(total);
  if (!name.empty()) line += " " + name;
  WriteLine(std::move(line));
}

}  // namespace progress_pipe
