#pragma once
// The text file of one book page, read in pieces, and its page written in
// pieces: a text of any size becomes its page with memory for a few pieces.

#include <cstdint>
#include <string>

#include "core/book_page.h"
#include "runtime/file_system.h"
#include "runtime/random.h"
#include "runtime/text.h"

namespace qm {

/// How much of a text the paged book reads at a time, and how much of a
/// page it keeps before writing.
inline constexpr std::size_t kTextPieceSize = std::size_t{1} << 20;

/// Makes the pages of texts held whole in memory, one after another, with
/// its buffers kept from page to page. It touches no file, so that pages can
/// be made on another thread than the one doing the file work.
class WholeBookPage {
 public:
  /// Makes in `page` (replacing what it held) the page that BuildBookPage
  /// makes of the text file `bytes` taken in its own encoding
  /// (DecodeTextFile): the page BookPageFile::WritePage writes.
  void Make(std::string_view bytes, const Text& name, long index, long count, const Text& date,
            const BookPageOptions& options, Random& random, Text& page);
  /// True after Make when the text was UTF-16 with an odd last byte, which
  /// the page lacks.
  bool dropped_odd_byte() const { return dropped_odd_byte_; }
  /// True when the page made last ends at a 0 byte of its text.
  bool ended_at_zero_byte() const { return builder_.ended_at_zero_byte(); }

 private:
  std::string decoded_;
  BookPageBuilder builder_;
  bool dropped_odd_byte_ = false;
};

/// Turns text files into book pages one after another, with its buffers kept
/// from page to page.
class BookPageFile {
 public:
  explicit BookPageFile(FileSystem& fs, std::size_t piece_size = kTextPieceSize);

  /// Reads the first piece of the text file at `path`, which the next page
  /// is made of. False, with no text chosen (an empty page), when it cannot
  /// be read. Every piece is read only while `path` is no symbolic link, so
  /// that a link swapped in after the caller looked is never followed.
  bool Open(const Text& path);
  /// No text: the next page has an empty body.
  void Close();
  /// The chosen text file was moved to `path`: the rest is read there.
  void MovedTo(const Text& path) { path_ = path; }
  /// True when the chosen text (or none) is whole in its first piece, so
  /// that TakeWhole gives all of it.
  bool Whole() const { return first_.size() < piece_size_; }
  /// The chosen text, when Whole, which is no longer chosen (an empty page
  /// next, unless another is opened).
  std::string TakeWhole();

  /// Copies the chosen text file to `to` safely (WriteFileSafely; in pieces
  /// through a temporary file when it is larger than a piece). False when
  /// it could not be completely read or written.
  bool CopyTo(const Text& to);

  /// Writes to `page_path` the page that BuildBookPage makes of the chosen
  /// text taken in its own encoding (DecodeTextFile). A page of at most a
  /// piece is created directly when nothing is at `page_path`; otherwise it
  /// goes through a temporary file that replaces the path only when
  /// complete. False, leaving `page_path` as it was, when the text could
  /// not be read to its end or the page could not be written.
  bool WritePage(const Text& page_path, const Text& name, long index, long count, const Text& date,
                 const BookPageOptions& options, Random& random);
  /// True after WritePage when the text was UTF-16 with an odd last byte,
  /// which the page lacks.
  bool dropped_odd_byte() const { return dropped_odd_byte_; }
  /// True when the page written last ends at a 0 byte of its text.
  bool ended_at_zero_byte() const { return ended_at_zero_byte_; }

 private:
  bool ReadPiece(std::uint64_t offset, std::string* out);
  FileSystem& fs_;
  const std::size_t piece_size_;
  Text path_;          // the chosen text file; empty: none
  std::string first_;  // its first piece
  std::string piece_;  // the piece being read after the first
  std::string decoded_;
  Text page_;
  BookPageBuilder builder_;
  WholeBookPage whole_;
  bool dropped_odd_byte_ = false;
  bool ended_at_zero_byte_ = false;
};

}  // namespace qm
