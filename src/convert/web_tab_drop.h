#pragma once
#include "app/context.h"

namespace qm {

/// Files dropped on the web-pages tab: routes the dropped path to the tool
/// whose radio button is selected.
void OnWebTabDrop(Context& ctx, const Text& dropped);

}  // namespace qm
