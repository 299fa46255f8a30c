// Compiles the same generated book with our hhc.exe on every core, with it
// on one thread (QUILLMERE_THREADS=1) and with chmcmd (Debian fp-utils),
// taking turns, and prints the time rows (against chmcmd, and all threads
// against one) and the size row: a book of text pages and the same book
// with three files in ten images.
// Then an ASCII book with "Full-text search=Yes", against chmcmd asked for
// the same (it cannot index code page 936 text) and against our compile
// without it.
//   bench_compile [--scale S] [--keep DIR]   125 x S pages of 20 KB (scale 16:
//   2,000 pages, 41 MB)
//   bench_compile --big [--keep DIR]   50,000 pages of 4 KB and a tree of
//   500 MB (25,000 pages of 20 KB), ours only, with peak memory and the cost
//   per MB against that of 125 pages
#include <unistd.h>
#include "common/bench_row.h"
#include "common/child_run.h"

#include <algorithm>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "runtime/encoding.h"
#include "runtime/work_pool.h"
#include "support/temp_dir.h"

namespace fs = std::filesystem;

namespace {

using qm::Gbk;

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
           "<title>page</title></head><body>\r\n" +
           body + "\r\n</body></html>\r\n";
  }

 private:
  std::mt19937 rng_;
  std::vector<std::string> ascii_, chinese_;
};

// Bytes that do not compress, like those of a photograph.
std::string ImageBytes(std::size_t size, std::mt19937& rng) {
  std::string bytes = "\xFF\xD8\xFF\xE0";
  while (bytes.size() < size) bytes += static_cast<char>(rng() & 0xFF);
  return bytes;
}

