// One CHM book opened for reading with libmspack: its stored files in
// content order, and extraction of one of them into an open descriptor;
// files of the compressed section go to LzxSection first.
#pragma once

#include <mspack.h>

#include <memory>
#include <string>
#include <vector>

#include "lzx_section.h"
#include "mspack_io.h"
#include "runtime/unique_fd.h"

namespace hh {

/// Which decoder unpacks files of the compressed section.
enum class LzxDecoder {
  kOwn,        ///< LzxSection, with libmspack for what it does not take or finds damaged
  kOwnAlone,   ///< LzxSection alone: what it does not take or finds damaged fails (to compare decoders)
  kLibmspack,  ///< libmspack alone
};

class ChmBook {
 public:
  /// Opens and lists the book. Check ok(); error() says why it failed.
  /// With `expected`, the book must be that file (as identity() of
  /// another ChmBook gave it), or opening fails.
  explicit ChmBook(const std::string& path, LzxDecoder decoder = LzxDecoder::kOwn,
                   const BookIdentity* expected = nullptr);
  ~ChmBook();
  ChmBook(const ChmBook&) = delete;
  ChmBook& operator=(const ChmBook&) = delete;

  bool ok() const { return header_ != nullptr; }
  const std::string& error() const { return error_; }
  /// True when the directory was damaged and entries may be missing.
  bool damaged() const { return io_.directory_damaged(); }
  /// The file this book was read from; every later read of it checks it.
  const BookIdentity& identity() const { return io_.book(); }
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

  /// Writes the content of `file` (one of files()) to `fd`, which must be
  /// empty, regular and at its start. Returns an empty string on success,
  /// otherwise what went wrong; `fd` may then hold part of the content.
  /// Compressed files go to LzxSection; those it does not take, or finds
  /// damaged, to libmspack.
  std::string Extract(mschmd_file* file, int fd);
  /// What the last Extract that succeeded found worth saying of the file:
  /// empty, or that its compressed data looked damaged and libmspack's
  /// reading of it was written.
  const std::string& note() const { return note_; }

 private:
  /// The decoder of the compressed section, made at the first call; null
  /// when the section is missing or laid out in a way only libmspack reads.
  LzxSection* CompressedSection();
  std::string ExtractWithLibmspack(mschmd_file* file, int fd);
  /// Has libmspack decode from the first compressed file extracted up to
  /// `file`, writing nothing, so that it goes on as it would had it read
  /// the book from there: what damaged data gives depends on where
  /// decoding started.
  void ReadAgainFromFirst(const mschmd_file* file);

  std::string path_;
  LzxDecoder decoder_;
  std::string note_;
  mschmd_file* first_compressed_ = nullptr;
  bool section_checked_ = false;
  qm::UniqueFd book_fd_;
  std::unique_ptr<LzxSection> section_;
  MspackIo io_;
  mschm_decompressor* decompressor_ = nullptr;
  mschmd_header* header_ = nullptr;
  std::vector<mschmd_file*> files_;
  std::string error_;
};

}  // namespace hh
