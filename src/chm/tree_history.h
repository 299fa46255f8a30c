#pragma once
// What the user sees in the tree is what gets built: every tree edit is one
// step that can be taken back, and the program knows whether the contents
// file was written from the tree as it stands.

#include <cstddef>
#include <functional>

#include "core/context.h"

namespace qm {

/// How many of the latest tree edits can be taken back.
inline constexpr std::size_t kUndoDepth = 50;

/// Runs `edit` on the tree as one step that UndoTreeEdit takes back. A step
/// that leaves the tree as it was is not kept. Afterwards the home page
/// still names a node of the tree (KeepHomePageInTree).
void EditTree(Context& ctx, const std::function<void()>& edit);

/// Puts back the tree and its selection from before the latest step; false
/// when there is none.
bool UndoTreeEdit(Context& ctx);

/// True when the tree was edited since the contents file was last written
/// from it (or since the drop that filled it).
bool HasUnbuiltTreeEdits(const ProgramState& state);

/// The contents file has just been written from the tree as it stands.
void MarkTreeBuilt(ProgramState& state);

/// A drop filled the tree anew: no step can be taken back, nothing unbuilt.
void ForgetTreeEdits(ProgramState& state);

/// When the home-page box names a node that is no longer in the tree, the
/// home page becomes the selected node (as a selection change makes it).
void KeepHomePageInTree(Context& ctx);

/// The index of the node whose path the home-page box holds, or -1.
int HomePageItem(Context& ctx);

/// Before compiling: when the tree was edited since the contents file was
/// last written and the book uses its own contents ("不自建目录" not
/// ticked), writes the contents and project files again (BuildContents),
/// so that the book shows the tree as it stands; a project preview still
/// waiting for its tick is made first. False when that build did
/// not write the contents file (its message says why).
bool BuildContentsIfTreeEdited(Context& ctx);

/// Whether the window may close: yes without unbuilt tree edits; otherwise
/// the user is asked whether to throw them away.
bool MayCloseWindow(Context& ctx);

}  // namespace qm
