#include "chm_book.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "entry_name.h"

namespace hh {
namespace {

const char* DescribeMspackError(int code) {
  switch (code) {
    case MSPACK_ERR_OK: return "no error";
    case MSPACK_ERR_ARGS: return "bad arguments";
    case MSPACK_ERR_OPEN: return "cannot open";
    case MSPACK_ERR_READ: return "cannot read (file truncated or damaged)";
    case MSPACK_ERR_WRITE: return "cannot write";
    case MSPACK_ERR_SEEK: return "bad position (file truncated or damaged)";
    case MSPACK_ERR_NOMEMORY: return "out of memory";
    case MSPACK_ERR_SIGNATURE: return "not a CHM file";
    case MSPACK_ERR_DATAFORMAT: return "damaged CHM data";
    case MSPACK_ERR_CHECKSUM: return "checksum error";
    case MSPACK_ERR_DECRUNCH: return "damaged compressed data";
    default: return "unknown error";
  }
}

// The bytes of `file`, stored in section 0 of the book open as `fd`, as
// `overlays` correct them; false when they cannot all be read.
bool ReadStored(int fd, const mschmd_header& header, const mschmd_file* file, const std::vector<ByteOverlay>& overlays,
                std::size_t max_length, std::vector<unsigned char>& out) {
  if (!file || !file->section || file->section->id != 0 || file->offset < 0 || file->length < 0 ||
      static_cast<unsigned long long>(file->length) > max_length || header.sec0.offset < 0)
    return false;
  const off_t at = header.sec0.offset + file->offset;
  out.resize(static_cast<std::size_t>(file->length));
  std::size_t got = 0;
  while (got < out.size()) {
    const ssize_t n = ::pread(fd, out.data() + got, out.size() - got, at + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  ApplyOverlays(overlays, out.data(), at, out.size());
  return true;
}

// Empties `fd` for a second attempt at a file.
bool Rewind(int fd) { return ::ftruncate(fd, 0) == 0 && ::lseek(fd, 0, SEEK_SET) == 0; }

}  // namespace

ChmBook::ChmBook(const std::string& path, LzxDecoder decoder, const BookIdentity* expected)
    : path_(path), decoder_(decoder) {
  if (expected) io_.ExpectBook(*expected);
  int selftest = MSPACK_ERR_OK;
  MSPACK_SYS_SELFTEST(selftest);
  if (selftest != MSPACK_ERR_OK) {
    error_ = "libmspack was built with another file offset size";
    return;
  }
  decompressor_ = mspack_create_chm_decompressor(io_.system());
  if (!decompressor_) {
    error_ = "cannot start the CHM decoder";
    return;
  }
  header_ = decompressor_->open(decompressor_, path_.c_str());  // kept by libmspack
  if (!header_) {
    const int code = decompressor_->last_error(decompressor_);
    error_ = code == MSPACK_ERR_OPEN && !io_.open_error().empty() ? io_.open_error() : DescribeMspackError(code);
    return;
  }
  for (mschmd_file* f = header_->files; f; f = f->next)
    if (!IsBookkeepingName(f->filename)) files_.push_back(f);
  std::stable_sort(files_.begin(), files_.end(), [](const mschmd_file* a, const mschmd_file* b) {
    if (a->section->id != b->section->id) return a->section->id < b->section->id;
    return a->offset < b->offset;
  });
}

ChmBook::~ChmBook() {
  if (header_) decompressor_->close(decompressor_, header_);
  if (decompressor_) mspack_destroy_chm_decompressor(decompressor_);
}

unsigned long long ChmBook::TotalBytes() const {
  unsigned long long total = 0;
  for (const mschmd_file* f : files_) total += static_cast<unsigned long long>(f->length);
  return total;
}

bool ChmBook::RunsPastTheEnd(const mschmd_file* file) const {
  if (file->section->id != 0) return false;
  const off_t start = header_->sec0.offset + file->offset;
  return file->offset < 0 || file->length < 0 || start > header_->length || file->length > header_->length - start;
}

LzxSection* ChmBook::CompressedSection() {
  if (section_checked_) return section_.get();
  section_checked_ = true;
  const mschmd_sec_mscompressed& sec = header_->sec1;
  if (!sec.content || !sec.control || !sec.rtable) return nullptr;
  book_fd_.reset(::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat st {};
  // A book replaced since it was listed is left to libmspack, whose open
  // then fails for the same reason.
  if (!book_fd_.valid() || ::fstat(book_fd_.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
      BookIdentity::Of(st) != io_.book())
    return nullptr;
  std::vector<unsigned char> control, table;
  const std::vector<ByteOverlay>& overlays = io_.book_overlays();
  if (!ReadStored(book_fd_.get(), *header_, sec.control, overlays, 64, control) ||
      !ReadStored(book_fd_.get(), *header_, sec.rtable, overlays, kMaxResetTableBytes, table))
    return nullptr;
  LzxLayout layout;
  if (!ReadLzxLayout(control, table, layout).empty()) return nullptr;
  const mschmd_file* content = sec.content;
  if (content->section->id != 0 || content->offset < 0 || content->length < 0 || header_->sec0.offset < 0 ||
      content->offset > st.st_size - header_->sec0.offset)
    return nullptr;
  layout.stream_start = header_->sec0.offset + content->offset;
  layout.stream_length = std::min<std::uint64_t>(static_cast<std::uint64_t>(content->length),
                                                 static_cast<std::uint64_t>(st.st_size - layout.stream_start));
  section_ = std::make_unique<LzxSection>(book_fd_.get(), overlays, std::move(layout));
  return section_.get();
}

std::string ChmBook::Extract(mschmd_file* file, int fd) {
  note_.clear();
  std::string damage;
  if (file->section->id == 1 && !first_compressed_) first_compressed_ = file;
  if (file->section->id == 1 && decoder_ != LzxDecoder::kLibmspack && file->offset >= 0 && file->length >= 0) {
    if (file->length == 0) return {};
    LzxSection* section = CompressedSection();
    if (!section && decoder_ == LzxDecoder::kOwnAlone) return "the compressed section is laid out unusually";
    if (section) {
      switch (
          section->Extract(static_cast<std::uint64_t>(file->offset), static_cast<std::uint64_t>(file->length), fd)) {
        case LzxOutcome::kDone: return {};
        case LzxOutcome::kWriteFailed: return section->error();
        case LzxOutcome::kNotHandled:
          if (decoder_ == LzxDecoder::kOwnAlone) return "the file lies where the reset table does not lead";
          break;
        case LzxOutcome::kDamaged:
          if (decoder_ == LzxDecoder::kOwnAlone) return section->error();
          // libmspack tries too: it reads past the stream's end and takes a
          // few things this decoder refuses, and a file it unpacks is kept.
          // It reads the rest of the book too, decoding again from the
          // first compressed file asked for: what damaged data gives
          // depends on where decoding started (x86 call translation counts
          // from there), so the book comes out as libmspack alone gives it.
          damage = section->error();
          decoder_ = LzxDecoder::kLibmspack;
          if (!Rewind(fd)) return std::string("cannot empty the output: ") + std::strerror(errno);
          ReadAgainFromFirst(file);
          break;
      }
    }
  }
  std::string error = ExtractWithLibmspack(file, fd);
  if (!error.empty() && !damage.empty()) error += " (" + damage + ")";
  if (error.empty() && !damage.empty())
    note_ = "its compressed data looks damaged (" + damage +
            "); unpacked as libmspack reads it, which may not be what was stored";
  return error;
}

void ChmBook::ReadAgainFromFirst(const mschmd_file* file) {
  // libmspack decodes on from a file to any later one; from the first
  // compressed file asked for, it reaches `file` as if it had read every
  // file up to it.
  if (!first_compressed_ || first_compressed_ == file || first_compressed_->offset > file->offset) return;
  qm::UniqueFd nowhere(::open("/dev/null", O_WRONLY | O_CLOEXEC));
  if (nowhere.valid()) ExtractWithLibmspack(first_compressed_, nowhere.get());
}

std::string ChmBook::ExtractWithLibmspack(mschmd_file* file, int fd) {
  io_.RouteOutputTo(fd);
  const int rc = decompressor_->extract(decompressor_, file, MspackIo::kOutputName);
  // The last buffer is written when libmspack closes the output, inside
  // extract: take its error before the routing is reset (which clears it).
  std::string error = io_.output_error();
  io_.RouteOutputTo(-1);
  if (!error.empty()) return error;
  // libmspack opens the book again to extract: say why that failed.
  if (rc == MSPACK_ERR_OPEN && !io_.open_error().empty()) return "cannot open the book: " + io_.open_error();
  return rc == MSPACK_ERR_OK ? std::string() : DescribeMspackError(rc);
}

}  // namespace hh
