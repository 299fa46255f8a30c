#include "batch/text_between_markers.h"

namespace qm {

Text TextBetweenMarkers(std::string_view text, std::string_view front, std::string_view back) {
  long p = FindText(text, front, 1, /*ignore_case=*/true);
  if (p == -1) return {};
  long s = p + TextLength(front);
  long e = FindText(text, back, s, /*ignore_case=*/true);
  return TextMiddle(text, s, e - s);  // a count <= 0 gives the empty text
}

}  // namespace qm
