#pragma once
// The entries of one "转网页" run, kept on disk while it runs: a run that is
// cut off (the program killed, the power gone) leaves its list behind, and
// the next run in the same folder finishes that list instead of numbering
// the texts still in the folder from 000.htm over the pages already made.

#include <set>
#include <vector>

#include "convert/conversion_report.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace qm {

/// The hidden file in the web folder that holds the list of a run under way.
inline constexpr char kUnfinishedBookName[] = ".quillmere-unfinished-book";

struct BookRun {
  std::vector<Text> entries;  // the list the run makes its pages of
  bool resumed = false;       // an earlier run was cut off: its list is finished
  // On a resumed run, the texts that were in the web folder when the cut-off
  // run began: those missing now were moved to the backup folder by it.
  std::set<Text> taken;
  Text note;  // on a resumed run, what the closing message tells first
};

/// Starts a run over `listed` in `folder`. When an earlier run was cut off,
/// its list is taken instead (names of `listed` it lacks are added at its
/// end) and the run's note says so. Otherwise the list is recorded, with which
/// texts are in the folder, before any text moves. Stale temporary files of earlier runs in the folder and in
/// `backup` are removed.
BookRun StartBookRun(FileSystem& fs, const Text& folder, const Text& backup, const std::vector<Text>& listed);

/// The run is done: its record goes.
void FinishBookRun(FileSystem& fs, const Text& folder);

/// `entries` without the texts that are there but cannot be read (a FIFO,
/// no permission): those get no page and no contents line, and are listed
/// in the report. A text `run` had already moved to `backup` counts as
/// there.
std::vector<Text> ReadableBookEntries(FileSystem& fs, const Text& folder, const Text& backup, const BookRun& run,
                                      ConversionReport& report);

/// True when `name` is missing from the web folder because the cut-off run
/// that `run` finishes moved it to the backup folder.
bool MovedByEarlierRun(FileSystem& fs, const Text& folder, const BookRun& run, const Text& name);

}  // namespace qm
