// The largest book content hhc.exe writes and hh.exe unpacks: both refuse
// past it with a message, so a book one of them makes is always one the
// other reads.
#pragma once

#include <cstdint>

namespace book_limit {

/// Bytes of stored files (uncompressed) a book may hold in all: 2 GiB less one.
inline constexpr std::uint64_t kMaxContentBytes = (std::uint64_t{1} << 31) - 1;

/// The limit as people read it.
inline constexpr char kShown[] = "2 GiB";

}  // namespace book_limit
