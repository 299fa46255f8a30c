#pragma once
#include "app/context.h"

namespace qm {

/// Tick of the preview timer: rewrites the project preview.
void RefreshProjectPreview(Context& ctx);

/// "建CHM目录": writes the contents and project files.
void BuildContents(Context& ctx);

/// The project text for `book` with the home page taken from the selected
/// node's raw path `home` (angle brackets and the final "\" go) and the file
/// list `files`.
Text ProjectText(const Text& book, const Text& home, const Text& files);

/// The whole contents file of the tree: header, one entry per item with its
/// nested lists opened and closed, footer.
Text ContentsText(const TreeModel& tree, Progress& progress = NoProgress());

}  // namespace qm
