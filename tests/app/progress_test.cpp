// Every long operation reports each file to the progress before touching it
// and honours a stop between two files: for every stop point k, exactly k
// files are done, the rest are untouched, and the closing message says so.

#include "runtime/progress.h"

#include <gtest/gtest.h>

#include <functional>

#include "batch/file_name_replacement.h"
#include "batch/page_simplifier.h"
#include "batch/reencoding.h"
#include "chm/document_tree.h"
#include "chm/project_files.h"
#include "convert/batch_conversion.h"
#include "convert/control_names.h"
#include "convert/paged_book.h"
#include "runtime/encoding.h"
#include "support/operation_fixture.h"

namespace qm {
namespace {

constexpr int kFiles = 4;

// Stops when `stop_at` files are done; counts the reports.
struct StopAt : Progress {
  long stop_at = -1;
  long reports = 0;
  long last_total = -1;
  bool Show(long done, long total, const Text&) override {
    ++reports;
    last_total = total;
    return done != stop_at;
  }
};

struct Case {
  const char* name;
  std::function<void(MemoryFixture&)> set_up;
  std::function<void(Context&)> run;
  std::function<int(MemoryFixture&)> done;  // files the operation finished
  long total;                               // what it reports as the total (0: unknown)
};

std::string N(int i) { return std::to_string(i); }

int Count(MemoryFixture& f, const std::function<std::string(int)>& path) {
  int n = 0;
  for (int i = 0; i < kFiles; ++i) n += f.fs.Exists(Text(path(i)));
  return n;
}

std::vector<Case> Cases() {
  return {
      {"paged book",
       [](MemoryFixture& f) {
         Text order;
         for (int i = 0; i < kFiles; ++i) {
           f.fs.AddFile("/w/t" + N(i) + ".txt", "text");
           order += "t" + N(i) + ".txt\r\n";
         }
         f.ui.SetText(controls::kBookFolderBox, "/w");
         f.ui.SetText(controls::kOrderListBox, order);
       },
       &PagedBookConversion, [](MemoryFixture& f) { return Count(f, [](int i) { return "/w/00" + N(i) + ".htm"; }); },
       kFiles},
      {"batch conversion",
       [](MemoryFixture& f) {
         for (int i = 0; i < kFiles; ++i) f.fs.AddFile("/w/t" + N(i) + ".txt", "text");
         f.ui.SetText(controls::kBatchFolderBox, "/w");
         f.ui.SetText(controls::kOldExtensionBox, ".txt");
         f.ui.SetText(controls::kNewExtensionBox, ".htm");
       },
       &BatchPageConversion, [](MemoryFixture& f) { return Count(f, [](int i) { return "/w/t" + N(i) + ".htm"; }); },
       0},
      {"undo",
       [](MemoryFixture& f) {
         for (int i = 0; i < kFiles; ++i) f.fs.AddFile("/w/t" + N(i) + ".htm", "page");
         f.ui.SetText(controls::kBatchFolderBox, "/w");
       },
       &UndoBatchConversion, [](MemoryFixture& f) { return Count(f, [](int i) { return "/w/t" + N(i) + ".txt"; }); },
       kFiles},
      {"file names",
       [](MemoryFixture& f) {
         for (int i = 0; i < kFiles; ++i) f.fs.AddFile("/w/t" + N(i) + ".txt", "text");
         f.ui.SetText(controls::kRenameFolderBox, "/w");
         f.ui.SetText(controls::kOldNameTextBox, "txt");
         f.ui.SetText(controls::kNewNameTextBox, "htm");
       },
       &FileNameCharReplacement,
       [](MemoryFixture& f) { return Count(f, [](int i) { return "/w/t" + N(i) + ".htm"; }); }, kFiles},
      {"simplifier",
       [](MemoryFixture& f) {
         for (int i = 0; i < kFiles; ++i) f.fs.AddFile("/w/p" + N(i) + ".htm", "<b>x</b>");
         f.ui.SetText(controls::kSimplifyFolderBox, "/w");
         f.ui.SetText(controls::kSimplifySuffixBox, ".htm");
         f.ui.SetText(controls::kFrontMarkerBox, "<b>");
         f.ui.SetText(controls::kBackMarkerBox, "</b>");
       },
       &PageSimplification,
       [](MemoryFixture& f) { return Count(f, [](int i) { return "/w/" + Gbk("处理后") + "/p" + N(i) + ".htm"; }); },
       kFiles},
      {"re-encoding",
       [](MemoryFixture& f) {
         for (int i = 0; i < kFiles; ++i) f.fs.AddFile("/w/p" + N(i) + ".htm", "page");
         f.ui.SetText(controls::kReencodeFolderBox, "/w");
         f.ui.SetText(controls::kReencodeSuffixBox, ".htm");
       },
       &Utf8ToGb2312Reencoding,
       [](MemoryFixture& f) { return Count(f, [](int i) { return "/w/" + Gbk("处理后") + "/p" + N(i) + ".htm"; }); },
       kFiles},
  };
}

TEST(Progress, EveryOperationStopsBetweenTwoFilesAndSaysHowFarItGot) {
  for (const Case& c : Cases()) {
    for (long stop = 0; stop <= kFiles; ++stop) {
      SCOPED_TRACE(std::string(c.name) + ", stop after " + std::to_string(stop));
      MemoryFixture f;
      f.fs.AddDirectory("/w");
      c.set_up(f);
      StopAt progress;
      progress.stop_at = stop;
      Context ctx{f.fs, f.ui, f.ui, f.ui, f.processes, f.tree, f.random, f.state, progress};
      c.run(ctx);
      EXPECT_EQ(c.done(f), stop);
      EXPECT_GE(progress.reports, std::min<long>(stop + 1, kFiles));
      EXPECT_EQ(progress.last_total, c.total);
      ASSERT_FALSE(f.ui.messages.empty());
      Text first = f.ui.messages.front().content;
      bool says_stopped = first.find(Gbk("已取消：完成 ") + ToText(stop) + Gbk(" 个文件")) == 0;
      EXPECT_EQ(says_stopped, stop < kFiles) << Utf8FromGbk(first);
    }
  }
}

TEST(Progress, BuildingTheContentsWritesNothingWhenStopped) {
  MemoryFixture f;
  f.fs.AddDirectory("/w");
  for (int i = 0; i < kFiles; ++i) f.tree.Add(-1, "p" + N(i) + ".htm", 1, 1);
  f.ui.SetText("编辑框1", "/w");
  f.ui.SetText("编辑框4", "[OPTIONS]");
  f.state.BookName = "w";
  StopAt progress;
  progress.stop_at = 2;
  Context ctx{f.fs, f.ui, f.ui, f.ui, f.processes, f.tree, f.random, f.state, progress};
  BuildContents(ctx);
  EXPECT_FALSE(f.fs.Exists("/w/w.hhc"));
  EXPECT_FALSE(f.fs.Exists("/w/w.hhp"));
  EXPECT_EQ(progress.last_total, kFiles);
  ASSERT_EQ(f.ui.messages.size(), 1u);
  progress.Reset();
  progress.stop_at = -1;
  BuildContents(ctx);
  EXPECT_TRUE(f.fs.Exists("/w/w.hhc"));
}

}  // namespace
}  // namespace qm
