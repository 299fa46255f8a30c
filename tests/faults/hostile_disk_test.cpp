// Every operation on a real disk set up by a hostile user before the drop:
// a link at every name a clean run writes (and at the fixed temporary names
// of earlier versions) pointing at a file outside the folder, the same names
// as dangling links and as FIFOs, every output folder moved outside and
// replaced by a link to it, a linked folder and FIFOs among the files, and
// every file and folder read-only. Nothing outside the folder may change, no
// file may be lost, and a file left undone must be reported.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "faults/hostile_disk.h"
#include "faults/scenario.h"
#include "runtime/encoding.h"
#include "runtime/paths.h"
#include "support/operation_fixture.h"

namespace qm::faults {
namespace {

// Remembers every name a run writes, creates or moves something to.
class RecordingFs : public RealFileSystem {
 public:
  std::set<Text> written;
  bool Write(const Text& p, std::string_view d) override { return Note(p), RealFileSystem::Write(p, d); }
  bool CreateNew(const Text& p, std::string_view d) override { return Note(p), RealFileSystem::CreateNew(p, d); }
  Placed PutWhole(const Text& p, std::string_view d) override { return Note(p), RealFileSystem::PutWhole(p, d); }
  bool Rename(const Text& a, const Text& b) override { return Note(b), RealFileSystem::Rename(a, b); }
  void RenameIn(const Text& folder, const FileId& id, std::vector<NameChange>& changes) override {
    for (const NameChange& change : changes) Note(JoinPath(folder, change.to));
    RealFileSystem::RenameIn(folder, id, changes);
  }
  bool ReplaceWith(const Text& a, const Text& b) override { return Note(b), RealFileSystem::ReplaceWith(a, b); }
  bool CreateDirectory(const Text& p) override { return Note(p), RealFileSystem::CreateDirectory(p); }

 private:
  void Note(const Text& path) { written.insert(path); }
};

using Plant = std::function<void(const OutsideFolder& outside, const std::string& in,
                                 const std::vector<std::string>& written, const Scenario& scenario)>;

// Arranges the scenario under `disk`/in, plants, runs and checks. The names
// the run wrote come back relative to "in", for planting the next run.
RunReport RunPlanted(Scenario& scenario, const Plant& plant, const std::vector<std::string>& written,
                     std::vector<std::string>* wrote = nullptr) {
  TempDir disk;
  OutsideFolder outside(disk.path() + "/outside");
  const std::string in = disk.path() + "/in";
  std::filesystem::create_directory(in);
  BasicOperationFixture<RecordingFs> f;
  scenario.Arrange(Stage{f.fs, f.ui, f.state, f.processes}, in);
  plant(outside, in, written, scenario);
  outside.TakeSnapshot();
  scenario.Run(f.ctx);
  if (wrote) {
    // On disk, as the system names it.
    for (const Text& path : f.fs.written) wrote->push_back(NativeName(path).substr(in.size() + 1));
  }
  Probe probe = [&f](const Text& path) -> std::optional<std::string> {
    std::string data;
    if (f.fs.IsLink(path) || !f.fs.Read(path, &data)) return std::nullopt;
    return data;
  };
  RunReport report = CheckFiles(scenario, probe, f.ui.messages, /*check_messages=*/true);
  report.outside = outside.Changes();
  return report;
}

bool Missing(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) != 0 && ::access(FolderOf(path).c_str(), F_OK) == 0;
}

// The names a run writes, and the fixed temporary names earlier versions
// wrote beside each of them.
std::vector<std::string> PlantingNames(const std::vector<std::string>& written) {
  std::vector<std::string> names;
  for (const std::string& name : written) {
    if (name.find(".quillmere-tmp") != std::string::npos) continue;
    names.push_back(name);
    names.push_back(JoinPath(FolderOf(name).empty() ? "." : FolderOf(name), ".~" + NameOf(name) + ".quillmere-tmp"));
  }
  return names;
}

const std::vector<std::pair<std::string, Plant>>& Plants() {
  static const std::vector<std::pair<std::string, Plant>> plants = {
      {kPlantedLinks,
       [](const OutsideFolder& outside, const std::string& in, const std::vector<std::string>& written,
          const Scenario&) {
         for (const std::string& name : PlantingNames(written))
           if (Missing(in + "/" + name)) ::symlink(outside.Bait().c_str(), (in + "/" + name).c_str());
       }},
      {kDanglingLinks,
       [](const OutsideFolder& outside, const std::string& in, const std::vector<std::string>& written,
          const Scenario&) {
         int n = 0;
         for (const std::string& name : PlantingNames(written))
           if (Missing(in + "/" + name))
             ::symlink((outside.Path() + "/nowhere-" + std::to_string(n++)).c_str(), (in + "/" + name).c_str());
       }},
      {kFifos,
       [](const OutsideFolder&, const std::string& in, const std::vector<std::string>& written,
          const Scenario& scenario) {
         for (const std::string& name : PlantingNames(written))
           if (Missing(in + "/" + name)) ::mkfifo((in + "/" + name).c_str(), 0644);
         for (const FileAtRisk& file : scenario.AtRisk())
           ::mkfifo(NativeName(JoinPath(FolderOf(file.path), "fifo-" + NameOf(file.path))).c_str(), 0644);
       }},
      {kLinkedFolders,
       [](const OutsideFolder& outside, const std::string& in, const std::vector<std::string>& written,
          const Scenario& scenario) {
         // The folder of the first file at risk is the one the user drops;
         // every other folder the run writes into goes outside, a link
         // taking its place, and a link to the outside folder joins it.
         const std::string dropped = NativeName(FolderOf(scenario.AtRisk().front().path));
         std::set<std::string> folders;
         for (const std::string& name : written) folders.insert(FolderOf(in + "/" + name));
         int n = 0;
         for (const std::string& folder : folders) {
           if (folder.size() <= in.size() || dropped.rfind(folder, 0) == 0) continue;
           std::error_code ec;
           if (!std::filesystem::is_directory(std::filesystem::symlink_status(folder, ec))) continue;
           std::string away = outside.Path() + "/moved-" + std::to_string(n++);
           std::filesystem::rename(folder, away, ec);
           if (!ec) ::symlink(away.c_str(), folder.c_str());
         }
         ::symlink(outside.Path().c_str(), (dropped + "/linkdir").c_str());
       }},
      {kReadOnlyDisk,
       [](const OutsideFolder&, const std::string&, const std::vector<std::string>&, const Scenario& scenario) {
         for (const FileAtRisk& file : scenario.AtRisk()) ::chmod(NativeName(file.path).c_str(), 0444);
         for (const Text& folder : scenario.Folders()) ::chmod(NativeName(folder).c_str(), 0555);
       }},
  };
  return plants;
}

class HostileDiskTest : public ::testing::TestWithParam<std::string> {};

TEST_P(HostileDiskTest, PlantsNeverLeadOutsideOrLoseAFile) {
  std::unique_ptr<Scenario> scenario = MakeScenario(GetParam());
  std::vector<std::string> written;
  RunReport clean = RunPlanted(
      *scenario, [](auto&&...) {}, {}, &written);
  ASSERT_TRUE(clean.lost.empty() && clean.outside.empty());
  ASSERT_FALSE(written.empty());
  for (const auto& [fault, plant] : Plants()) {
    Record(scenario->Name(), fault, "real disk", RunPlanted(*scenario, plant, written));
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, HostileDiskTest, ::testing::ValuesIn(ScenarioNames()), ScenarioTestName);

}  // namespace
}  // namespace qm::faults
