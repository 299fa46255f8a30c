#pragma once
// The entries of one "转网页" run, kept on disk while it runs: a run that is
// cut off (the program killed, the power gone) leaves its list behind, and
// the next run in the same folder finishes that list instead of numbering
// the texts still in the folder from 000.htm over the pages already made.

#include <set>
#include <unordered_set>
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
  // The regular files (links aside) the web folder's listing showed when
  // the run began.
  std::unordered_set<Text> plain_files;
  Text note;           // on a resumed run, what the closing message tells first
  Text record;         // the entry lines of the record, without its owner
  long busy_with = 0;  // another live process's run is under way: nothing may be done
};

/// Starts a run over `listed` in `folder`. When an earlier run was cut off,
/// its list is taken instead (names of `listed` it lacks are added at its
/// end) and the run's note says so. Otherwise the list is recorded, with which
/// texts are in the folder, before any text moves. Stale temporary files of earlier runs in the folder and in
/// `backup` are removed. The record names this process as its owner; when
/// it names another live process instead, nothing is recorded and the run
/// is `busy_with` that process.
BookRun StartBookRun(FileSystem& fs, const Text& folder, const Text& backup, const std::vector<Text>& listed);

/// The run is done: its record goes.
void FinishBookRun(FileSystem& fs, const Text& folder);

/// The run was stopped before it was done: its record stays, without an
/// owner, for the next run (of any process) to finish.
void LeaveBookRun(FileSystem& fs, const Text& folder, const BookRun& run);

/// Why a run that is `busy_with` another process did nothing.
Text BusyBookRunMessage(const BookRun& run);

/// `entries` without the texts that are there but cannot be read (a FIFO,
/// no permission) and without entries named like a file the run writes
/// (a page name of this run, index.htm, an image): those get no page and no
/// contents line, and are listed in the report; a file of such a name is
/// moved into `backup` when that holds none of its name. A text `run` had already moved to `backup` counts as
/// there.
std::vector<Text> ReadableBookEntries(FileSystem& fs, const Text& folder, const Text& backup, const BookRun& run,
                                      ConversionReport& report);

/// True when `name` is missing from the web folder because the cut-off run
/// that `run` finishes moved it to the backup folder.
bool MovedByEarlierRun(FileSystem& fs, const Text& folder, const BookRun& run, const Text& name);

}  // namespace qm
