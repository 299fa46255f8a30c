#pragma once
// One tree item as a move records it.

#include "runtime/text.h"
#include "runtime/tree_model.h"

namespace qm {

struct TreeItemSnapshot {
  Text text;
  int image = 0;
  int selected_image = 0;
  long long data = 0;
  int depth = 0;
  TreeItemKind kind = TreeItemKind::kOther;
  Text name;
};

}  // namespace qm
