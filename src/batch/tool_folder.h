#pragma once
// The folder that a batch tool works on, as dropped or typed into its path
// box, and the paths the tools build from it.

#include <vector>

#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// Why `folder` cannot be worked on, as the message to show the user; empty
/// when it names an existing folder. An empty folder text is refused: with
/// the separator appended it would name the root of the file system.
Text FolderRefusal(FileSystem& fs, const Text& folder);

/// `folder` + the path separator + `name`. The separator is appended even
/// when the folder text already ends with one (a doubled separator is
/// harmless in a path).
Text InToolFolder(const Text& folder, const Text& name);

/// The sub-folder 处理后 that receives the results of the page tools.
Text ProcessedFolder(const Text& folder);

/// Why the page tools cannot write into `folder`'s 处理后, as the message to
/// show the user; empty when they can. A 处理后 that is a link is refused:
/// it could lead anywhere outside the folder.
Text ProcessedFolderRefusal(FileSystem& fs, const Text& folder);

/// Why a tool that writes its results to 处理后 cannot work on `folder`
/// (FolderRefusal, then ProcessedFolderRefusal); empty when it can.
Text ProcessingToolRefusal(FileSystem& fs, const Text& folder);

/// True when `entry`, found in `folder`, is a link that leads outside
/// `folder`: the page tools leave it alone rather than copy a file from
/// elsewhere into the folder.
bool LinkLeavesFolder(FileSystem& fs, const DirectoryEntry& entry, const Text& folder);

/// The message naming the pages left alone as links leading outside the
/// folder, one a line; empty when there are none.
Text OutsideLinksReport(const std::vector<Text>& names);

}  // namespace qm