void Write(const fs::path& p, const std::string& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream out(p, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Makes the book in `root` (pages, contents, our project and chmcmd's);
// three files in ten are images when `images`. With `search`, every page is
// ASCII and both projects ask for the search index; book.hhp stays without
// it, search.hhp has it. Returns its bytes.
std::uintmax_t MakeBook(const std::string& root, int pages, std::size_t page_kb, bool images, bool search = false) {
  Prose prose(2024);
  std::mt19937 rng(5);
  std::vector<std::string> listed_utf8;
  const std::string header =
      "<HTML><HEAD><META name=\"GENERATOR\" content=\"Vellumix 1.0.1\">\r\n<!-- Sitemap 1.0 --></HEAD><BODY>\r\n"
      "<OBJECT type=\"text/site properties\">\r\n<PARAM name=\"Window Styles\" value=\"0x800627\">\r\n"
      "<PARAM name=\"ImageType\" value=\"Folder\">\r\n</OBJECT>\r\n<UL>\r\n";
  std::string entries;
  std::uintmax_t total = 0;
  for (int i = 0; i < pages; ++i) {
    bool chinese = i % 2 == 1 && !search;
    std::string folder = "vol" + std::to_string(i / 250);
    if (images && i % 10 >= 7) {
      std::string name = "img" + std::to_string(1000 + i) + ".jpg";
      std::string content = ImageBytes(page_kb * 1024, rng);
      total += content.size();
      Write(fs::path(root) / folder / name, content);
      listed_utf8.push_back(folder + "\\" + name);
      continue;
    }
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
  const std::string ours =
      "[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=book.chm\r\n"
      "Default topic=" +
      listed_utf8[0] + "\r\n\r\n[WINDOWS]\r\n" + window + "\r\n[FILES]\r\n\r\n" + files;
  Write(fs::path(root) / "book.hhp", Gbk(ours));
  const std::string option = search ? "Full-text search=Yes\r\n" : "";
  // The option goes inside [OPTIONS]: a line above it belongs to no section.
  if (search) Write(fs::path(root) / "search.hhp", Gbk("[OPTIONS]\r\n" + option + ours.substr(11)));
  // chmcmd's: UTF-8 names (it does not convert), and the contents named in
  // [OPTIONS], since it ignores the one in [WINDOWS].
  Write(fs::path(root) / "ref.hhc", contents);
  Write(fs::path(root) / "ref.hhp",
        "[OPTIONS]\r\nDisplay compile progress=no\r\nDefault Window=win\r\nCompiled file=ref.chm\r\n"
        "Contents file=ref.hhc\r\nLanguage=0x804\r\n" +
            option + "Default topic=" + listed_utf8[0] + "\r\n\r\n[WINDOWS]\r\n" + window + "\r\n[FILES]\r\n\r\n" +
            files);
  return total;
}

std::uintmax_t SizeOf(const std::string& path) {
  std::error_code ec;
  std::uintmax_t n = fs::file_size(path, ec);
  return ec ? 0 : n;
}

// chmcmd compiling ref.hhp in `root`. It is slow, so it has no warm-up:
// the warm-up of ours has read the same pages.
qm::bench::Contender Chmcmd(const std::string& chmcmd, const std::string& root) {
  return {"chmcmd",
          [chmcmd, root] {
            return qm::bench::RunChild({chmcmd, "ref.hhp"}, root).ok;
          },
          [root] { fs::remove(root + "/ref.chm"); }, false};
}

// Our compiler on `threads` threads, timed as one contender; its peak
// memory goes to `peak_kb`.
qm::bench::Contender Ours(const std::string& name, const std::string& hhc, const std::string& root, unsigned threads,
                          long& peak_kb) {
  return {name,
          [=, &peak_kb] {
            const qm::bench::ChildSetUp set_up{root, {}, {}, {"QUILLMERE_THREADS=" + std::to_string(threads)}};
            qm::bench::ChildMeasure m = qm::bench::RunChild({hhc, root + "/book.hhp"}, set_up);
            peak_kb = std::max(peak_kb, m.peak_kb);
            return m.ok && SizeOf(root + "/book.chm") > 0;
          },
          [=] { fs::remove(root + "/book.chm"); }};
}

// A contender whose times are those of `c` per MB of `megabytes`.
qm::bench::Contender PerMegabyte(const qm::bench::Contender& c, double megabytes) {
  qm::bench::Contender per = c;
  for (double& s : per.seconds) s /= megabytes;
  return per;
}

// The generated trees of --big: ours on every thread, with its peak
// memory, and its cost per MB against that of 125 pages of 20 KB.
int RunBig(const std::string& hhc, const std::string& keep, unsigned threads) {
  struct Tree {
    int pages;
    std::size_t page_kb;
  };
  std::vector<qm::bench::Contender> done;
  std::vector<qm::bench::Size> sizes;
  bool all_ok = true;
  for (Tree tree : {Tree{125, 20}, Tree{50000, 4}, Tree{25000, 20}}) {
    std::optional<qm::TempDir> scratch;
    if (keep.empty()) scratch.emplace("bench-compile");
    const std::string root = keep.empty() ? scratch->path() : keep + "/big" + std::to_string(tree.pages);
    fs::create_directories(root);
    const std::uintmax_t total = MakeBook(root, tree.pages, tree.page_kb, false);
    ::sync();
    long peak = 0;
    std::vector<qm::bench::Contender> runs = {Ours("ours", hhc, root, threads, peak)};
    // The small book takes milliseconds: more rounds steady its median.
    qm::bench::RunInterleaved(runs, tree.pages < 1000 ? 9 : 3);
    char label[64];
    std::snprintf(label, sizeof label, "%d files of %zu KB", tree.pages, tree.page_kb);
    const qm::bench::Size size{label, total / 1e6};
    qm::bench::PrintRow("compile, text pages, " + std::to_string(threads) + " threads", size, runs[0], nullptr,
                        peak / 1024.0, "< 200 MB");
    done.push_back(runs[0]);
    sizes.push_back(size);
    all_ok = all_ok && runs[0].ok;
  }
  const qm::bench::Contender small = PerMegabyte(done[0], sizes[0].amount);
  for (std::size_t i = 1; i < done.size(); ++i) {
    qm::bench::Contender per = PerMegabyte(done[i], sizes[i].amount);
    per.name = "ours";
    qm::bench::Contender base = small;
    base.name = "ours, 125 files of 20 KB";
    qm::bench::PrintRow("compile, cost per MB against the smallest book", {sizes[i].label, 0, "ratio"}, per, &base, 0,
                        "flat within 20% (<= 1.2)");
  }
  return all_ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const double scale = qm::bench::Argument(argc, argv, "scale", 1);
  const int pages = 125 * static_cast<int>(scale);
  const std::size_t page_kb = 20;
  std::string keep;
  bool big = false;
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--keep" && i + 1 < argc) keep = argv[i + 1];
    if (std::string(argv[i]) == "--big") big = true;
  }
  const std::string self = fs::read_symlink("/proc/self/exe").parent_path().string();
  const std::string hhc = self + "/hhc.exe";
  const unsigned threads = qm::ThreadCount();
  if (big) return RunBig(hhc, keep, threads);
  const std::string chmcmd = qm::bench::FindOnPath("chmcmd");
  // The aims are set for 2,000 pages; smaller books spend a larger part of
  // their time starting up.
  const bool aimed = pages >= 2000;
  bool all_ok = true;
  for (bool images : {false, true}) {
    std::optional<qm::TempDir> scratch;
    if (keep.empty()) scratch.emplace("bench-compile");
    const std::string root = keep.empty() ? scratch->path() : keep + (images ? "/images" : "/text");
    fs::create_directories(root);
    const std::uintmax_t total = MakeBook(root, pages, page_kb, images);
    ::sync();
    long ours_peak = 0, one_peak = 0;
    // Ours against chmcmd; then all threads against one in rounds of their
    // own, where chmcmd's long runs do not sit between the two, and more
    // of them, as a ratio of two times on a shared machine moves by a
    // tenth from run to run.
    std::vector<qm::bench::Contender> runs = {Ours("ours", hhc, root, threads, ours_peak)};
    if (!chmcmd.empty()) runs.push_back(Chmcmd(chmcmd, root));
    qm::bench::RunInterleaved(runs);
    std::vector<qm::bench::Contender> speed_up = {Ours("ours", hhc, root, threads, ours_peak),
                                                  Ours("ours on 1 thread", hhc, root, 1, one_peak)};
    qm::bench::RunInterleaved(speed_up, 7);
    char label[64];
    std::snprintf(label, sizeof label, "%d files of 20 KB", pages);
    const std::string workload = images ? "compile, 30% images" : "compile, text pages";
    const qm::bench::Size size{label, total / 1e6};
    qm::bench::PrintRow(workload, size, runs[0], runs.size() > 1 ? &runs[1] : nullptr, ours_peak / 1024.0,
                        aimed ? ">= 33x faster (<= 0.03), < 100 MB" : ">= 10x faster (<= 0.1), < 100 MB");
    qm::bench::PrintRow(workload + ", " + std::to_string(threads) + " threads against 1", size, speed_up[0],
                        &speed_up[1], ours_peak / 1024.0, aimed ? ">= 1.7x faster (<= 0.59)" : "-");
    if (speed_up[0].Median() > 0)
      std::printf("speed-up of %u threads over 1: %.2fx\n", threads, speed_up[1].Median() / speed_up[0].Median());
    const std::uintmax_t ours_bytes = SizeOf(root + "/book.chm"), ref_bytes = SizeOf(root + "/ref.chm");
    std::printf("@size %s|%s|%ju|%ju|%.3f|<= 1.0\n", workload.c_str(), label, ours_bytes, ref_bytes,
                ref_bytes ? static_cast<double>(ours_bytes) / ref_bytes : 0.0);
    all_ok = all_ok && runs[0].ok && speed_up[0].ok && speed_up[1].ok;
  }

  // The search index: an ASCII book, since chmcmd ends a word at every
  // byte above 0x7F and so cannot index code page 936 text.
  std::optional<qm::TempDir> scratch;
  if (keep.empty()) scratch.emplace("bench-compile-search");
  const std::string root = keep.empty() ? scratch->path() : keep + "/search";
  fs::create_directories(root);
  const std::uintmax_t total = MakeBook(root, pages, page_kb, false, true);
  ::sync();
  long search_peak = 0;
  auto ours = [&](const std::string& project, long* peak) {
    return qm::bench::Contender{project,
                                [&, project, peak] {
                                  qm::bench::ChildMeasure m = qm::bench::RunChild({hhc, root + "/" + project}, root);
                                  if (peak) *peak = std::max(*peak, m.peak_kb);
                                  return m.ok && SizeOf(root + "/book.chm") > 0;
                                },
                                [&] { fs::remove(root + "/book.chm"); }};
  };
  // Ours with the index against chmcmd; then the cost of the index, with
  // and without it in rounds of their own, where chmcmd's long runs do not
  // sit between the two, and more of them, as the cost is a small
  // difference of two times.
  std::vector<qm::bench::Contender> runs = {ours("search.hhp", &search_peak)};
  if (!chmcmd.empty()) runs.push_back(Chmcmd(chmcmd, root));
  qm::bench::RunInterleaved(runs);
  std::vector<qm::bench::Contender> cost = {ours("search.hhp", &search_peak), ours("book.hhp", nullptr)};
  qm::bench::RunInterleaved(cost, pages < 1000 ? 15 : 7);
  char label[64];
  std::snprintf(label, sizeof label, "%d ASCII files of 20 KB", pages);
  const qm::bench::Size size{label, total / 1e6};
  qm::bench::PrintRow("compile with search index", size, runs[0], runs.size() > 1 ? &runs[1] : nullptr,
                      search_peak / 1024.0, ">= 10x faster (<= 0.1), < 100 MB");
  cost[1].name = "ours without index";
  qm::bench::PrintRow("search index cost", size, cost[0], &cost[1], search_peak / 1024.0, "<= 1.3");
  all_ok = all_ok && runs[0].ok && cost[0].ok && cost[1].ok;
  return all_ok ? 0 : 1;
}
