// hhc.exe as the main program runs it: one project path, exit status and
// messages; hha.dll loaded from the program's own folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

struct RunResult {
  int exit_code = -1;
  std::string err;
  std::string progress;  // the lines on the progress descriptor
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

RunResult RunHhc(const std::string& program, const std::string& arg, const std::string& dir) {
  std::string err_path = dir + "/stderr.txt";
  std::string progress_path = dir + "/progress.txt";
  RunResult r;
  pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen(err_path.c_str(), "w", stderr);
    int progress = ::open(progress_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (progress < 0 || ::dup2(progress, 3) < 0) ::_exit(126);
    ::setenv("QUILLMERE_PROGRESS_FD", "3", 1);
    ::execl(program.c_str(), program.c_str(), arg.c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) r.exit_code = WEXITSTATUS(status);
  r.err = ReadAll(err_path);
  r.progress = ReadAll(progress_path);
  return r;
}

void Write(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

TEST(HhcFront, CompilesAProjectGivenByUtf8Path) {
  qm::TempDir dir;
  std::string book = dir.path() + "/书";
  fs::create_directory(book);
  Write(book + "/a.htm", "<html>a</html>");
  Write(book + "/书.hhp", "[OPTIONS]\r\nCompiled file=out.chm\r\nDefault topic=a.htm\r\n[FILES]\r\na.htm\r\n");
  RunResult r = RunHhc(HHC_EXE, book + "/书.hhp", dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_GT(fs::file_size(book + "/out.chm"), 0u);
}

TEST(HhcFront, SkippedPagesAreWarningsOnStderrNotFailures) {
  // The book folder and the book's name hold an emoji; the project spells
  // it with the main program's name escape (0xFF, its UTF-8 bytes, 0xFF).
  qm::TempDir dir;
  std::string book = dir.path() + "/书😀";
  fs::create_directory(book);
  const std::string escaped = "\xFF\xF0\x9F\x98\x80\xFF";
  Write(book + "/a😀.htm", "<html>a</html>");
  Write(book + "/p.hhp", "[OPTIONS]\r\nCompiled file=b" + escaped + ".chm\r\nDefault topic=a" + escaped +
                             ".htm\r\n[FILES]\r\na" + escaped + ".htm\r\nmissing.htm\r\n..\\out.htm\r\nq:r.htm\r\n");
  Write(book + "/q:r.htm", "q");
  RunResult r = RunHhc(HHC_EXE, book + "/p.hhp", dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_GT(fs::file_size(book + "/b😀.chm"), 0u);
  EXPECT_NE(r.err.find("Warning: file \"missing.htm\" not found"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("a😀.htm"), std::string::npos) << "the emoji page was not found: " << r.err;
  // The program that started the compiler learns of every page left out.
  for (const char* name : {"missing.htm", "..\\out.htm", "q:r.htm"})
    EXPECT_NE(r.progress.find(std::string("\nLEFT ") + name + "\n"), std::string::npos) << name << r.progress;
  EXPECT_EQ(r.progress.find("LEFT a"), std::string::npos) << r.progress;
}

TEST(HhcFront, FailuresExitNonZeroWithAMessage) {
  qm::TempDir dir;
  RunResult missing = RunHhc(HHC_EXE, dir.path() + "/none.hhp", dir.path());
  EXPECT_NE(missing.exit_code, 0);
  EXPECT_NE(missing.err.find("none.hhp"), std::string::npos) << missing.err;
  // A folder named like a project is refused, the earlier book kept.
  fs::create_directory(dir.path() + "/bk.hhp");
  Write(dir.path() + "/bk.chm", "earlier");
  RunResult folder = RunHhc(HHC_EXE, dir.path() + "/bk.hhp", dir.path());
  EXPECT_NE(folder.exit_code, 0);
  EXPECT_EQ(ReadAll(dir.path() + "/bk.chm"), "earlier");
}

TEST(HhcFront, WithoutItsLibraryItSaysSoAndFails) {
  qm::TempDir dir;
  std::string copy = dir.path() + "/hhc.exe";
  fs::copy_file(HHC_EXE, copy);
  fs::permissions(copy, fs::perms::owner_all);
  Write(dir.path() + "/p.hhp", "[OPTIONS]\r\nCompiled file=p.chm\r\n");
  RunResult r = RunHhc(copy, dir.path() + "/p.hhp", dir.path());
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.err.find("hha.dll"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() + "/p.chm"));

  // A file of that name that is no library is refused the same way.
  Write(dir.path() + "/hha.dll", "not a library");
  r = RunHhc(copy, dir.path() + "/p.hhp", dir.path());
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.err.find("hha.dll"), std::string::npos) << r.err;
}

// The compiled file replaces only an earlier book: never the project, a
// page of the book, a file its pages refer to, or any other file that is
// not a CHM book; the refusal says why and changes nothing.
TEST(HhcFront, CompiledFileReplacesOnlyAnEarlierBook) {
  qm::TempDir dir;
  Write(dir.path() + "/a.htm", "<html><img src=pic.gif></html>");
  Write(dir.path() + "/pic.gif", "GIF89a");
  Write(dir.path() + "/notes.txt", "notes");
  for (const char* target : {"p.hhp", "a.htm", "pic.gif", "notes.txt"}) {
    const std::string project = std::string("[OPTIONS]\r\nCompiled file=") + target + "\r\n[FILES]\r\na.htm\r\n";
    Write(dir.path() + "/p.hhp", project);
    const std::string before = ReadAll(dir.path() + "/" + target);
    RunResult r = RunHhc(HHC_EXE, dir.path() + "/p.hhp", dir.path());
    EXPECT_NE(r.exit_code, 0) << target;
    EXPECT_NE(r.err.find("was not replaced"), std::string::npos) << r.err;
    EXPECT_EQ(ReadAll(dir.path() + "/" + target), before) << target;
  }
  Write(dir.path() + "/old.chm", "ITSF an earlier book");
  Write(dir.path() + "/p.hhp", "[OPTIONS]\r\nCompiled file=old.chm\r\n[FILES]\r\na.htm\r\n");
  RunResult r = RunHhc(HHC_EXE, dir.path() + "/p.hhp", dir.path());
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_GT(fs::file_size(dir.path() + "/old.chm"), 100u);
}

// A file past what a book may hold (a sparse one of 4 GiB here) is refused
// with a clear message before anything is compressed; a page of a million
// references keeps the compiler's memory small.
TEST(HhcFront, BigFilesAreRefusedAndManyReferencesTakeLittleMemory) {
  qm::TempDir dir;
  {
    std::ofstream big(dir.path() + "/big.bin", std::ios::binary);
    big.seekp((std::streamoff{1} << 32) + 1);
    big << 'x';
  }
  Write(dir.path() + "/p.hhp", "[OPTIONS]\r\nCompiled file=p.chm\r\n[FILES]\r\nbig.bin\r\n");
  RunResult r = RunHhc(HHC_EXE, dir.path() + "/p.hhp", dir.path());
  EXPECT_NE(r.exit_code, 0);
  EXPECT_NE(r.err.find("2 GiB"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir.path() + "/p.chm"));

  std::string page = "<html>";
  for (int i = 0; i < 1000000; ++i) page += "<img src=../m" + std::to_string(i) + ".gif>";
  Write(dir.path() + "/a.htm", page + "</html>");
  Write(dir.path() + "/p.hhp", "[OPTIONS]\r\nCompiled file=p.chm\r\n[FILES]\r\na.htm\r\n");
  pid_t pid = ::fork();
  if (pid == 0) {
    std::freopen("/dev/null", "w", stdout);
    std::freopen("/dev/null", "w", stderr);
    ::execl(HHC_EXE, HHC_EXE, (dir.path() + "/p.hhp").c_str(), static_cast<char*>(nullptr));
    ::_exit(127);
  }
  int status = 0;
  struct rusage usage {};
  ::wait4(pid, &status, 0, &usage);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
#if !defined(__SANITIZE_ADDRESS__)
  EXPECT_LT(usage.ru_maxrss, 100L * 1024) << "kilobytes at most";
#endif
}

}  // namespace
