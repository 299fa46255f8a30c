#include "mspack_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "header_repair.h"
#include "runtime/unique_fd.h"

namespace hh {
namespace {

constexpr std::size_t kBufferSize = 64 * 1024;

}  // namespace

struct MspackIo::File : mspack_file {
  MspackIo* owner = nullptr;
  bool writing = false;
  int fd = -1;
  qm::UniqueFd owned_fd;  // the book, for reading; outputs belong to the caller
  off_t position = 0;
  off_t size = 0;
  std::vector<ByteOverlay> overlays;        // header corrections, see header_repair.h
  std::unique_ptr<unsigned char[]> buffer;  // kBufferSize bytes, left uninitialised
  off_t buffer_start = 0;
  std::size_t buffer_length = 0;  // reading: valid bytes; writing: pending bytes
  bool failed = false;

  ssize_t ReadAt(unsigned char* data, std::size_t length, off_t at) const {
    ssize_t n;
    do n = ::pread(fd, data, length, at);
    while (n < 0 && errno == EINTR);
    if (n > 0) ApplyOverlays(overlays, data, at, static_cast<std::size_t>(n));
    return n;
  }

  bool Flush() {
    std::size_t done = 0;
    while (done < buffer_length) {
      ssize_t n = ::write(fd, buffer.get() + done, buffer_length - done);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        owner->output_error_ = std::string("write failed: ") + (n < 0 ? std::strerror(errno) : "no space");
        failed = true;
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    buffer_length = 0;
    return true;
  }
};

MspackIo::MspackIo() {
  table_.sys.open = &MspackIo::OpenFile;
  table_.sys.close = &MspackIo::CloseFile;
  table_.sys.read = &MspackIo::ReadFile;
  table_.sys.write = &MspackIo::WriteFile;
  table_.sys.seek = &MspackIo::SeekFile;
  table_.sys.tell = &MspackIo::TellFile;
  table_.sys.message = &MspackIo::Message;
  table_.sys.alloc = &MspackIo::Allocate;
  table_.sys.free = &MspackIo::Release;
  table_.sys.copy = &MspackIo::Copy;
  table_.sys.null_ptr = nullptr;
  table_.owner = this;
}

void MspackIo::RouteOutputTo(int fd) {
  routed_fd_ = fd;
  output_error_.clear();
}

void MspackIo::Note(std::string text) {
  // libmspack says so when it dropped directory entries it could not read.
  if (text.find("corrupt") != std::string::npos || text.find("invalid section") != std::string::npos) damaged_ = true;
  messages_.push_back(std::move(text));
}

mspack_file* MspackIo::OpenFile(mspack_system* self, const char* name, int mode) try {
  MspackIo* owner = reinterpret_cast<Table*>(self)->owner;
  auto file = new File;
  file->owner = owner;
  if (mode == MSPACK_SYS_OPEN_READ) {
    // Non-blocking: a FIFO given as the book must not wait for a writer.
    file->owned_fd.reset(::open(name, O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (!file->owned_fd.valid() || ::fstat(file->owned_fd.get(), &st) != 0) {
      owner->open_error_ = std::strerror(errno);
      delete file;
      return nullptr;
    }
    if (!S_ISREG(st.st_mode)) {
      owner->open_error_ = "not a regular file";
      delete file;
      return nullptr;
    }
    if (!owner->book_.known) {
      owner->book_ = BookIdentity::Of(st);
    } else if (owner->book_ != BookIdentity::Of(st)) {
      owner->open_error_ = "the book was replaced or changed while it was being unpacked";
      delete file;
      return nullptr;
    }
    owner->open_error_.clear();
    file->fd = file->owned_fd.get();
    file->size = st.st_size;
    file->overlays = HeaderRepairs(file->fd);
    owner->book_overlays_ = file->overlays;
    if (std::string loop = DirectoryLoop(file->fd, file->overlays); !loop.empty()) {
      owner->open_error_ = loop;
      delete file;
      return nullptr;
    }
  } else if (mode == MSPACK_SYS_OPEN_WRITE && std::strcmp(name, kOutputName) == 0 && owner->routed_fd_ >= 0) {
    file->writing = true;
    file->fd = std::exchange(owner->routed_fd_, -1);
  } else {
    delete file;
    return nullptr;
  }
  file->buffer.reset(new unsigned char[kBufferSize]);
  return file;
} catch (const std::bad_alloc&) {
  // libmspack is C: out of memory is reported as a failed open.
  return nullptr;
}

void MspackIo::CloseFile(mspack_file* handle) {
  auto file = static_cast<File*>(handle);
  if (file->writing && !file->failed) file->Flush();
  delete file;
}

int MspackIo::ReadFile(mspack_file* handle, void* destination, int bytes) {
  auto file = static_cast<File*>(handle);
  if (file->writing || bytes < 0) return -1;
  auto out = static_cast<unsigned char*>(destination);
  std::size_t want = static_cast<std::size_t>(bytes), done = 0;
  while (done < want) {
    const off_t buffer_end = file->buffer_start + static_cast<off_t>(file->buffer_length);
    if (file->position >= file->buffer_start && file->position < buffer_end) {
      std::size_t from = static_cast<std::size_t>(file->position - file->buffer_start);
      std::size_t n = std::min(want - done, file->buffer_length - from);
      std::memcpy(out + done, file->buffer.get() + from, n);
      done += n;
      file->position += static_cast<off_t>(n);
      continue;
    }
    ssize_t n;
    if (want - done >= kBufferSize) {  // large reads skip the buffer
      n = file->ReadAt(out + done, want - done, file->position);
      if (n > 0) {
        done += static_cast<std::size_t>(n);
        file->position += n;
        continue;
      }
    } else {
      n = file->ReadAt(file->buffer.get(), kBufferSize, file->position);
      if (n > 0) {
        file->buffer_start = file->position;
        file->buffer_length = static_cast<std::size_t>(n);
        continue;
      }
    }
    if (n < 0) return -1;
    break;  // end of file
  }
  return static_cast<int>(done);
}

int MspackIo::WriteFile(mspack_file* handle, void* source, int bytes) {
  auto file = static_cast<File*>(handle);
  if (!file->writing || file->failed || bytes < 0) return -1;
  auto in = static_cast<const unsigned char*>(source);
  std::size_t left = static_cast<std::size_t>(bytes);
  while (left > 0) {
    std::size_t n = std::min(left, kBufferSize - file->buffer_length);
    std::memcpy(file->buffer.get() + file->buffer_length, in, n);
    file->buffer_length += n;
    in += n;
    left -= n;
    if (file->buffer_length == kBufferSize && !file->Flush()) return -1;
  }
  return bytes;
}

int MspackIo::SeekFile(mspack_file* handle, off_t offset, int mode) {
  auto file = static_cast<File*>(handle);
  if (file->writing) return -1;
  off_t base = 0;
  switch (mode) {
    case MSPACK_SYS_SEEK_START: base = 0; break;
    case MSPACK_SYS_SEEK_CUR: base = file->position; break;
    case MSPACK_SYS_SEEK_END: base = file->size; break;
    default: return -1;
  }
  if ((offset > 0 && base > std::numeric_limits<off_t>::max() - offset) || base + offset < 0) return -1;
  file->position = base + offset;
  return 0;
}

off_t MspackIo::TellFile(mspack_file* handle) { return static_cast<File*>(handle)->position; }

void MspackIo::Message(mspack_file* handle, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof text, format, args);
  va_end(args);
  if (handle) {
    try {
      static_cast<File*>(handle)->owner->Note(text);
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "hh.exe: %s\n", text);
    }
  } else {
    std::fprintf(stderr, "hh.exe: %s\n", text);
  }
}

void* MspackIo::Allocate(mspack_system*, size_t bytes) { return std::malloc(bytes); }
void MspackIo::Release(void* pointer) { std::free(pointer); }
void MspackIo::Copy(void* source, void* destination, size_t bytes) { std::memcpy(destination, source, bytes); }

}  // namespace hh
