// Compiles the same generated book with our hhc.exe and with chmcmd (Debian
// fp-utils) in one run and prints one table row: time, peak memory of the
// child, output size, and the ratios between the two.
#include "common/bench_row.h"
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "gbk.h"

namespace fs = std::filesystem;

namespace {

struct Measure {
  bool ok = false;
  double seconds = 0;
  long peak_kb = 0;
  std::uintmax_t output_bytes = 0;
};

Measure RunChild(const std::vector<std::string>& args, const std::string& cwd, const std::string& output) {
  Measure m;
  fs::remove(output);
  auto start = std::chrono::steady_clock::now();
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
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  m.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  m.peak_kb = usage.ru_maxrss;
  m.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::exists(output);
  if (m.ok) m.output_bytes = fs::file_size(output);
  return m;
}

std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string all = path ? path : "/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= all.size()) {
    std::size_t colon = all.find(':', start);
    std::string dir = all.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
    if (::access((dir + "/" + name).c_str(), X_OK) == 0) return dir + "/" + name;
    if (colon == std::string::npos) break;
    start = colon + 1;
  }
  return {};
}

std::string Gbk(const std::string& utf8) { return hha::Utf8ToGbk(utf8).value_or("?"); }

// Word lists with a skewed choice, so pages compress like real prose.
class Prose {
 public:
  explicit Prose(unsigned seed) : rng_(seed) {
    std::uniform_int_distribution<int> letter('a', 'z'), len(1, 9);
    for (int i = 0; i < 3000; ++i) {
      std::string w;
      for (int k = len(rng_); k > 0; --k) w += static_cast<char>(letter(rng_));
      ascii_.push_back(w + " ");
    }
    const std::string han =
        "的一是在不了有和人这中大为上个国我以要他时来用们生到作地于出就分对成会可主发年动同工也能下过子说产种面而方"
        "后多定行学法所民得经十三之进着等部度家电力里如水化高自二理起小物现实加量都两体制机当使点从业本去把性好应开它"
        "合还因由其些然前外天政四日那社义事平形相全表间样与关各重新线内数正心反你明看原又么利比或但质气第向道命此变条";
    std::vector<std::string> chars;
    for (std::size_t i = 0; i + 3 <= han.size(); i += 3) chars.push_back(Gbk(han.substr(i, 3)));
    std::uniform_int_distribution<std::size_t> pick(0, chars.size() - 1);
    for (int i = 0; i < 3000; ++i) {
      std::string w = chars[pick(rng_)];
      if (i % 3) w += chars[pick(rng_)];
      chinese_.push_back(w);
    }
    chinese_.push_back(Gbk("，"));
    chinese_.push_back(Gbk("。"));
  }

  std::string Page(std::size_t size, bool chinese) {
    const std::vector<std::string>& words = chinese ? chinese_ : ascii_;
    std::geometric_distribution<std::size_t> zipfish(0.004);
    std::string body;
    body.reserve(size + 256);
    int in_paragraph = 0;
    while (body.size() < size) {
      if (in_paragraph == 0) body += "<p>";
      body += words[zipfish(rng_) % words.size()];
      if (++in_paragraph == 80) {
        body += "</p>\r\n";
        in_paragraph = 0;
      }
    }
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\">"
           "<title>page</title></head><body>\r\n" + body + "\r\n</body></html>\r\n";
  }

 private:
  std::mt19937 rng_;
  std::vector<std::string> ascii_, chinese_;
};

