// One CHM book opened for reading with libmspack: its stored files in
// content order, and extraction of one of them into an open descriptor.
#pragma once

#include <mspack.h>

#include <string>
#include <vector>

#include "mspack_io.h"

namespace hh {

class ChmBook {
 public:
  /// Opens and lists the book. Check ok(); error() says why it failed.
  explicit ChmBook(const std::string& path);
  ~ChmBook();
  ChmBook(const ChmBook&) = delete;
  ChmBook& operator=(const ChmBook&) = delete;

  bool ok() const { return header_ != nullptr; }
  const std::string& error() const { return error_; }
  /// True when the directory was damaged and entries may be missing.
  bool damaged() const { return io_.directory_damaged(); }
  /// Warnings the decoder gave while opening.
  const std::vector<std::string>& warnings() const { return io_.messages(); }

  /// Stored files except the bookkeeping streams, ordered by section and
  /// then offset: the order in which compressed data is decoded only once.
  const std::vector<mschmd_file*>& files() const { return files_; }
  /// Sum of the lengths of files().
  unsigned long long TotalBytes() const;

  /// True when `file` is stored uncompressed and its declared length runs
  /// past the end of the book: its data is damaged, however much room the
  /// disk has.
  bool RunsPastTheEnd(const mschmd_file* file) const;

  /// Writes the content of `file` (one of files()) to `fd`. Returns an empty
  /// string on success, otherwise what went wrong; `fd` may then hold part
  /// of the content.
  std::string Extract(mschmd_file* file, int fd);

 private:
  MspackIo io_;
  mschm_decompressor* decompressor_ = nullptr;
  mschmd_header* header_ = nullptr;
  std::vector<mschmd_file*> files_;
  std::string error_;
};

}  // namespace hh
