#pragma once
#include "app/context.h"

namespace qm {

/// "编码转换": re-encodes every page of a folder from UTF-8 to GB2312.
void Utf8ToGb2312Reencoding(Context& ctx);

}  // namespace qm
