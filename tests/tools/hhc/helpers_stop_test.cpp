// hhc.exe and hh.exe run the way the window runs them: one progress line
// per file on the pipe, and a stop that ends them between two files with
// no partial book and no partial page left behind.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>

#include "runtime/encoding.h"
#include "runtime/process.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

namespace fs = std::filesystem;

struct StopAt : Progress {
  long stop_at = -1;
  long most = -1;
  long total = 0;
  bool Show(long done, long t, const Text&) override {
    most = std::max(most, done);
    total = t;
    return stop_at < 0 || done < stop_at;
  }
};

std::set<std::string> Names(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(dir)) names.insert(fs::relative(e.path(), dir).string());
  return names;
}

std::string Slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(HelperPrograms, ReportEachFileAndStopCleanly) {
  TempDir dir;
  const std::string book = dir.path() + "/book";
  fs::create_directory(book);
  // Pages big enough that compiling and unpacking outlast the stop signal.
  constexpr int kPages = 30;
  std::mt19937 random(7);
  std::ofstream project(book + "/book.hhp");
  project << "[OPTIONS]\r\nCompiled file=book.chm\r\nDefault topic=p0.htm\r\n\r\n[FILES]\r\n";
  for (int i = 0; i < kPages; ++i) {
    // Declaring code page 936, the page is stored byte for byte.
    std::string page =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\"></head><body>";
    for (int k = 0; k < 150000; ++k) page.push_back(static_cast<char>('a' + random() % 26));
    std::ofstream(book + "/p" + std::to_string(i) + ".htm", std::ios::binary) << page << "</body></html>";
    project << "p" << i << ".htm\r\n";
  }
  project.close();
  const std::set<std::string> before = Names(book);

  const std::string bin = fs::path(HHC_EXE).parent_path().string();
  RealProcessRunner runner({bin});
  fs::current_path(book);

  // Stopped at the first file: no book, nothing else left in the folder.
  StopAt stop;
  stop.stop_at = 0;
  runner.SetProgress(&stop);
  RunResult r = runner.Run("hhc.exe book.hhp", true);
  EXPECT_TRUE(r.stopped);
  EXPECT_NE(r.exit_status, 0);
  EXPECT_EQ(Names(book), before);

  // A whole run reports every file.
  StopAt all;
  runner.SetProgress(&all);
  r = runner.Run("hhc.exe book.hhp", true);
  ASSERT_EQ(r.exit_status, 0);
  EXPECT_EQ(all.total, kPages);
  EXPECT_EQ(all.most, kPages - 1);

  // Unpacking stopped early: every page written is whole, none is partial.
  StopAt unpack;
  unpack.stop_at = 0;
  runner.SetProgress(&unpack);
  r = runner.Run("hh.exe -decompile out book.chm", true);
  EXPECT_TRUE(r.stopped);
  std::set<std::string> out = Names(book + "/out");
  if (r.exit_status != 0) {  // unless it was quicker than the signal
    EXPECT_LT(out.size(), static_cast<std::size_t>(kPages));
    EXPECT_EQ(unpack.DoneCount(), static_cast<long>(out.size()));
  }
  for (const std::string& name : out) {
    EXPECT_TRUE(before.count(name)) << name;
    EXPECT_EQ(Slurp(book + "/out/" + name), Slurp(book + "/" + name)) << name;
  }
  fs::current_path(dir.path());
}

}  // namespace
}  // namespace qm
