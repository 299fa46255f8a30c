#pragma once
// Filling the document tree from a folder on disk.

#include <vector>

#include "core/context.h"

namespace qm {

/// True when `name` holds a CR or LF, which would add lines to the project
/// and contents files.
bool HoldsLineBreak(const Text& name);

/// Adds below tree item `parent` (-1: top level) one folder item (FolderItem)
/// for every sub-folder of `folder`, each followed at once by its own
/// contents, then one page item (PageItem) for every file that
/// is read-only, hidden, system or archive; in listing order, nothing
/// sorted. Appends the native separator to `folder` when it lacks one, and
/// leaves the current directory at `folder`. Returns false, adding nothing,
/// when `folder` cannot be entered. A sub-folder that cannot be entered, or
/// that is a link back to a folder being scanned, keeps its folder node
/// without children. Entries whose names hold CR or LF, and links whose
/// real path lies outside `folder`, are left out; their paths are added to
/// `left_out` when given.
bool ScanFolderIntoTree(Context& ctx, Text& folder, int parent, std::vector<Text>* left_out = nullptr);

}  // namespace qm
