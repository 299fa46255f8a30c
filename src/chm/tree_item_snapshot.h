#pragma once
// One tree item as a move records it.

#include "runtime/text.h"

namespace qm {

struct TreeItemSnapshot {
  Text text;
  int image = 0;
  int selected_image = 0;
  long long data = 0;
  int depth = 0;
};

}  // namespace qm
