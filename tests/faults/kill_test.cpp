// Every operation that writes or moves the user's files, killed with SIGKILL
// at many random instants on a real disk and then run again: the
// operations of the suite at a random file call (a write cut off at a
// random byte), hhc.exe and hh.exe at a random moment of their run. After
// each kill every original byte must still be in a file the user can find
// and no final name may hold a partial file; after the rerun the folder
// must hold what an uninterrupted run leaves (or the rerun's message names
// the difference), with no temporary file left over.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <set>
#include <thread>

#include "convert/book_run.h"
#include "faults/scenario.h"
#include "runtime/encoding.h"
#include "runtime/temporary_files.h"
#include "support/operation_fixture.h"

namespace qm::faults {
namespace {

namespace stdfs = std::filesystem;

constexpr int kKillsPerOperation = 50;

// Kills its own process at the `kill_at`-th call that changes the disk:
// before the call, or in a write after a random part of the bytes.
class KillingFs : public RealFileSystem {
 public:
  // A kill keeps what the system caches: the syncs against power cuts only
  // slow the many runs down.
  KillingFs() : RealFileSystem(/*durable=*/false) {}
  long calls = 0;
  long kill_at = -1;
  std::mt19937 rng{1};

  bool Write(const Text& p, std::string_view d) override {
    return Cut(d, [&](auto b) { return RealFileSystem::Write(p, b); });
  }
  bool CreateNew(const Text& p, std::string_view d) override {
    return Cut(d, [&](auto b) { return RealFileSystem::CreateNew(p, b); });
  }
  // A kill in the middle of it leaves a file without a name: nothing.
  Placed PutWhole(const Text& p, std::string_view d) override { return Tick(), RealFileSystem::PutWhole(p, d); }
  bool Append(const Text& p, std::string_view d) override {
    return Cut(d, [&](auto b) { return RealFileSystem::Append(p, b); });
  }
  bool Rename(const Text& a, const Text& b) override { return Tick(), RealFileSystem::Rename(a, b); }
  void RenameIn(const Text& folder, const FileId& id, std::vector<NameChange>& changes) override {
    for (NameChange& change : changes) {
      std::vector<NameChange> one{change};
      Tick(), RealFileSystem::RenameIn(folder, id, one);
      change.error = one[0].error;
    }
  }
  bool ReplaceWith(const Text& a, const Text& b) override { return Tick(), RealFileSystem::ReplaceWith(a, b); }
  bool Delete(const Text& p) override { return Tick(), RealFileSystem::Delete(p); }
  bool CreateDirectory(const Text& p) override { return Tick(), RealFileSystem::CreateDirectory(p); }

