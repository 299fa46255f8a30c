#pragma once
#include "app/context.h"

namespace qm {

/// "转网页": turns the listed text files into numbered, linked pages.
void PagedBookConversion(Context& ctx);

}  // namespace qm
