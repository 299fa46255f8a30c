// The writing end of the progress protocol (runtime/progress_protocol.h)
// for hhc.exe and hh.exe, and how they end early and cleanly. When the
// environment names a progress descriptor, each file is announced there
// and each file left out of the work is named. SIGTERM only raises a flag; the tools look
// at it between two files, where nothing half-written exists, and stop
// there. Run by hand, the tools print no progress.
#pragma once

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <string>

#include "runtime/progress_protocol.h"

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
  static const int fd = qm::ProgressDescriptorOf(std::getenv(qm::kProgressFdVariable));
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

/// Reports a file left out.
inline void ReportLeftOut(const std::string& name) { WriteLine(qm::LeftOutLine(name)); }

/// One progress line; `name` empty gives the closing count after a stop.
inline void Report(std::size_t done, std::size_t total, const std::string& name) {
  WriteLine(qm::ProgressLine(done, total, name));
}

}  // namespace progress_pipe
