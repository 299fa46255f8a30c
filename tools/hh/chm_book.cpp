#include "chm_book.h"

#include <algorithm>

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

}  // namespace

ChmBook::ChmBook(const std::string& path) {
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
  header_ = decompressor_->open(decompressor_, path.c_str());
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

std::string ChmBook::Extract(mschmd_file* file, int fd) {
  io_.RouteOutputTo(fd);
  const int rc = decompressor_->extract(decompressor_, file, MspackIo::kOutputName);
  // The last buffer is written when libmspack closes the output, inside
  // extract: take its error before the routing is reset (which clears it).
  std::string error = io_.output_error();
  io_.RouteOutputTo(-1);
  if (!error.empty()) return error;
  return rc == MSPACK_ERR_OK ? std::string() : DescribeMspackError(rc);
}

}  // namespace hh
