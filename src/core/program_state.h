#pragma once
// The program-wide state that operations hand to each other between events.

#include "runtime/text.h"

namespace qm {

struct ProgramState {
  Text DateText;           // today's date, set once when the window exists
  Text DocumentOrderList;  // relative paths of the dropped folder's documents
  Text BookName;           // last component of the dropped folder
};

/// Releases every member (the exit routine).
inline void ReleaseProgramState(ProgramState& state) { state = ProgramState(); }

}  // namespace qm
