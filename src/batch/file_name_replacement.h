#pragma once
#include "app/context.h"

namespace qm {

/// "量 改": replaces a text in the names of a folder's files.
void FileNameCharReplacement(Context& ctx);

}  // namespace qm
