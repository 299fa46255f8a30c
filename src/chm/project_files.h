#pragma once
#include "app/context.h"

namespace qm {

/// Tick of the preview timer: rewrites the project preview.
void RefreshProjectPreview(Context& ctx);

/// "建CHM目录": writes the contents and project files.
void BuildContents(Context& ctx);

}  // namespace qm
