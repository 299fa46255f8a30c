#pragma once
// What the compiler is asked for, read from the project text it compiles.

#include <string_view>
#include <vector>

#include "runtime/text.h"

namespace qm {

/// The path of the book the compiler writes for `project` (the .hhp text)
/// in `folder`: its "Compiled file=" line of [OPTIONS] (key in any letter
/// case, "\" read as the separator, relative to the folder; but `book`
/// with an extension is that one name in the folder, "\" and all), or
/// folder + "/" + book + ".chm" when there is none, as the compiler does.
Text CompiledFileOfProject(std::string_view project, const Text& folder, const Text& book);

/// The [FILES] entries of `project` that no book can store: names on disk
/// that are neither UTF-8 nor code page 936, so no reader could look them up.
/// Each is shown with the bytes that are not UTF-8 written as "\xNN".
std::vector<Text> UnstorableFilesOfProject(std::string_view project);

}  // namespace qm
