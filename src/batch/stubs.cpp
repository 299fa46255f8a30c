#include "batch/page_simplifier.h"

namespace qm {

void PageSimplification(Context&) {}

}  // namespace qm