 private:
  void Tick() {
    if (++calls == kill_at) ::raise(SIGKILL);
  }
  template <typename F>
  bool Cut(std::string_view data, F write) {
    if (++calls == kill_at) {
      if (!data.empty() && rng() % 2) write(data.substr(0, rng() % data.size()));
      ::raise(SIGKILL);
    }
    return write(data);
  }
};

using Tree = std::map<std::string, std::string>;  // relative path -> bytes ("<folder>" for folders)

Tree Snapshot(const std::string& root) {
  Tree tree;
  std::error_code ec;
  for (auto it = stdfs::recursive_directory_iterator(root, ec); !ec && it != stdfs::recursive_directory_iterator();
       it.increment(ec)) {
    std::string rel = it->path().lexically_relative(root).string();
    if (it->is_directory(ec)) {
      tree[rel] = "<folder>";
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      tree[rel] = std::string(std::istreambuf_iterator<char>(in), {});
    }
  }
  return tree;
}

bool IsTemporaryFile(const std::string& rel) {
  // A file in a temporary folder (a split under way) is temporary too.
  for (const stdfs::path& part : stdfs::path(rel).parent_path())
    if (IsTemporaryName(part.string())) return true;
  std::string name = stdfs::path(rel).filename().string();
  // The compiler's temporary books; the list of a paged book under way.
  return IsTemporaryName(name) || name.find(".tmp-") != std::string::npos || name == kUnfinishedBookName;
}

// The tally of the whole test, printed at its end.
struct KillTally {
  std::set<std::string> operations;
  long kills = 0, at_risk = 0, lost = 0, partial = 0, differing = 0;
  ~KillTally() {
    if (kills == 0) return;
    std::printf(
        "kill test: %zu operations x %d kills = %ld kills, %ld files at risk, %ld files lost, %ld partial files under "
        "final names, %ld reruns differing from an uninterrupted run\n",
        operations.size(), kKillsPerOperation, kills, at_risk, lost, partial, differing);
  }
};
KillTally tally;

// Files under final names after a kill whose bytes are neither what was
// there before, nor what an uninterrupted run leaves there, nor the bytes
// of a file at risk moved there.
std::vector<std::string> PartialFiles(const Tree& now, const Tree& before, const Tree& done,
                                      const std::set<std::string>& moved) {
  std::vector<std::string> partial;
  for (const auto& [rel, bytes] : now) {
    if (bytes == "<folder>" || IsTemporaryFile(rel)) continue;
    auto was = before.find(rel), will = done.find(rel);
    if ((was != before.end() && was->second == bytes) || (will != done.end() && will->second == bytes) ||
        moved.count(bytes))
      continue;
    partial.push_back(rel);
  }
  return partial;
}

// The differences between the rerun's folder and the uninterrupted run's
// that the rerun's message does not name.
std::vector<std::string> Unexplained(const Tree& now, const Tree& done, const std::vector<ShownMessage>& shown) {
  std::set<std::string> names;
  for (const auto& [rel, bytes] : now)
    if (!done.count(rel) || done.at(rel) != bytes) names.insert(rel);
  for (const auto& [rel, bytes] : done)
    if (!now.count(rel)) names.insert(rel);
  std::vector<std::string> unexplained;
  for (const std::string& rel : names) {
    std::string name = stdfs::path(rel).filename().string();
    bool named = false;
    for (const ShownMessage& m : shown) named = named || Utf8FromGbk(m.content).find(name) != std::string::npos;
    if (!named) unexplained.push_back(rel);
  }
  return unexplained;
}

class KillTest : public ::testing::TestWithParam<std::string> {};

TEST_P(KillTest, KilledAtRandomInstantsLosesNothingAndTheRerunFinishes) {
  std::unique_ptr<Scenario> scenario = MakeScenario(GetParam());
  // The uninterrupted run: what the folder holds after it, and how many
  // changing calls it makes.
  TempDir ref;
  BasicOperationFixture<KillingFs> clean;
  stdfs::create_directory(ref.path() + "/in");
  scenario->Arrange(Stage{clean.fs, clean.ui, clean.state, clean.processes}, ref.path() + "/in");
  clean.fs.calls = 0;
  scenario->Run(clean.ctx);
  const Tree done = Snapshot(ref.path() + "/in");
  const long calls = clean.fs.calls;
  ASSERT_GT(calls, 0);

  std::mt19937 rng(20261209);
  tally.operations.insert(GetParam());
  for (int k = 0; k < kKillsPerOperation; ++k) {
    TempDir disk;
    const std::string in = disk.path() + "/in";
    stdfs::create_directory(in);
    BasicOperationFixture<KillingFs> f;
    scenario->Arrange(Stage{f.fs, f.ui, f.state, f.processes}, in);
    const Tree before = Snapshot(in);
    std::set<std::string> moved;
    for (const FileAtRisk& file : scenario->AtRisk()) moved.insert(file.bytes);
    const long kill_at = 1 + static_cast<long>(rng() % static_cast<unsigned long>(calls));
    const unsigned seed = rng();
    std::fflush(nullptr);
    pid_t pid = ::fork();
    if (pid == 0) {
      f.fs.calls = 0;
      f.fs.kill_at = kill_at;
      f.fs.rng.seed(seed);
      scenario->Run(f.ctx);
      ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "kill at call " << kill_at;

    Probe probe = [&f](const Text& path) -> std::optional<std::string> {
      std::string data;
      if (f.fs.IsLink(path) || !f.fs.Read(path, &data)) return std::nullopt;
      return data;
    };
    ++tally.kills;
    std::string where = GetParam() + ", killed at call " + std::to_string(kill_at) + " of " + std::to_string(calls);
    for (const FileAtRisk& file : scenario->AtRisk()) {
      ++tally.at_risk;
      if (!file.kept(probe)) {
        ++tally.lost;
        ADD_FAILURE() << file.path << " lost, " << where;
      }
    }
    for (const std::string& rel : PartialFiles(Snapshot(in), before, done, moved)) {
      ++tally.partial;
      ADD_FAILURE() << rel << " partial under its final name, " << where;
    }

    scenario->Run(f.ctx);  // the rerun, in this process: the controls as before the killed run
    for (const FileAtRisk& file : scenario->AtRisk()) {
      if (!file.kept(probe)) {
        ++tally.lost;
        ADD_FAILURE() << file.path << " lost by the rerun, " << where;
      }
    }
    std::vector<std::string> unexplained = Unexplained(Snapshot(in), done, f.ui.messages);
    if (!unexplained.empty()) {
      ++tally.differing;
      ADD_FAILURE() << "the rerun left " << unexplained.front() << " unlike an uninterrupted run and did not say so, "
                    << where;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, KillTest, ::testing::ValuesIn(ScenarioNames()), ScenarioTestName);

// Runs `args` and kills it with SIGKILL after `delay`; true when it was
// killed (not ended by itself first).
bool RunAndKill(const std::vector<std::string>& args, std::chrono::microseconds delay, const std::string& cwd) {
  std::fflush(nullptr);
  pid_t pid = ::fork();
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(126);
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    std::vector<char*> argv;
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  if (delay.count() >= 0) {
    std::this_thread::sleep_for(delay);
    ::kill(pid, SIGKILL);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status);
}

std::chrono::microseconds Timed(const std::function<void()>& run) {
  auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - start);
}

void WriteFile(const std::string& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

// A book folder: a project naming pages of some size, so that a run takes a
// few milliseconds.
void MakeProject(const std::string& folder) {
  stdfs::create_directories(folder);
  std::string files;
  std::mt19937 rng(7);
  for (int i = 0; i < 12; ++i) {
    // Declared code page 936, so the book stores each page as it is.
    std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"></head><body>";
    for (int w = 0; w < 1500; ++w) page += "w" + std::to_string(rng() % 5000) + " ";
    WriteFile(folder + "/p" + std::to_string(i) + ".htm", page + "</body></html>");
    files += "p" + std::to_string(i) + ".htm\r\n";
  }
  WriteFile(folder + "/book.hhp",
            "[OPTIONS]\r\nCompiled file=book.chm\r\nDefault topic=p0.htm\r\n\r\n[FILES]\r\n" + files);
}

// True when two books are the same compile but for the times of compiling
// that a book holds (in its header and its #SYSTEM file).
bool SameBook(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  int differing = 0;
  for (std::size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i];
  return differing <= 12;
}

TEST(KillTools, HhcKilledAtRandomInstantsLeavesTheEarlierBookOrAWholeNewOne) {
  TempDir disk;
  const std::string folder = disk.path() + "/book";
  MakeProject(folder);
  ASSERT_FALSE(RunAndKill({HHC_EXE, "book.hhp"}, std::chrono::microseconds(-1), folder));
  const std::string earlier = Snapshot(folder).at("book.chm");
  WriteFile(folder + "/p0.htm", "<html><body>changed</body></html>");  // the next book differs
  Tree changed = Snapshot(folder);
  changed.erase("book.chm");
  const auto length = Timed([&] { RunAndKill({HHC_EXE, "book.hhp"}, std::chrono::microseconds(-1), folder); });
  const std::string fresh = Snapshot(folder).at("book.chm");
  ASSERT_FALSE(SameBook(fresh, earlier));

  std::mt19937 rng(11);
  tally.operations.insert("hhc.exe");
  for (int k = 0; k < kKillsPerOperation; ++k) {
    WriteFile(folder + "/book.chm", earlier);
    RunAndKill({HHC_EXE, "book.hhp"}, std::chrono::microseconds(rng() % (length.count() * 6 / 5 + 1)), folder);
    ++tally.kills;
    Tree now = Snapshot(folder);
    tally.at_risk += static_cast<long>(changed.size()) + 1;
    for (const auto& [rel, bytes] : changed) {
      if (!now.count(rel) || now.at(rel) != bytes) {
        ++tally.lost;
        ADD_FAILURE() << rel << " changed by a killed compile";
      }
    }
    if (!now.count("book.chm")) {
      ++tally.lost;
      ADD_FAILURE() << "the earlier book is gone after kill " << k;
    } else if (now.at("book.chm") != earlier && !SameBook(now.at("book.chm"), fresh)) {
      ++tally.partial;
      ADD_FAILURE() << "book.chm is neither the earlier book nor a whole new one after kill " << k;
    }
    RunAndKill({HHC_EXE, "book.hhp"}, std::chrono::microseconds(-1), folder);
    now = Snapshot(folder);
    if (!SameBook(now.at("book.chm"), fresh)) {
      ++tally.differing;
      ADD_FAILURE() << "the rerun's book differs after kill " << k;
    }
    for (const auto& [rel, bytes] : now) {
      if (IsTemporaryFile(rel)) {
        ++tally.differing;
        ADD_FAILURE() << rel << " left by the killed compile and not removed by the rerun";
      }
    }
  }
}

TEST(KillTools, HhKilledAtRandomInstantsLeavesOnlyWholeFilesAndTheRerunFinishes) {
  TempDir disk;
  const std::string folder = disk.path() + "/book";
  MakeProject(folder);
  ASSERT_FALSE(RunAndKill({HHC_EXE, "book.hhp"}, std::chrono::microseconds(-1), folder));
  const std::string book = folder + "/book.chm";
  const std::string out = disk.path() + "/out";
  Tree done;
  const auto length = Timed([&] { RunAndKill({HH_EXE, "-decompile", out, book}, std::chrono::microseconds(-1), "/"); });
  done = Snapshot(out);
  ASSERT_EQ(done.at("p1.htm"), Snapshot(folder).at("p1.htm"));
  // The user's own copy of a page, edited since an earlier unpack, stays;
  // the book's goes beside it.
  done["p2 (book.chm).htm"] = done.at("p2.htm");
  done["p2.htm"] = "edited by the user";

  std::mt19937 rng(13);
  tally.operations.insert("hh.exe");
  for (int k = 0; k < kKillsPerOperation; ++k) {
    RemoveTree(out);
    stdfs::create_directory(out);
    WriteFile(out + "/p2.htm", "edited by the user");
    RunAndKill({HH_EXE, "-decompile", out, book}, std::chrono::microseconds(rng() % (length.count() * 6 / 5 + 1)), "/");
    ++tally.kills;
    ++tally.at_risk;
    Tree now = Snapshot(out);
    if (now["p2.htm"] != "edited by the user") {
      ++tally.lost;
      ADD_FAILURE() << "the user's page was replaced after kill " << k;
    }
    Tree before = {{"p2.htm", "edited by the user"}};
    for (const std::string& rel : PartialFiles(now, before, done, {})) {
      ++tally.partial;
      ADD_FAILURE() << rel << " partial under its final name after kill " << k;
    }
    RunAndKill({HH_EXE, "-decompile", out, book}, std::chrono::microseconds(-1), "/");
    now = Snapshot(out);
    if (now != done) {
      ++tally.differing;
      ADD_FAILURE() << "the rerun's folder differs from an uninterrupted unpack after kill " << k;
    }
  }
}

}  // namespace
}  // namespace qm::faults
