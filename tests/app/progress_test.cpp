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
#include "convert/paged_book.h"
#include "core/control_names.h"
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
  std::string source;  // the files t0, t1, ... get this extension
  std::string content;
  std::function<void(MemoryControls&)> boxes;
  std::function<void(Context&)> run;
  std::string result;  // where file i's result lands: "#" stands for i
  long total;          // what it reports as the total (0: unknown)
};

std::string N(int i) { return std::to_string(i); }

std::string Result(const Case& c, int i) {
  std::string path = c.result;
  return path.replace(path.find('#'), 1, N(i));
}

std::vector<Case> Cases() {
  const std::string processed = "/w/" + Gbk("处理后");
  return {
      {"paged book", ".txt", "text",
       [](MemoryControls& ui) {
         Text order;
         for (int i = 0; i < kFiles; ++i) order += "t" + N(i) + ".txt\r\n";
         ui.SetText(controls::kBookFolderBox, "/w");
         ui.SetText(controls::kOrderListBox, order);
       },
       &PagedBookConversion, "/w/00#.htm", kFiles},
      {"batch conversion", ".txt", "text",
       [](MemoryControls& ui) {
         ui.SetText(controls::kBatchFolderBox, "/w");
         ui.SetText(controls::kOldExtensionBox, ".txt");
         ui.SetText(controls::kNewExtensionBox, ".htm");
       },
       &BatchPageConversion, "/w/t#.htm", 0},
      {"undo", ".htm", "page", [](MemoryControls& ui) { ui.SetText(controls::kBatchFolderBox, "/w"); },
       &UndoBatchConversion, "/w/t#.txt", kFiles},
      {"file names", ".txt", "text",
       [](MemoryControls& ui) {
         ui.SetText(controls::kRenameFolderBox, "/w");
         ui.SetText(controls::kOldNameTextBox, "txt");
         ui.SetText(controls::kNewNameTextBox, "htm");
       },
       &FileNameCharReplacement, "/w/t#.htm", kFiles},
      {"simplifier", ".htm", "<b>x</b>",
       [](MemoryControls& ui) {
         ui.SetText(controls::kSimplifyFolderBox, "/w");
         ui.SetText(controls::kSimplifySuffixBox, ".htm");
         ui.SetText(controls::kFrontMarkerBox, "<b>");
         ui.SetText(controls::kBackMarkerBox, "</b>");
       },
       &PageSimplification, processed + "/t#.htm", kFiles},
      {"re-encoding", ".htm", "page",
       [](MemoryControls& ui) {
         ui.SetText(controls::kReencodeFolderBox, "/w");
         ui.SetText(controls::kReencodeSuffixBox, ".htm");
       },
       &Utf8ToGb2312Reencoding, processed + "/t#.htm", kFiles},
  };
}

TEST(Progress, EveryOperationStopsBetweenTwoFilesAndSaysHowFarItGot) {
  for (const Case& c : Cases()) {
    for (long stop = 0; stop <= kFiles; ++stop) {
      SCOPED_TRACE(std::string(c.name) + ", stop after " + std::to_string(stop));
      MemoryFixture f;
      f.fs.AddDirectory("/w");
      for (int i = 0; i < kFiles; ++i) f.fs.AddFile("/w/t" + N(i) + c.source, c.content);
      c.boxes(f.ui);
      StopAt progress;
      progress.stop_at = stop;
      Context ctx{f.fs, f.ui, f.ui, f.ui, f.processes, f.tree, f.random, f.state, progress};
      c.run(ctx);
      int done = 0;
      for (int i = 0; i < kFiles; ++i) done += f.fs.Exists(Result(c, i));
      EXPECT_EQ(done, stop);
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
  f.ui.SetText(chm::kFolderBox, "/w");
  f.ui.SetText(chm::kProjectBox, "[OPTIONS]");
  f.state.BookName = "w";
  f.state.BookFolder = "/w";
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
