#include "runtime/temporary_files.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>

#include "runtime/encoding.h"
#include "runtime/paths.h"

namespace qm {
namespace {

constexpr std::string_view kPrefix = ".~";
constexpr std::string_view kSuffix = ".quillmere-tmp";

// The temporary files open now, as absolute native paths, for the signal
// handler: fixed slots, so that the handler needs no lock and no memory.
std::array<std::atomic<char*>, 256> held;

void RemoveHeldAndEnd(int sig) {
  for (std::atomic<char*>& slot : held) {
    if (char* path = slot.load()) ::unlink(path);
  }
  ::signal(sig, SIG_DFL);
  ::raise(sig);
}

void InstallHandlers() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    struct sigaction old {};
    if (::sigaction(sig, nullptr, &old) != 0 || old.sa_handler != SIG_DFL) continue;  // the program's own
    struct sigaction action {};
    action.sa_handler = &RemoveHeldAndEnd;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
  }
}

constexpr std::string_view kMarkStart = ".@";
constexpr std::size_t kMarkDigits = 8;

// The mark that a temporary name holds (".@" and 8 hex digits), empty when
// it holds none.
std::string_view MarkOf(std::string_view name) {
  name.remove_suffix(kSuffix.size());
  const std::size_t mark = kMarkStart.size() + kMarkDigits;
  if (name.size() <= mark || name.substr(name.size() - mark, kMarkStart.size()) != kMarkStart) return {};
  return name.substr(name.size() - mark);
}

// The process id a temporary name holds; 0 when it holds none.
long ProcessOf(std::string_view name) {
  name.remove_suffix(kSuffix.size() + MarkOf(name).size());
  std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return 0;
  std::string_view tail = name.substr(dot + 1);
  std::size_t dash = tail.find('-');
  if (dash == std::string_view::npos || dash == 0) return 0;
  long pid = 0;
  for (char c : tail.substr(0, dash)) {
    if (c < '0' || c > '9' || pid > 100000000) return 0;
    pid = pid * 10 + (c - '0');
  }
  return pid;
}

}  // namespace

const std::string& TemporaryNameMark() {
  static const std::string kMark = [] {
    // The installation's machine id and host name, and the process id
    // space (a container has its own), say which processes the ids in the
    // names belong to; a folder shared with another machine or container
    // holds names of theirs. (Not the boot: a run cut off by a power loss
    // leaves names that the next boot's runs must clear.)
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    char machine[64] = {};
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
      if (FILE* f = std::fopen(path, "re")) {
        const bool got = std::fgets(machine, sizeof machine, f) != nullptr;
        std::fclose(f);
        if (got) break;
      }
    }
    struct stat space {};
    ::stat("/proc/self/ns/pid", &space);
    std::uint32_t hash = 2166136261u;  // FNV-1a
    const std::string key = std::string(machine) + "/" + host + "/" + std::to_string(space.st_ino);
    for (unsigned char c : key) hash = (hash ^ c) * 16777619u;
    char digits[kMarkDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(hash));
    return std::string(kMarkStart) + digits;
  }();
  return kMark;
}

bool LiveProcess(long pid) {
  if (pid <= 0) return false;
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

long OwnProcessId() { return static_cast<long>(::getpid()); }

Text TemporaryName(const Text& name, bool marked) {
  // Drawn under a lock: names are made on several threads at once.
  static std::mutex lock;
  static std::random_device device;
  char random[40];
  {
    std::lock_guard<std::mutex> hold(lock);
    std::snprintf(random, sizeof random, "%ld-%08x%08x", static_cast<long>(::getpid()), device(), device());
  }
  const Text tail = random + (marked ? TemporaryNameMark() : std::string()) + Text(kSuffix);
  Text temp = Text(kPrefix) + name + "." + tail;
  if (NativeName(temp).size() <= 255) return temp;
  return Text(kPrefix) + "." + tail;
}

bool IsTemporaryName(const Text& name) {
  return name.size() > kPrefix.size() + kSuffix.size() && name.compare(0, kPrefix.size(), kPrefix) == 0 &&
         name.compare(name.size() - kSuffix.size(), kSuffix.size(), kSuffix) == 0 && ProcessOf(name) != 0;
}

bool IsStaleTemporaryName(const Text& name) {
  return IsTemporaryName(name) && MarkOf(name) == TemporaryNameMark() && !LiveProcess(ProcessOf(name));
}

void HoldTemporaryFile(FileSystem& fs, const Text& path) {
  InstallHandlers();
  std::string native = NativeName(path);
  if (native.empty()) return;
  if (native[0] != '/') native = NativeName(JoinPath(fs.CurrentDirectory(), path));
  char* copy = ::strdup(native.c_str());
  if (!copy) return;
  for (std::atomic<char*>& slot : held) {
    char* empty = nullptr;
    if (slot.compare_exchange_strong(empty, copy)) return;
  }
  std::free(copy);  // every slot taken: a later run removes it
}

void ReleaseTemporaryFile(const Text& path) {
  std::string native = NativeName(path);
  for (std::atomic<char*>& slot : held) {
    char* p = slot.load();
    if (!p) continue;
    std::size_t n = std::strlen(p);
    // Held as an absolute path: the name given may be relative.
    if (n >= native.size() && std::memcmp(p + n - native.size(), native.data(), native.size()) == 0 &&
        (n == native.size() || p[n - native.size() - 1] == '/') && slot.compare_exchange_strong(p, nullptr)) {
      std::free(p);
      return;
    }
  }
}

int RemoveStaleTemporaryFiles(FileSystem& fs, const Text& folder) {
  return RemoveStaleTemporaryFiles(fs, folder, fs.ListKinds(folder));
}

int RemoveStaleTemporaryFiles(FileSystem& fs, const Text& folder, const std::vector<DirectoryEntry>& listing) {
  int removed = 0;
  for (const DirectoryEntry& entry : listing) {
    if (!IsStaleTemporaryName(entry.name)) continue;
    if ((entry.attributes & kDirectory) != 0 && !entry.link) continue;
    if (fs.Delete(folder.empty() ? entry.name : JoinPath(folder, entry.name))) ++removed;
  }
  return removed;
}

}  // namespace qm
