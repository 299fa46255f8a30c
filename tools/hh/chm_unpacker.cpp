#include "chm_unpacker.h"

#include <mspack.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "entry_name.h"
#include "mspack_io.h"
#include "target_folder.h"

namespace hh {
namespace {

const char* describeMspackError(int code) {
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

struct DecompressorDeleter {
  void operator()(mschm_decompressor* d) const { mspack_destroy_chm_decompressor(d); }
};
using Decompressor = std::unique_ptr<mschm_decompressor, DecompressorDeleter>;

// Closes the book with the decompressor that opened it.
class OpenBook {
 public:
  OpenBook(mschm_decompressor* d, mschmd_header* h) : decompressor_(d), header_(h) {}
  OpenBook(const OpenBook&) = delete;
  OpenBook& operator=(const OpenBook&) = delete;
  ~OpenBook() {
    if (header_) decompressor_->close(decompressor_, header_);
  }
  mschmd_header* get() const { return header_; }

 private:
  mschm_decompressor* decompressor_;
  mschmd_header* header_;
};

// Stored files to unpack, in content order.
std::vector<mschmd_file*> filesInContentOrder(mschmd_header* book) {
  std::vector<mschmd_file*> files;
  for (mschmd_file* f = book->files; f; f = f->next)
    if (!isBookkeepingName(f->filename)) files.push_back(f);
  std::stable_sort(files.begin(), files.end(), [](const mschmd_file* a, const mschmd_file* b) {
    if (a->section->id != b->section->id) return a->section->id < b->section->id;
    return a->offset < b->offset;
  });
  return files;
}

// Writes one stored file; returns the outcome and logs a failure.
WriteStatus unpackOne(mschm_decompressor* decompressor, MspackIo& io, TargetFolder& target,
                      mschmd_file* file, const std::vector<std::string>& components) {
  PendingFile pending;
  WriteStatus status = target.begin(components, pending);
  if (!status.ok) return status;
  io.routeOutputTo(pending.file.get());
  const int rc = decompressor->extract(decompressor, file, MspackIo::kOutputName);
  io.routeOutputTo(-1);
  if (rc != MSPACK_ERR_OK || io.outputFailed()) {
    target.abandon(pending);
    return {false, false, io.outputFailed() ? io.outputError() : describeMspackError(rc)};
  }
  return target.commit(pending);
}

}  // namespace

UnpackReport unpackChm(const std::string& chmPath, const std::string& folder, std::ostream& log) {
  UnpackReport report;
  int selftest = MSPACK_ERR_OK;
  MSPACK_SYS_SELFTEST(selftest);
  if (selftest != MSPACK_ERR_OK) {
    report.error = "libmspack does not match this program (off_t size)";
    return report;
  }

  MspackIo io;
  Decompressor decompressor(mspack_create_chm_decompressor(io.system()));
  if (!decompressor) {
    report.error = "cannot start the CHM decoder";
    return report;
  }
  OpenBook book(decompressor.get(), decompressor->open(decompressor.get(), chmPath.c_str()));
  for (const std::string& message : io.messages()) log << "hh.exe: " << chmPath << ": " << message << '\n';
  if (!book.get()) {
    const int code = decompressor->last_error(decompressor.get());
    report.error = chmPath + ": " +
                   (code == MSPACK_ERR_OPEN && !io.openError().empty() ? io.openError()
                                                                       : describeMspackError(code));
    return report;
  }
  report.opened = true;
  report.damaged = io.directoryDamaged();

  std::string folderError;
  std::unique_ptr<TargetFolder> target = TargetFolder::open(folder, folderError);
  if (!target) {
    report.error = folderError;
    return report;
  }

  for (mschmd_file* file : filesInContentOrder(book.get())) {
    const SanitizedName name = sanitizeEntryName(file->filename);
    if (!name.ok) {
      ++report.refused;
      log << "hh.exe: refused entry \"" << file->filename << "\": " << name.reason << '\n';
      continue;
    }
    const WriteStatus status = unpackOne(decompressor.get(), io, *target, file, name.components);
    if (status.ok) {
      ++report.written;
    } else if (status.refused) {
      ++report.refused;
      log << "hh.exe: refused entry \"" << file->filename << "\": " << status.message << '\n';
    } else {
      ++report.failed;
      log << "hh.exe: cannot unpack \"" << file->filename << "\": " << status.message << '\n';
    }
  }
  return report;
}

}  // namespace hh
