#pragma once
// The check that a tool's folder box names a folder before anything is
// written: an empty box, the start hint or a path that is not an existing
// folder would otherwise make the tool write at the root or in the current
// directory.

#include "core/context.h"

namespace qm {

/// True when `folder` is an existing folder. Otherwise shows a message that
/// says so (asking for a drop when the box is empty or still holds its start
/// hint) and returns false.
bool RequireExistingFolder(Context& ctx, const Text& folder);

}  // namespace qm
