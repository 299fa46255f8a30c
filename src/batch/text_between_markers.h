#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

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

/// The cut of TextBetweenMarkers made on a text that arrives in pieces, so
/// that a page too large to hold whole is cut while it is read. Between
/// pieces only the bytes that may still begin a marker are held (fewer than
/// the longer marker, or a lead byte ending a piece).
class MarkerCutter {
 public:
  using Keep = std::function<void(std::string_view)>;
  MarkerCutter(std::string_view front, std::string_view back);

  /// Takes the next piece of the text; `last` says that the text ends with
  /// it. Bytes of the stretch come out through `keep` in order, as soon as
  /// they are known to lie before any back marker. Once finished(), later
  /// pieces are ignored.
  void Feed(std::string_view piece, bool last, const Keep& keep);

  /// True once the back marker has been found: what came out through
  /// `keep` is then exactly TextBetweenMarkers of the whole text, and no
  /// more of the text is needed.
  bool found() const { return phase_ == Phase::kFound; }
  /// True once the result is known: found(), or the text ended without a
  /// back marker after a front marker (the result is empty; bytes given
  /// out before are not part of it).
  bool finished() const { return phase_ == Phase::kFound || phase_ == Phase::kNone; }

 private:
  enum class Phase { kFront, kBack, kFound, kNone };
  std::size_t Advance(std::string_view text, std::size_t at, bool last, const Keep& keep);
  Text front_, back_;
  Phase phase_;
  std::string carry_;  // undecided bytes, from a character start on
};

}  // namespace qm
