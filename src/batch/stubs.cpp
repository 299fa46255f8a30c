#include "batch/file_name_replacement.h"
#include "batch/page_simplifier.h"
#include "batch/reencoding.h"

namespace qm {

void FileNameCharReplacement(Context&) {}
void PageSimplification(Context&) {}
void Utf8ToGb2312Reencoding(Context&) {}

}  // namespace qm
