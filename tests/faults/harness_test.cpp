// The suite's own check: an operation that deletes a file whatever became
// of its copy, and says "ok" all the same, is caught losing files and
// keeping quiet about it.

#include <gtest/gtest.h>

#include "faults/memory_runs.h"
#include "runtime/paths.h"

namespace qm::faults {
namespace {

// Moves /w/in/*.txt to /w/out by writing the copy in place and deleting
// the original without looking at the write.
class CarelessMove : public Scenario {
 public:
  std::string Name() const override { return "CarelessMove"; }
  void Run(Context& ctx) override {
    for (const char* name : {"a.txt", "b.txt"}) {
      std::string data;
      ctx.fs.Read(JoinPath("/w/in", name), &data);
      ctx.fs.Write(JoinPath("/w/out", name), data);
      ctx.fs.Delete(JoinPath("/w/in", name));
    }
    ctx.dialogs.MessageBox("ok");
  }
  bool ToldTrouble(const std::vector<ShownMessage>& messages) const override {
    return messages.size() != 1 || messages[0].content != "ok";
  }

 protected:
  void Build(const Stage& stage, const Text& root) override {
    Folder(stage.fs, JoinPath(root, "in"));
    Folder(stage.fs, JoinPath(root, "out"));
    auto moved = [](const Probe& probe, const FileAtRisk& f) {
      return Holds(probe, f.path, f.bytes) || Holds(probe, "/w/out/" + NameOf(f.path), f.bytes);
    };
    auto done = [](const Probe& probe, const FileAtRisk& f) {
      return !probe(f.path) && Holds(probe, "/w/out/" + NameOf(f.path), f.bytes);
    };
    File(stage.fs, JoinPath(root, "in/a.txt"), "alpha", moved, done);
    File(stage.fs, JoinPath(root, "in/b.txt"), "beta", moved, done);
  }
};

TEST(FaultHarnessTest, CleanRunOfTheCarelessMoveLosesNothing) {
  CarelessMove move;
  RunReport report = RunInMemory(
      move, [](MemoryFixture&, Moved&) {}, true);
  EXPECT_EQ(report.at_risk, 2);
  EXPECT_TRUE(report.lost.empty());
  EXPECT_TRUE(report.silent.empty());
}

TEST(FaultHarnessTest, FullDiskCatchesTheCarelessMoveLosingAFile) {
  CarelessMove move;
  // Room for three more bytes: a.txt's copy is cut short and a.txt deleted;
  // that frees room enough for b.txt's copy.
  RunReport report = RunInMemory(
      move, [](MemoryFixture& f, Moved&) { f.fs.capacity = 9 + 3; }, true);
  EXPECT_EQ(report.lost, (std::vector<std::string>{"/w/in/a.txt"}));
}

TEST(FaultHarnessTest, AFailedDeleteReportedAsOkIsCaught) {
  CarelessMove move;
  RunReport report = RunInMemory(
      move,
      [](MemoryFixture& f, Moved&) {
        f.fs.fail = [](std::string_view call, const Text& path) { return call == "delete" && path == "/w/in/a.txt"; };
      },
      true);
  EXPECT_TRUE(report.lost.empty());
  EXPECT_EQ(report.silent, (std::vector<std::string>{"/w/in/a.txt"}));
}

}  // namespace
}  // namespace qm::faults
