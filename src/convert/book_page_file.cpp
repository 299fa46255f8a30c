#include "convert/book_page_file.h"

#include <memory>

#include "core/text_decoding.h"
#include "runtime/file_ops.h"

namespace qm {

void WholeBookPage::Make(std::string_view bytes, const Text& name, long index, long count, const Text& date,
                         const BookPageOptions& options, Random& random, Text& page) {
  TextEncodingDetector detector;
  detector.Add(bytes);
  TextDecoder decoder(detector.Finish());
  enum { kText, kEnd, kDone } step = kText;
  BookPageBuilder::Pieces pieces = [&](std::string_view* piece) {
    if (step == kDone) return false;
    *piece = step == kText ? decoder.Add(bytes, &decoded_) : decoder.Finish(&decoded_);
    step = step == kText ? kEnd : kDone;
    return true;
  };
  page.clear();
  builder_.Build(name, pieces, index, count, date, options, random, page);
  dropped_odd_byte_ = decoder.dropped_odd_byte();
}

BookPageFile::BookPageFile(FileSystem& fs, std::size_t piece_size)
    : fs_(fs), piece_size_(piece_size > 0 ? piece_size : 1) {}

bool BookPageFile::Open(const Text& path) {
  path_ = path;
  if (ReadPiece(0, &first_)) return true;
  Close();
  return false;
}

std::string BookPageFile::TakeWhole() {
  std::string text = std::move(first_);
  Close();
  return text;
}

void BookPageFile::Close() {
  path_.clear();
  first_.clear();
}

bool BookPageFile::ReadPiece(std::uint64_t offset, std::string* out) {
  return fs_.ReadPartNoLink(path_, offset, piece_size_, out);
}

bool BookPageFile::CopyTo(const Text& to) {
  if (first_.size() < piece_size_) return WriteFileSafely(fs_, to, first_);
  SafeFileWriter writer(fs_, to);
  std::uint64_t offset = 0;
  for (const std::string* piece = &first_; !piece->empty(); piece = &piece_) {
    if (!writer.Add(*piece)) return false;
    offset += piece->size();
    if (!ReadPiece(offset, &piece_)) return false;
  }
  return writer.Commit();
}

bool BookPageFile::WritePage(const Text& page_path, const Text& name, long index, long count, const Text& date,
                             const BookPageOptions& options, Random& random) {
  // A text of less than a piece is whole in the first piece and made whole
  // in memory; a longer one is read on until a read comes back empty, its
  // page written as it grows.
  if (Whole()) {
    whole_.Make(first_, name, index, count, date, options, random, page_);
    dropped_odd_byte_ = whole_.dropped_odd_byte();
    ended_at_zero_byte_ = whole_.ended_at_zero_byte();
    return WriteFileSafely(fs_, page_path, page_);
  }
  bool read_failed = false;
  std::uint64_t offset = 0;  // of the piece to read next
  auto read_next = [&]() {
    if (!ReadPiece(offset, &piece_)) {
      read_failed = true;
      return false;
    }
    offset += piece_.size();
    return !piece_.empty();
  };

  // The encoding is known from the first piece unless it may be UTF-8,
  // which takes a pass over the whole text.
  TextEncodingDetector detector;
  offset = first_.size();
  if (detector.Add(first_)) {
    while (read_next() && detector.Add(piece_)) {
    }
  }
  if (read_failed) return false;
  TextDecoder decoder(detector.Finish());
  dropped_odd_byte_ = false;

  enum { kFirst, kMore, kDone } step = kFirst;
  BookPageBuilder::Pieces pieces = [&](std::string_view* piece) {
    if (step == kFirst) {
      step = kMore;
      offset = first_.size();
      *piece = decoder.Add(first_, &decoded_);
    } else if (step == kMore && read_next()) {
      *piece = decoder.Add(piece_, &decoded_);
    } else if (step == kMore) {
      step = kDone;
      *piece = decoder.Finish(&decoded_);
      dropped_odd_byte_ = decoder.dropped_odd_byte();
    } else {
      return false;
    }
    return true;
  };
  std::unique_ptr<SafeFileWriter> writer;
  BookPageBuilder::Output output = [&](std::string_view bytes) {
    if (!writer) writer = std::make_unique<SafeFileWriter>(fs_, page_path);
    return writer->Add(bytes);
  };
  page_.clear();
  const bool built = builder_.Build(name, pieces, index, count, date, options, random, page_, piece_size_, output);
  ended_at_zero_byte_ = builder_.ended_at_zero_byte();
  if (!built || read_failed) return false;
  if (!writer) return WriteFileSafely(fs_, page_path, page_);
  return writer->Add(page_) && writer->Commit();
}

}  // namespace qm
