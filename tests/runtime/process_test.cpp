// Command-line splitting and starting programs: where a program is looked
// up (never in the current directory), waiting, exit status, failures.
#include "runtime/process.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "runtime/encoding.h"
#include "support/temp_dir.h"

namespace qm {
namespace {

using Args = std::vector<Text>;

TEST(SplitCommandLine, QuotesAndBackslashesFollowCommandLineToArgvW) {
  EXPECT_EQ(SplitCommandLine("hhc.exe a.hhp"), (Args{"hhc.exe", "a.hhp"}));
  EXPECT_EQ(SplitCommandLine("  p  a\tb  "), (Args{"p", "a", "b"}));
  EXPECT_EQ(SplitCommandLine(""), Args{});
  EXPECT_EQ(SplitCommandLine("   "), Args{});
  EXPECT_EQ(SplitCommandLine(R"(p "a b" c)"), (Args{"p", "a b", "c"}));
  EXPECT_EQ(SplitCommandLine(R"(p a"b c"d)"), (Args{"p", "ab cd"}));
  EXPECT_EQ(SplitCommandLine(R"(p "")"), (Args{"p", ""}));
  // Backslashes: literal unless they come before a quote.
  EXPECT_EQ(SplitCommandLine(R"(p C:\dir\file.txt)"), (Args{"p", R"(C:\dir\file.txt)"}));
  EXPECT_EQ(SplitCommandLine(R"(p "C:\dir\\")"), (Args{"p", R"(C:\dir\)"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\"b)"), (Args{"p", R"(a"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\\"b)"), (Args{"p", R"(a\"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(p a\\\\"b c")"), (Args{"p", R"(a\\b c)"}));
  // Two quotes inside quotes: a literal quote, and the quoted part ends.
  EXPECT_EQ(SplitCommandLine(R"(p "a""b")"), (Args{"p", R"(a"b)"}));
  EXPECT_EQ(SplitCommandLine(R"(p "a"" b")"), (Args{"p", R"(a")", "b"}));
  EXPECT_EQ(SplitCommandLine(R"(p """a""")"), (Args{"p", R"("a")"}));
}

TEST(SplitCommandLine, TheProgramNameTakesNoEscapes) {
  EXPECT_EQ(SplitCommandLine(R"("C:\Program Files\x.exe" -a)"), (Args{R"(C:\Program Files\x.exe)", "-a"}));
  EXPECT_EQ(SplitCommandLine(R"(C:\dir\"x.exe a)"), (Args{R"(C:\dir\"x.exe)", "a"}));
  EXPECT_EQ(SplitCommandLine(R"("a b"c d)"), (Args{"a b", "c", "d"}));
  EXPECT_EQ(SplitCommandLine(R"(a"b c"d)"), (Args{R"(a"b)", R"(cd)"}));
}

TEST(SplitCommandLine, TheSecondByteOfACharacterIsNoBackslash) {
  // "乗" is 0x81 0x5C: its second byte is the code of "\".
  const Text jou = "\x81\x5C";
  EXPECT_EQ(SplitCommandLine("p \"/books/" + jou + "\" next"), (Args{"p", "/books/" + jou, "next"}));
  EXPECT_EQ(SplitCommandLine("p " + Gbk("中文 书")), (Args{"p", Gbk("中文"), Gbk("书")}));
}

// Scratch folders with small shell-script programs, and the environment
// and current directory put back afterwards.
class ProcessTest : public ::testing::Test {
 protected:
  ProcessTest() {
    const char* path = std::getenv("PATH");
    saved_path_ = path ? path : "";
    saved_cwd_ = std::filesystem::current_path();
    for (const char* sub : {"own", "system", "onpath", "cwd", "out"}) std::filesystem::create_directory(Dir(sub));
    ::setenv("PATH", (Dir("onpath") + ":/usr/bin:/bin").c_str(), 1);
  }
  ~ProcessTest() override {
    ::setenv("PATH", saved_path_.c_str(), 1);
    std::filesystem::current_path(saved_cwd_);
  }
  std::string Dir(const std::string& sub) const { return tmp_.path() + "/" + sub; }
  std::string Out(const std::string& name) const { return Dir("out") + "/" + name; }
  // A program `name` in folder `sub` that runs the shell `body`.
  void Program(const std::string& sub, const std::string& name, const std::string& body) {
    std::string path = Dir(sub) + "/" + name;
    std::ofstream(path) << "#!/bin/sh\n" << body << "\n";
    ::chmod(path.c_str(), 0755);
  }
  static std::string Slurp(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  RealProcessRunner Runner() { return RealProcessRunner({Dir("own"), Dir("system")}); }

  TempDir tmp_;
  std::string saved_path_;
  std::filesystem::path saved_cwd_;
};

TEST_F(ProcessTest, LooksInTheOwnFoldersFirstThenPath) {
  Program("own", "tool", "echo own > " + Out("who"));
  Program("system", "tool", "echo system > " + Out("who"));
  Program("onpath", "tool", "echo path > " + Out("who"));
  Program("system", "tool2", "echo system > " + Out("who2"));
  Program("onpath", "tool2", "echo path > " + Out("who2"));
  Program("onpath", "tool3", "echo path > " + Out("who3"));
  RealProcessRunner runner = Runner();
  EXPECT_TRUE(runner.Run("tool", true).started);
  EXPECT_TRUE(runner.Run("tool2", true).started);
  EXPECT_TRUE(runner.Run("tool3", true).started);
  EXPECT_EQ(Slurp(Out("who")), "own\n");
  EXPECT_EQ(Slurp(Out("who2")), "system\n");
  EXPECT_EQ(Slurp(Out("who3")), "path\n");
  EXPECT_EQ(runner.Locate("tool3"), Dir("onpath") + "/tool3");
}

TEST_F(ProcessTest, NeverRunsAProgramPlantedInTheCurrentDirectory) {
  Program("cwd", "planted", "echo ran > " + Out("planted"));
  std::filesystem::current_path(Dir("cwd"));
  // Not even when PATH names the current directory, plainly or as "".
  ::setenv("PATH", (":.:" + Dir("onpath") + "::").c_str(), 1);
  RealProcessRunner runner = Runner();
  RunResult r = runner.Run("planted", true);
  EXPECT_FALSE(r.started);
  EXPECT_FALSE(std::filesystem::exists(Out("planted")));
  EXPECT_EQ(runner.Locate("planted"), "");
  // A path that names the folder on purpose is a different matter.
  EXPECT_TRUE(runner.Run("./planted", true).started);
  EXPECT_TRUE(std::filesystem::exists(Out("planted")));
}

TEST_F(ProcessTest, PassesArgumentsAsUtf8AndInheritsTheCurrentDirectory) {
  Program("own", "args", "for a in \"$@\"; do echo \"[$a]\"; done > " + Out("args") + "; pwd > " + Out("pwd"));
  std::filesystem::current_path(Dir("cwd"));
  RunResult r = Runner().Run(Gbk("args \"a b\" 中文 x\\\"y"), true);
  EXPECT_TRUE(r.started);
  EXPECT_EQ(Slurp(Out("args")), "[a b]\n[中文]\n[x\"y]\n");
  EXPECT_EQ(Slurp(Out("pwd")), Dir("cwd") + "\n");
}

TEST_F(ProcessTest, WaitsAndReportsTheExitStatus) {
  Program("own", "seven", "sleep 0.2; echo done > " + Out("seven") + "; exit 7");
  RunResult r = Runner().Run("seven", true);
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.exit_status, 7);
  EXPECT_EQ(Slurp(Out("seven")), "done\n");
  Program("own", "killed", "kill -9 $$");
  r = Runner().Run("killed", true);
  EXPECT_TRUE(r.started);
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.exit_status, -1);
}

TEST_F(ProcessTest, WithoutTheWaitFlagReturnsWhileTheChildStillRuns) {
  // The child runs until the test lets it go (or 20 s pass).
  std::string go = Out("go");
  Program("own", "blocked", "i=0; while [ ! -e " + go + " ] && [ $i -lt 200 ]; do sleep 0.1; i=$((i+1)); done");
  RunResult r = Runner().Run("blocked", false);
  EXPECT_TRUE(r.started);
  EXPECT_FALSE(r.finished);
  std::ofstream(go) << "go";
}

TEST_F(ProcessTest, AProgramThatCannotBeStartedGivesFalse) {
  RealProcessRunner runner = Runner();
  EXPECT_FALSE(runner.Run("no-such-program-quillmere", true).started);
  EXPECT_FALSE(runner.Run("no-such-program-quillmere", false).started);
  EXPECT_FALSE(runner.Run("", true).started);
  EXPECT_FALSE(runner.Run(Dir("own") + "/missing", true).started);
  // Found but not executable, or a folder.
  std::ofstream(Dir("own") + "/plain") << "#!/bin/sh\n";
  EXPECT_FALSE(runner.Run("plain", true).started);
  EXPECT_FALSE(runner.Run(Dir("own"), true).started);
}

TEST(OwnFolder, IsTheFolderOfThisTestProgram) {
  std::string own = OwnFolder();
  ASSERT_FALSE(own.empty());
  EXPECT_TRUE(std::filesystem::is_directory(own));
  EXPECT_EQ(std::filesystem::canonical("/proc/self/exe").parent_path().string(), own);
}

// A progress that records every report and asks to stop at a given count.
struct RecordingProgress : Progress {
  long stop_at = -1;
  std::vector<std::string> seen;
  bool Show(long done, long total, const Text& current) override {
    std::string line = std::to_string(done) + "/" + std::to_string(total) + " " + Utf8FromGbk(current);
    if (seen.empty() || seen.back() != line) seen.push_back(line);
    return done != stop_at;
  }
};

TEST_F(ProcessTest, ChildProgressReachesTheProgressAndItsOutputOnlyTheLog) {
  // Progress lines on the descriptor the environment names; chatter on
  // standard output and error, which must end up in the log only.
  Program("own", "worker",
          "for i in 0 1 2; do echo \"$i 3 页$i.htm\" >&$QUILLMERE_PROGRESS_FD; echo out$i; echo err$i >&2; done");
  RealProcessRunner runner = Runner();
  RecordingProgress progress;
  runner.SetProgress(&progress);
  runner.SetLogFolder(Dir("out"));
  testing::internal::CaptureStdout();
  RunResult r = runner.Run("worker", true);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_TRUE(r.finished);
  EXPECT_EQ(r.exit_status, 0);
  EXPECT_EQ(r.log_path, Out("worker.log"));
  EXPECT_EQ(Slurp(r.log_path), "out0\nerr0\nout1\nerr1\nout2\nerr2\n");
  ASSERT_FALSE(progress.seen.empty());
  EXPECT_EQ(progress.seen.front(), "0/3 页0.htm");
  EXPECT_EQ(progress.seen.back(), "2/3 页2.htm");
}

TEST_F(ProcessTest, StopAndStallEndTheChildAndSaySo) {
  // A child that honours SIGTERM between two files, and one that ignores it.
  Program("own", "polite",
          "trap 'echo \"$i 100\" >&$QUILLMERE_PROGRESS_FD; exit 1' TERM; i=0; "
          "while [ $i -lt 100 ]; do echo \"$i 100 f$i\" >&$QUILLMERE_PROGRESS_FD; sleep 0.05; i=$((i+1)); done");
  Program("own", "stuck", "trap '' TERM; sleep 30");
  RealProcessRunner runner = Runner();
  runner.SetTimeouts(400, 300);
  RecordingProgress progress;
  progress.stop_at = 3;
  runner.SetProgress(&progress);
  RunResult r = runner.Run("polite", true);
  EXPECT_TRUE(r.stopped);
  EXPECT_FALSE(r.stalled);
  EXPECT_TRUE(r.finished);
  EXPECT_NE(r.exit_status, 0);
  EXPECT_TRUE(progress.Stopped());
  EXPECT_GE(progress.DoneCount(), 3);
  EXPECT_LT(progress.DoneCount(), 100);

  RecordingProgress patient;
  runner.SetProgress(&patient);
  auto start = std::chrono::steady_clock::now();
  r = runner.Run("stuck", true);
  EXPECT_TRUE(r.stalled);
  EXPECT_TRUE(r.finished);
  EXPECT_NE(r.exit_status, 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

}  // namespace
}  // namespace qm
