#pragma once
// The program-wide state that operations hand to each other between events.

#include <vector>

#include "runtime/text.h"
#include "runtime/tree_model.h"

namespace qm {

/// The document tree's edits since the last drop: the trees before them,
/// newest last, and which tree the contents file was last written from.
struct TreeEditHistory {
  struct Step {
    std::vector<NewTreeItem> items;  // the whole tree before the edit
    int selection = -1;
    int version = 0;
  };
  std::vector<Step> undo;
  int version = 0;        // the tree as it stands now
  int built_version = 0;  // the tree of the drop or of the last contents file
  int next_version = 1;
};

struct ProgramState {
  Text DateText;           // today's date, set once when the window exists
  Text DocumentOrderList;  // relative paths of the dropped folder's documents
  Text BookName;           // last component of the dropped folder
  Text BookFolder;         // the folder the tree was built from; empty when the last drop gave none
  TreeEditHistory TreeEdits;
  Text FinishedBook;    // the book the last compile wrote, for "打开书"
  Text FinishedFolder;  // where the last compiled book or unpacked pages lie
};

/// Releases every member (the exit routine).
inline void ReleaseProgramState(ProgramState& state) { state = ProgramState(); }

}  // namespace qm
