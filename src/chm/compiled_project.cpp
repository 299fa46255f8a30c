#include "chm/compiled_project.h"

#include "runtime/compiler_contract.h"
#include "runtime/encoding.h"

namespace qm {

Text CompiledFileOfProject(std::string_view project, const Text& folder, const Text& book) {
  const CompiledFile compiled = CompiledFileOf(ParseProjectFile(project), NativeName(folder), NativeName(book));
  return compiled.path.empty() ? Text() : TextFromNativeName(compiled.path);
}

std::vector<Text> UnstorableFilesOfProject(std::string_view project) {
  std::vector<Text> names;
  for (const std::string& name : UnstorableFiles(ParseProjectFile(project))) names.push_back(TextFromNativeName(name));
  return names;
}

}  // namespace qm
