#pragma once
#include <cstddef>

#include "core/context.h"

namespace qm {

/// "转网页": turns the listed text files into numbered, linked pages.
void PagedBookConversion(Context& ctx);

/// The same with texts read, and pages larger than that written,
/// `piece_size` bytes at a time (kTextPieceSize in the one above).
void PagedBookConversionInPieces(Context& ctx, std::size_t piece_size);

}  // namespace qm
