#pragma once
#include "runtime/text.h"

namespace qm {

/// The stretch of `text` between the first occurrence of `front` and the
/// first occurrence of `back` that begins at or after the byte following
/// that front marker; both markers are left out. Markers match with ASCII
/// letters compared without regard to case, at GBK character starts only.
/// The result is empty when the front marker does not occur, when no back
/// marker follows it, when the back marker follows it at once, and when the
/// back marker is empty. An empty front marker matches at the first byte of
/// a non-empty text.
Text TextBetweenMarkers(std::string_view text, std::string_view front, std::string_view back);

}  // namespace qm
