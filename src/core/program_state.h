#pragma once
// The program-wide state that operations hand to each other between events.

#include <vector>

#include "runtime/text.h"

namespace qm {

/// One tree item as a move records it.
struct TreeItemSnapshot {
  Text text;
  int image = 0;
  int selected_image = 0;
  long long data = 0;
  int depth = 0;
};

struct ProgramState {
  Text DateText;           // today's date, set once when the window exists
  Text DocumentOrderList;  // relative paths of the dropped folder's documents
  Text BookName;           // last component of the dropped folder
  Text HomePageText;       // home page line of the project preview
  std::vector<TreeItemSnapshot> MovedSubtree;
  std::vector<TreeItemSnapshot> NeighbourSubtree;
  TreeItemSnapshot Snapshot;
};

/// Releases every member (the exit routine).
inline void ReleaseProgramState(ProgramState& state) { state = ProgramState(); }

}  // namespace qm