void Write(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace

int main(int argc, char** argv) {
  int pages = 2000;
  std::size_t page_kb = 20;
  std::string keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    std::string a = argv[i];
    if (a == "--pages") pages = std::atoi(argv[i + 1]);
    if (a == "--page-kb") page_kb = static_cast<std::size_t>(std::atoi(argv[i + 1]));
    if (a == "--keep") keep = argv[i + 1];
  }
  std::string self = fs::read_symlink("/proc/self/exe").parent_path().string();
  std::string hhc = self + "/hhc.exe";
  std::string chmcmd = FindOnPath("chmcmd");

  std::string scratch_pattern = (fs::temp_directory_path() / "bench-compile-XXXXXX").string();
  std::string root = keep.empty() ? std::string(::mkdtemp(scratch_pattern.data())) : keep;
  fs::create_directories(root);

  // The book: pages in folders, half ASCII, half GBK, some Chinese names.
  Prose prose(2024);
  std::vector<std::string> listed_utf8;
  std::string contents_gbk, contents_utf8;
  const std::string header =
      "<HTML><HEAD><META name=\"GENERATOR\" content=\"Vellumix 1.0.1\">\r\n<!-- Sitemap 1.0 --></HEAD><BODY>\r\n"
      "<OBJECT type=\"text/site properties\">\r\n<PARAM name=\"Window Styles\" value=\"0x800627\">\r\n"
      "<PARAM name=\"ImageType\" value=\"Folder\">\r\n</OBJECT>\r\n<UL>\r\n";
  std::string entries;
  std::uintmax_t total = 0;
  for (int i = 0; i < pages; ++i) {
    bool chinese = i % 2 == 1;
    std::string folder = "vol" + std::to_string(i / 250);
    std::string name = (i % 10 == 3) ? "第" + std::to_string(i) + "页.htm" : std::to_string(1000 + i) + ".htm";
    std::string content = prose.Page(page_kb * 1024, chinese);
    total += content.size();
    Write(fs::path(root) / folder / name, content);
    std::string rel = folder + "\\" + name;
    listed_utf8.push_back(rel);
    entries += "<LI><OBJECT type=\"text/sitemap\">\r\n<PARAM name=\"Name\" value=\"" + std::to_string(i) +
               "\">\r\n<PARAM name=\"Local\" value=\"" + rel + "\">\r\n</OBJECT>\r\n";
  }
  std::string contents = header + entries + "\r\n</UL></BODY></HTML>";
  Write(fs::path(root) / "book.hhc", Gbk(contents));
  std::string files;
  for (const std::string& f : listed_utf8) files += f + "\r\n";
  std::string window = "win=\"book\",\"book.hhc\",,\"" + listed_utf8[0] + "\",\"" + listed_utf8[0] +
                       "\",,,,,0x040120,,0x304E,[0,0,1010,738],0x0,0x0,,,,,\r\n";
  // Ours: the project exactly as the CHM tab writes it (code page 936).
  Write(fs::path(root) / "book.hhp",
        Gbk("[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=book.chm\r\n"
            "Default topic=" + listed_utf8[0] + "\r\n\r\n[WINDOWS]\r\n" + window + "\r\n[FILES]\r\n\r\n" + files));
  // chmcmd's: UTF-8 names (it does not convert), and the contents named in
  // [OPTIONS], since it ignores the one in [WINDOWS].
  Write(fs::path(root) / "ref.hhc", contents);
  Write(fs::path(root) / "ref.hhp",
        "[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=ref.chm\r\n"
        "Contents file=ref.hhc\r\nLanguage=0x804\r\nDefault topic=" + listed_utf8[0] + "\r\n\r\n[WINDOWS]\r\n" +
            window + "\r\n[FILES]\r\n\r\n" + files);

  Measure ours = RunChild({hhc, root + "/book.hhp"}, root, root + "/book.chm");
  Measure ref;
  if (!chmcmd.empty()) ref = RunChild({chmcmd, "ref.hhp"}, root, root + "/ref.chm");

  std::printf("| workload | hhc.exe s | chmcmd s | speed-up | hhc.exe peak MB | chmcmd peak MB | hhc.exe bytes | "
              "chmcmd bytes | size ratio |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  std::printf("| %d pages, %.1f MB | %.2f%s | ", pages, total / 1048576.0, ours.seconds, ours.ok ? "" : " (FAILED)");
  if (ref.ok)
    std::printf("%.2f | %.1fx | ", ref.seconds, ref.seconds / ours.seconds);
  else
    std::printf("%s | - | ", chmcmd.empty() ? "not installed" : "failed");
  std::printf("%.1f | ", ours.peak_kb / 1024.0);
  if (ref.ok)
    std::printf("%.1f | ", ref.peak_kb / 1024.0);
  else
    std::printf("- | ");
  std::printf("%ju | ", ours.output_bytes);
  if (ref.ok)
    std::printf("%ju | %.3f |\n", ref.output_bytes, static_cast<double>(ours.output_bytes) / ref.output_bytes);
  else
    std::printf("- | - |\n");
  qm::bench::PrintRow("compile a 2,000-page book (40 MB)", ours.seconds, "chmcmd", ref.ok ? ref.seconds : 0,
                      ours.peak_kb / 1024.0, "<= 0.2, < 100 MB");

  if (keep.empty()) fs::remove_all(root);
  return ours.ok ? 0 : 1;
}
