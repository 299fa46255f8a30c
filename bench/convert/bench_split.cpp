// The chapter splitter on one large novel against csplit splitting the
// same text at the same rule (as a POSIX basic expression, without the
// rule's exclusions, which csplit cannot say), in the same rounds.
//   bench_split [--single-mb M]   a novel of M MB (default 100) of chapters
//                                 of about 10 KB, in UTF-8 and in GBK

#include <filesystem>
#include <fstream>
#include <string>

#include "batch/bench_support.h"
#include "common/bench_row.h"
#include "common/memory_context.h"
#include "convert/chapter_splitting.h"
#include "core/chapter_rule_text.h"
#include "core/control_names.h"
#include "runtime/encoding.h"

namespace {

namespace fs = std::filesystem;
using namespace qm;
using namespace qm::bench;

// The default rule for csplit: GNU basic syntax, the same classes and
// words, the exclusions left out.
constexpr char kCsplitRule[] =
    "^[ 　]\\{0,4\\}\\(第\\{0,1\\}[0-9０-９〇零一二两三四五六七八九十百千万壹贰叁肆伍陆柒捌玖拾佰仟]\\{1,\\}"
    "[章回节卷集部篇]\\|序章\\|楔子\\|引子\\|序言\\|前言\\|番外\\|后记\\|尾声\\|终章\\|完本感言\\)[^。！？]\\{0,30\\}$";

// Writes a UTF-8 novel of about `size` bytes to `utf8` and its GBK form to
// `gbk`: a preface, then chapters "第N章 ..." of about 10 KB of prose lines,
// a megabyte at a time.
void WriteNovel(const fs::path& utf8, const fs::path& gbk, std::size_t size) {
  std::ofstream out(utf8, std::ios::binary), out_gbk(gbk, std::ios::binary);
  const std::string words = "山雨欲来风满楼他推开门走进了院子里面没有一个人只有灯还亮着她轻轻地说";
  unsigned state = 22;
  auto next = [&state] { return state = state * 1103515245u + 12345u, state >> 16; };
  std::string text = "山雨\r\n作者：某人\r\n\r\n";
  std::size_t written = 0, chapter = 0, in_chapter = 1 << 20;
  while (written < size) {
    while (text.size() < (1u << 20)) {
      if (in_chapter > 10000) {
        text += "第" + std::to_string(++chapter) + "章 雨夜\r\n";
        in_chapter = 0;
      }
      std::string line = "　　";
      for (unsigned n = 40 + next() % 80; n > 0; --n) line += words.substr(3 * (next() % (words.size() / 3)), 3);
      line += "。\r\n";
      if (next() % 50 == 0) line += "第一封信\r\n2024\r\n";
      in_chapter += line.size();
      text += line;
    }
    out << text;
    out_gbk << Gbk(text);
    written += text.size();
    text.clear();
  }
}

}  // namespace

int main(int argc, char** argv) {
  const double mb = Argument(argc, argv, "single-mb", 100);
  ScratchFolder scratch_folder("split");
  if (!scratch_folder.ok()) return 1;
  const fs::path scratch = scratch_folder.path();
  const fs::path utf8 = scratch / "utf8", gbk = scratch / "gbk", trash = scratch / "trash";
  fs::create_directories(utf8);
  fs::create_directories(gbk);
  WriteNovel(utf8 / "novel.txt", gbk / "novel.txt", static_cast<std::size_t>(mb * 1e6));
  const double megabytes = fs::file_size(utf8 / "novel.txt") / 1e6;

  DiskContext run_in;
  Context& ctx = run_in.ctx;
  MemoryControls& ui = run_in.ui;
  ui.SetText(controls::kChapterRuleBox, Gbk(kDefaultChapterRuleUtf8));

  auto ours = [&](const fs::path& folder) {
    return Contender{"ours " + folder.filename().string(),
                     [&, folder] {
                       ui.SetText(controls::kSplitPathBox, (folder / "novel.txt").string());
                       ChapterSplitting(ctx);
                       return ui.messages.back().content.find(Gbk("分成 ")) != Text::npos &&
                              fs::exists(folder / "novel");
                     },
                     [&, folder] { MoveAside((folder / "novel").string(), trash.string()); }};
  };
  std::vector<Contender> run = {ours(utf8), ours(gbk)};
  const fs::path csplit_out = scratch / "csplit";
  run.push_back({"csplit",
                 [&] {
                   return RunChild({"csplit", "-s", "-z", "-n", "5", "-f", (csplit_out / "ch").string(),
                                    (utf8 / "novel.txt").string(), std::string("/") + kCsplitRule + "/", "{*}"},
                                   ChildSetUp{{}, {}, {}, {"LC_ALL=C.UTF-8"}})
                       .ok;
                 },
                 [&] {
                   MoveAside(csplit_out.string(), trash.string());
                   fs::create_directories(csplit_out);
                 }});
  RunInterleaved(run, 3);
  long ours_texts = 0, csplit_texts = 0;
  for (const auto& e : fs::directory_iterator(utf8 / "novel")) ours_texts += e.is_regular_file();
  for (const auto& e : fs::directory_iterator(csplit_out)) csplit_texts += e.is_regular_file();
  std::printf("texts: ours %ld, csplit %ld\n", ours_texts, csplit_texts);
  char label[64];
  std::snprintf(label, sizeof label, "one novel of %.0f MB", megabytes);
  const double peak = OwnPeakMegabytes();
  PrintRow("chapter splitter, UTF-8 novel", {label, megabytes}, run[0], &run[2], peak, "<= 1.5, < 50 MB");
  PrintRow("chapter splitter, GBK novel (csplit on its UTF-8 form)", {label, megabytes}, run[1], &run[2], peak,
           "<= 1.5, < 50 MB");
  return run[0].ok && run[1].ok ? 0 : 1;
}
