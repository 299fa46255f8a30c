#pragma once
// What the compiler is asked for, read from the project text it compiles.

#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// The path of the book the compiler writes for `project` (the .hhp text)
/// of the book `book` in `folder`, by the compiler's own rule
/// (runtime/compiler_contract.h); empty when the project names a book the
/// compiler refuses to write.
Text CompiledFileOfProject(std::string_view project, const Text& folder, const Text& book);

/// The [FILES] entries of `project` that no book can store, shown as the
/// compiler names them when it reports them left out.
std::vector<Text> UnstorableFilesOfProject(std::string_view project);

}  // namespace qm
