// Corrections for header fields that some CHM compilers get wrong although
// the book itself is sound. They are applied to the bytes libmspack reads,
// never to the file.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace hh {

/// Bytes to show in place of the file's own at `offset`.
struct ByteOverlay {
  off_t offset = 0;
  std::vector<unsigned char> bytes;
};

/// Reads the headers of the book open as `fd` and returns the corrections:
/// - the second header GUID when the file repeats the first one there (Free
///   Pascal's chmcmd does; the field carries no information);
/// - the first and last listing-chunk numbers when they do not span every
///   listing (PMGL) chunk of the directory (chmcmd names chunk 1 as the first
///   of bigger books while chunk 0 holds the first entries, so a reader that
///   trusts the header silently loses them).
/// Returns nothing for a file that is not a CHM book or cannot be read; the
/// decoder then reports it as usual.
std::vector<ByteOverlay> HeaderRepairs(int fd);

/// Why a lookup in the book's directory would never end, or empty when it
/// ends: the listing chunks' "next" links or the index chunks' entries form
/// a loop. libmspack follows both without noticing loops, so such a book is
/// refused before it is opened. Reads the file as `overlays` correct it;
/// takes time in proportion to the directory's size.
std::string DirectoryLoop(int fd, const std::vector<ByteOverlay>& overlays);

/// Copies the parts of `overlays` that fall into [at, at + length) over `data`.
void ApplyOverlays(const std::vector<ByteOverlay>& overlays, unsigned char* data, off_t at, std::size_t length);

}  // namespace hh
