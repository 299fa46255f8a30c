// The file and memory services libmspack works through. Reading the book is
// buffered; writing goes to a descriptor the caller prepared (a temporary
// file of TargetFolder), so libmspack itself never opens a path for writing.
#pragma once

#include <mspack.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "header_repair.h"

namespace hh {

/// Which file a book is: its every open for reading must find the same
/// one, so that a book replaced while it is unpacked (a new build renamed
/// over it, say) is never read partly from each.
struct BookIdentity {
  bool known = false;
  dev_t device = 0;
  ino_t inode = 0;
  off_t size = 0;
  timespec modified{};

  static BookIdentity Of(const struct stat& st) { return {true, st.st_dev, st.st_ino, st.st_size, st.st_mtim}; }
  bool operator==(const BookIdentity& o) const {
    return known == o.known && device == o.device && inode == o.inode && size == o.size &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec;
  }
};

class MspackIo {
 public:
  /// The name to pass to libmspack's extract(): output then goes to the
  /// descriptor given to RouteOutputTo().
  static constexpr const char* kOutputName = "<hh.exe output>";

  MspackIo();
  MspackIo(const MspackIo&) = delete;
  MspackIo& operator=(const MspackIo&) = delete;

  /// The service table for mspack_create_chm_decompressor(); valid while
  /// this object lives.
  mspack_system* system() { return &table_.sys; }

  /// Sends the next file libmspack opens for writing to `fd` (not owned,
  /// not closed) and clears the previous output error.
  void RouteOutputTo(int fd);
  /// True when writing the routed output failed; output_error() says why.
  bool output_failed() const { return !output_error_.empty(); }
  const std::string& output_error() const { return output_error_; }

  /// Why the last attempt to open the book for reading failed (empty if it did not).
  const std::string& open_error() const { return open_error_; }

  /// The book as its first open for reading found it, or as ExpectBook()
  /// set it; a later open that finds another file fails.
  const BookIdentity& book() const { return book_; }
  /// Makes every open of the book for reading, the first included, fail
  /// unless it finds `book`.
  void ExpectBook(const BookIdentity& book) { book_ = book; }

  /// True when libmspack reported that the book's directory is damaged
  /// (entries lost or skipped) even though it opened the book.
  bool directory_damaged() const { return damaged_; }
  /// The corrections read over the book's own bytes (see header_repair.h),
  /// as found when the book was last opened for reading.
  const std::vector<ByteOverlay>& book_overlays() const { return book_overlays_; }

  /// Every message libmspack sent, in order.
  const std::vector<std::string>& messages() const { return messages_; }

 private:
  struct Table {
    mspack_system sys;
    MspackIo* owner;
  };
  struct File;

  static mspack_file* OpenFile(mspack_system* self, const char* name, int mode);
  static void CloseFile(mspack_file* file);
  static int ReadFile(mspack_file* file, void* buffer, int bytes);
  static int WriteFile(mspack_file* file, void* buffer, int bytes);
  static int SeekFile(mspack_file* file, off_t offset, int mode);
  static off_t TellFile(mspack_file* file);
  static void Message(mspack_file* file, const char* format, ...);
  static void* Allocate(mspack_system* self, size_t bytes);
  static void Release(void* pointer);
  static void Copy(void* source, void* destination, size_t bytes);

  void Note(std::string text);

  Table table_;
  int routed_fd_ = -1;
  std::string output_error_;
  std::string open_error_;
  BookIdentity book_;
  bool damaged_ = false;
  std::vector<ByteOverlay> book_overlays_;
  std::vector<std::string> messages_;
};

}  // namespace hh
