#pragma once
#include "app/context.h"

namespace qm {

/// "批量转换": every text file of a folder tree becomes a framed page.
void BatchPageConversion(Context& ctx);

/// "取 消": turns the pages of a folder tree back into text files.
void UndoBatchConversion(Context& ctx);

}  // namespace qm
