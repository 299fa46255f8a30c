#pragma once
#include "runtime/text.h"

namespace qm {

/// The window's title for the text of the CHM tab's folder box: the name
/// and full path of the folder or book in it, then the program's name;
/// the program's name alone while the box holds its start hint, nothing,
/// or several dropped items.
Text WindowTitleFor(const Text& folder_box);

}  // namespace qm
