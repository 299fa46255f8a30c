// Unpacks every stored file of a CHM book into a folder.
#pragma once

#include <cstddef>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace hh {

/// What an unpacking run did.
struct UnpackReport {
  bool opened = false;      ///< the book could be read as a CHM file
  bool damaged = false;     ///< the book's directory was damaged (entries may be missing)
  std::size_t written = 0;  ///< files written under their final names
  std::size_t refused = 0;  ///< entries refused for safety (unsafe names, escaping links)
  std::size_t failed = 0;   ///< entries that could not be read or written
  std::string error;        ///< why the run stopped early (book or folder unusable)
  /// Files not written under their own names, one line each: a file of
  /// other bytes, a link or a FIFO was already there (kept; the book's
  /// version went beside it), or the book holds a second entry of the same
  /// name.
  std::vector<std::string> notes;

  /// True only when the book was sound and every stored file was written.
  bool complete() const { return opened && error.empty() && !damaged && refused == 0 && failed == 0; }
};

struct UnpackOptions {
  /// Threads that decode parts of the book side by side; 0 picks one per
  /// processor, or QUILLMERE_THREADS (at most 4), for big books and one for
  /// small ones.
  unsigned workers = 0;
  /// Asked before each file, from any worker thread, with the number of
  /// stored files and the file's stored name; false stops that worker there,
  /// so every file is either written whole or not touched.
  std::function<bool(std::size_t total, const std::string& name)> before_file;
};

/// Unpacks `chm_path` into `folder`.
///
/// The book is opened first; a file that is no CHM book gives an error and
/// creates nothing. Then `folder` and its parents are created when missing,
/// and every stored file except the bookkeeping streams is written under
/// its sanitized relative name, in content order (section, then offset) so
/// that compressed data is decoded once; with several workers each decodes
/// one stretch of that order. Each file is written to a temporary name and
/// renamed into place only when complete; a file already in the folder is
/// never replaced (TargetFolder::Commit), and a second entry of a name the
/// book already holds is written as "STEM (2).EXT". Every refused or failed entry,
/// and every warning, is written as one line to `log`, in content order.
UnpackReport UnpackChm(const std::string& chm_path, const std::string& folder, std::ostream& log,
                       const UnpackOptions& options = {});

}  // namespace hh
