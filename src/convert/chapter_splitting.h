#pragma once
#include "core/context.h"

namespace qm {

/// "分章节": splits each text named in 编辑框分章路径 (one path a line; a
/// folder stands for its "*.txt" files) at the lines that the rule in
/// 编辑框分章规则 finds (SplitNovel), each into a new folder beside it. The
/// closing message says, for each text, how many texts it gave and where,
/// what the numbering of its headings skipped, restarted or repeated, and
/// that no line matched, if so. After a single text, the paged book's
/// folder box and order list hold the new folder and its texts in order.
/// A rule that is not a valid regular expression splits nothing.
void ChapterSplitting(Context& ctx);

}  // namespace qm
