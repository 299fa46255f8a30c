#pragma once
#include "core/context.h"

namespace qm {

/// "转CHM": runs the compiler on the book's project file.
void CompileChm(Context& ctx);

}  // namespace qm
