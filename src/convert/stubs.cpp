#include "convert/batch_conversion.h"
#include "convert/paged_book.h"
#include "convert/web_tab_drop.h"

namespace qm {

void OnWebTabDrop(Context&, const Text&) {}
void PagedBookConversion(Context&) {}
void BatchPageConversion(Context&) {}
void UndoBatchConversion(Context&) {}

}  // namespace qm
