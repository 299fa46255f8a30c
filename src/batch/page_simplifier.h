#pragma once
#include "app/context.h"

namespace qm {

/// "批量处理": cuts the stretch between two markers out of every page.
void PageSimplification(Context& ctx);

}  // namespace qm
