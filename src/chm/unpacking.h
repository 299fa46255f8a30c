#pragma once
#include "core/context.h"

namespace qm {

/// "CHM解包": unpacks the dropped .chm file into a folder.
void ChmUnpacking(Context& ctx);

}  // namespace qm
