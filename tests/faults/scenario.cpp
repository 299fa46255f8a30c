#include "faults/scenario.h"

#include <stdexcept>

#include "faults/batch_scenarios.h"
#include "faults/convert_scenarios.h"

namespace qm::faults {

bool Holds(const Probe& probe, const Text& path, std::string_view bytes) {
  std::optional<std::string> found = probe(path);
  return found && *found == bytes;
}

void Scenario::Arrange(const Stage& stage, const Text& root) {
  at_risk_.clear();
  folders_.clear();
  Build(stage, root);
}

void Scenario::Folder(FileSystem& fs, const Text& path) {
  if (!fs.CreateDirectory(path)) throw std::runtime_error("cannot create " + path);
  folders_.push_back(path);
}

void Scenario::File(FileSystem& fs, const Text& path, std::string_view bytes,
                    std::function<bool(const Probe&, const FileAtRisk&)> kept,
                    std::function<bool(const Probe&, const FileAtRisk&)> done) {
  if (!fs.Write(path, bytes)) throw std::runtime_error("cannot write " + path);
  FileAtRisk file{path, std::string(bytes), {}, {}};
  // The rules see the file as recorded here, path and bytes.
  file.kept = [kept, file](const Probe& probe) { return kept(probe, file); };
  file.done = [done, file](const Probe& probe) { return done(probe, file); };
  at_risk_.push_back(std::move(file));
}

void Scenario::Untouched(FileSystem& fs, const Text& path, std::string_view bytes) {
  auto in_place = [](const Probe& probe, const FileAtRisk& f) { return Holds(probe, f.path, f.bytes); };
  File(fs, path, bytes, in_place, in_place);
}

RunReport CheckFiles(const Scenario& scenario, const Probe& probe, const std::vector<ShownMessage>& messages,
                     bool check_messages) {
  RunReport report;
  bool told = scenario.ToldTrouble(messages);
  for (const FileAtRisk& file : scenario.AtRisk()) {
    ++report.at_risk;
    if (!file.kept(probe)) {
      report.lost.push_back(file.path);
    } else if (check_messages && !told && !file.done(probe)) {
      report.silent.push_back(file.path);
    }
  }
  if (check_messages && messages.empty()) report.silent.push_back("(no message at all)");
  return report;
}

std::vector<std::string> ScenarioNames() {
  std::vector<std::string> names;
  for (auto& scenario : AllScenarios()) names.push_back(scenario->Name());
  return names;
}

std::unique_ptr<Scenario> MakeScenario(const std::string& name) {
  for (auto& scenario : AllScenarios()) {
    if (scenario->Name() == name) return std::move(scenario);
  }
  throw std::runtime_error("no scenario " + name);
}

}  // namespace qm::faults

namespace qm::faults {

std::vector<std::unique_ptr<Scenario>> AllScenarios() {
  std::vector<std::unique_ptr<Scenario>> all;
  all.push_back(MakePagedBookScenario());
  all.push_back(MakeBatchConversionScenario());
  all.push_back(MakeUndoScenario());
  all.push_back(MakeChapterSplittingScenario());
  all.push_back(MakeFileNameScenario());
  all.push_back(MakeSimplifierScenario());
  all.push_back(MakeReencodingScenario());
  all.push_back(MakeUnpackingScenario());
  all.push_back(MakeContentsScenario());
  return all;
}

}  // namespace qm::faults
