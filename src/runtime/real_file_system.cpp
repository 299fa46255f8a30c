#include "runtime/real_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <wctype.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <memory>
#include <typeinfo>

#include "runtime/encoding.h"
#include "runtime/file_reader.h"
#include "runtime/file_writer.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"
#include "runtime/text.h"
#include "runtime/unique_fd.h"
#include "runtime/work_pool.h"

namespace qm {
namespace {

// The deletions of one folder use at most this many threads, and more than
// one only where a deletion takes longer than kDeletionThatWaits: where it
// takes a few microseconds, starting a thread costs more than it saves.
constexpr std::size_t kMostDeletionThreads = 8;
constexpr std::chrono::microseconds kDeletionThatWaits{100};
// Nor for a folder of fewer files than this: deletions in one folder take
// its locks in turn, and the few a small folder has, shared among threads,
// took as long as on one and spent twice the processor time on the locks
// (folders of 6 files, on a disk that discards what is deleted).
constexpr std::size_t kDeletionsWorthThreads = 16;

// The stamp of what `st` describes.
FileStamp StampOf(const struct stat& st) {
  return {static_cast<std::uint64_t>(st.st_ino), static_cast<long long>(st.st_size),
          static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec,
          static_cast<long long>(st.st_ctim.tv_sec) * 1000000000LL + st.st_ctim.tv_nsec};
}

// The status of `name` in the folder `dir` (of `dir` itself with an empty
// name and AT_EMPTY_PATH in `flags`), as fstatat gives it, but asked of the
// file system itself: a FUSE file system (bindfs, sshfs) otherwise answers
// for a while from the kernel's cache, whose change time the kernel sets by
// its own clock when a link to the file comes or goes (as placing a file
// there does), and one untouched file would show two change times. Only
// the fields a stamp and the kind of file take are filled.
int FreshStatus(int dir, const char* name, int flags, struct stat* st) {
  struct statx sx {};
  if (::statx(dir, name, flags | AT_STATX_FORCE_SYNC, STATX_BASIC_STATS, &sx) != 0)
    return errno == ENOSYS ? ::fstatat(dir, name, st, flags) : -1;
  *st = {};
  st->st_dev = makedev(sx.stx_dev_major, sx.stx_dev_minor);
  st->st_ino = sx.stx_ino;
  st->st_mode = sx.stx_mode;
  st->st_nlink = sx.stx_nlink;
  st->st_size = static_cast<off_t>(sx.stx_size);
  st->st_mtim = {static_cast<time_t>(sx.stx_mtime.tv_sec), static_cast<long>(sx.stx_mtime.tv_nsec)};
  st->st_ctim = {static_cast<time_t>(sx.stx_ctime.tv_sec), static_cast<long>(sx.stx_ctime.tv_nsec)};
  return 0;
}

std::string Native(const Text& path) { return NativeName(path); }

// The simple upper-case mapping of Unicode, which NTFS applies to every
// character of a name (full-width and Greek letters included), from the
// C.UTF-8 locale; ASCII and Latin-1 only when that locale is missing.
char32_t UpperCase(char32_t cp) {
  static const locale_t kUtf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (kUtf8 != static_cast<locale_t>(0)) return static_cast<char32_t>(::towupper_l(static_cast<wint_t>(cp), kUtf8));
  if (cp >= 'a' && cp <= 'z') return cp - 32;
  if (cp >= 0xE0 && cp <= 0xFE && cp != 0xF7) return cp - 32;
  return cp;
}

// The NTFS sort key of a name that is not ASCII: upper-cased UTF-16 code
// units of its UTF-8 form.
std::u16string SortKey(std::string_view gbk_name) {
  std::u16string key;
  std::string utf8 = NativeName(gbk_name);
  key.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t cp;
    std::size_t n = DecodeUtf8(utf8, i, &cp);
    if (n == 0) {
      cp = static_cast<unsigned char>(utf8[i]);
      n = 1;
    }
    i += n;
    cp = UpperCase(cp);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      key.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      key.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      key.push_back(static_cast<char16_t>(cp));
    }
  }
  return key;
}

// The errno code for a descriptor that fstat could not look at
// (`fstat_result` not 0: errno) or that `st` shows is not a regular file.
int NotRegular(int fstat_result, const struct stat& st) {
  if (fstat_result != 0) return errno;
  return S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
}

// Puts the data of the regular file at `native` (in the folder `dir`) on
// the disk before it takes another name: a power cut after the rename then
// finds the whole file under the new name, never an empty one (with its
// original, which the caller may delete next, gone). Folders and other
// kinds need nothing.
void SyncBeforeRename(const std::string& native, int dir = AT_FDCWD) {
  int fd = ::openat(dir, native.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) return;
  struct stat st;
  if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) ::fdatasync(fd);
  ::close(fd);
}

}  // namespace

int AttributesFromMode(unsigned mode, std::string_view name) {
  int attributes = 0;
  if (S_ISDIR(mode)) attributes |= kDirectory;
  else if (S_ISREG(mode)) attributes |= kArchive;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") attributes |= kHidden;
  if ((mode & S_IWUSR) == 0) attributes |= kReadOnly;
  return attributes;
}

namespace {

// A name's sort key, compared one UTF-16 unit at a time: an ASCII name is
// its own key once upper-cased, so only other names get a key built.
struct NtfsKey {
  const char* ascii = nullptr;     // the name, when it is ASCII
  const char16_t* wide = nullptr;  // the built key otherwise
  std::size_t size = 0;
  std::size_t index = 0;  // of the entry

  char16_t operator[](std::size_t i) const {
    if (!ascii) return wide[i];
    return static_cast<char16_t>(AsciiUpperByte(ascii[i]));
  }
};

bool IsAscii(std::string_view name) {
  return std::all_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

void SortLikeNtfs(std::vector<DirectoryEntry>* entries) {
  static const char16_t kDot[] = u"\x01", kDotDot[] = u"\x02";
  std::vector<std::u16string> built;  // never grows past its reservation: keys point into it
  built.reserve(entries->size());
  std::vector<NtfsKey> keys(entries->size());
  for (std::size_t i = 0; i < entries->size(); ++i) {
    const Text& name = (*entries)[i].name;
    NtfsKey& key = keys[i];
    key.index = i;
    if (name == "." || name == "..") {
      key.wide = name == "." ? kDot : kDotDot;
      key.size = 1;
    } else if (IsAscii(name)) {
      key.ascii = name.data();
      key.size = name.size();
    } else {
      built.push_back(SortKey(name));
      key.wide = built.back().data();
      key.size = built.back().size();
    }
  }
  // Names that differ only in case (possible on Linux) are ordered by their
  // bytes, so that the same folder always lists in the same order.
  std::sort(keys.begin(), keys.end(), [entries](const NtfsKey& a, const NtfsKey& b) {
    const std::size_t common = std::min(a.size, b.size);
    for (std::size_t i = 0; i < common; ++i)
      if (a[i] != b[i]) return a[i] < b[i];
    if (a.size != b.size) return a.size < b.size;
    return (*entries)[a.index].name < (*entries)[b.index].name;
  });
  std::vector<DirectoryEntry> sorted;
  sorted.reserve(entries->size());
  for (const NtfsKey& k : keys) sorted.push_back(std::move((*entries)[k.index]));
  *entries = std::move(sorted);
}

bool RealFileSystem::Read(const Text& path, std::string* out) { return ReadWhole(path, out, 0); }

bool RealFileSystem::ReadNoLink(const Text& path, std::string* out) { return ReadWhole(path, out, O_NOFOLLOW); }

bool RealFileSystem::ReadWhole(const Text& path, std::string* out, int flags) {
  out->clear();
  if (path.empty()) return Fail(ENOENT);
  // Non-blocking, so that a FIFO fails at once instead of waiting for a
  // writer; regular files read the same either way.
  int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | flags);
  if (fd < 0) return Fail(errno);
  struct stat st;
  const int looked = FreshStatus(fd, "", AT_EMPTY_PATH, &st);  // the stamp a deletion compares
  if (looked != 0 || !S_ISREG(st.st_mode)) {
    const int code = NotRegular(looked, st);
    ::close(fd);
    return Fail(code);
  }
  const bool ok = ReadToEnd(fd, static_cast<std::size_t>(st.st_size), out) || Fail(errno);
  ::close(fd);
  if (!ok) out->clear();
  if (ok) last_read_stamp_ = StampOf(st);
  return ok;
}

namespace {

// True when `st` is a file the owner may not write: read-only, as the
// platform maps it.
bool ReadOnlyFile(const struct stat& st) { return S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0; }

// Writes `data` to the freshly opened `fd` and closes it; the errno code
// when the descriptor is not a regular file or any write or the close
// fails, else 0.
int FillAndClose(int fd, std::string_view data) {
  struct stat st;
  int code = 0;
  const int looked = ::fstat(fd, &st);
  if (looked != 0 || !S_ISREG(st.st_mode)) code = NotRegular(looked, st);  // a FIFO or a device
  else if (!WriteAll(fd, data)) code = errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  return code;
}

}  // namespace

bool RealFileSystem::Write(const Text& path, std::string_view data) {
  if (path.empty()) return Fail(ENOENT);
  std::string native = Native(path);
  struct stat st;
  if (::lstat(native.c_str(), &st) == 0 && ReadOnlyFile(st)) return Fail(EACCES);
  // O_NOFOLLOW: a link at the name is never written through.
  int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW, 0644);
  if (fd < 0) return Fail(errno);
  const int code = FillAndClose(fd, data);
  return code == 0 || Fail(code);
}

bool RealFileSystem::MayRead(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  return ::faccessat(AT_FDCWD, Native(path).c_str(), R_OK, AT_EACCESS) == 0 || Fail(errno);
}

bool RealFileSystem::ReadPart(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) {
  return ReadPartOpened(path, offset, length, out, 0);
}

bool RealFileSystem::ReadPartNoLink(const Text& path, std::uint64_t offset, std::size_t length, std::string* out) {
  return ReadPartOpened(path, offset, length, out, O_NOFOLLOW);
}

bool RealFileSystem::ReadPartOpened(const Text& path, std::uint64_t offset, std::size_t length, std::string* out,
                                    int open_flags) {
  out->clear();
  if (path.empty()) return Fail(ENOENT);
  int fd = ::open(Native(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | open_flags);
  if (fd < 0) return Fail(errno);
  struct stat st;
  const int looked = ::fstat(fd, &st);
  bool ok = looked == 0 && S_ISREG(st.st_mode);
  if (!ok) Fail(NotRegular(looked, st));
  // Only what the file holds is asked for: a small file read in large
  // pieces neither clears a whole piece of memory nor reads twice.
  const std::uint64_t size = ok ? static_cast<std::uint64_t>(st.st_size) : 0;
  const std::size_t want =
      offset >= size ? 0 : static_cast<std::size_t>(std::min<std::uint64_t>(length, size - offset));
  out->resize(want);
  std::size_t got = 0;
  while (ok && got < want) {
    ssize_t n = ::pread(fd, out->data() + got, want - got, static_cast<off_t>(offset + got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = Fail(errno);
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  ::close(fd);
  out->resize(ok ? got : 0);
  return ok;
}

bool RealFileSystem::Append(const Text& path, std::string_view data) {
  if (path.empty()) return Fail(ENOENT);
  int fd = ::open(Native(path).c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
  if (fd < 0) return Fail(errno);
  struct stat st;
  if (::fstat(fd, &st) != 0 || ReadOnlyFile(st)) {
    const int code = ReadOnlyFile(st) ? EACCES : errno;
    ::close(fd);
    return Fail(code);
  }
  const int code = FillAndClose(fd, data);
  return code == 0 || Fail(code);
}

bool RealFileSystem::CreateNew(const Text& path, std::string_view data) {
  if (path.empty()) return Fail(ENOENT);
  std::string native = Native(path);
  int fd = ::open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) return Fail(errno);
  // Created by this call: a regular file, with nothing to look at first.
  int code = WriteAll(fd, data) ? 0 : errno;
  if (::close(fd) != 0 && code == 0) code = errno;
  if (code == 0) return true;
  ::unlink(native.c_str());  // made by this call: no partial file stays
  return Fail(code);
}

FileSystem::Placed RealFileSystem::PutWhole(const Text& path, std::string_view data) {
  last_placed_stamp_ = {};
  if (path.empty()) {
    Fail(ENOENT);
    return Placed::kFailed;
  }
  std::string native = Native(path);
  std::size_t slash = native.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : native.substr(0, slash);
  // A file without a name until it is whole: a kill leaves nothing behind,
  // and it takes its name with one directory change, where a temporary
  // file takes two.
  PendingWrite file;
  if (!file.CreateUnnamed(folder, 0644)) return Placed::kUnsupported;
  if (!file.Write(data) || (SyncsEachFile() && !file.Sync())) {
    Fail(errno);
    return Placed::kFailed;
  }
  // The file's own stamp, whatever its name may lead to once it has one.
  // Taking the name moves the change time: it is read from the name just
  // after, while that is still this file as written; else the stamp can
  // match nothing, and the file counts as changed.
  struct stat st;
  FileStamp written = FreshStatus(file.fd(), "", AT_EMPTY_PATH, &st) == 0 ? StampOf(st) : FileStamp{};
  if (file.PlaceAs(native, PendingWrite::Replace::kNever)) {
    struct stat named;
    const FileStamp now =
        FreshStatus(AT_FDCWD, native.c_str(), AT_SYMLINK_NOFOLLOW, &named) == 0 ? StampOf(named) : FileStamp{};
    const bool same = written.inode != 0 && now.inode == written.inode && now.size == written.size &&
                      now.modified == written.modified;
    written.changed = same ? now.changed : -2;
    last_placed_stamp_ = written;
    return Placed::kDone;
  }
  if (errno == ENOENT || errno == EPERM || errno == EOPNOTSUPP) return Placed::kUnsupported;  // no /proc
  Fail(errno);
  return errno == EEXIST ? Placed::kTaken : Placed::kFailed;
}

bool RealFileSystem::IsLink(const Text& path) {
  struct stat st;
  return !path.empty() && ::lstat(Native(path).c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

Text RealFileSystem::RealPath(const Text& path) {
  if (path.empty()) return Fail(ENOENT), Text();
  std::unique_ptr<char, void (*)(void*)> real(::realpath(Native(path).c_str(), nullptr), &std::free);
  if (!real) return Fail(errno), Text();
  return TextFromNativeName(real.get());
}

int RealFileSystem::Attributes(const Text& path) {
  if (path.empty()) return Fail(ENOENT), -1;
  struct stat st;
  if (::stat(Native(path).c_str(), &st) != 0) return Fail(errno), -1;
  std::string_view name = path;
  std::size_t k = name.find_last_of('/');
  if (k != std::string_view::npos) name = name.substr(k + 1);
  return AttributesFromMode(st.st_mode, name) & 0x37;
}

namespace {

// Lists `folder` for List (`read_only_bits`) and ListKinds (without them):
// the kind of an entry comes from the listing itself where the file system
// gives it (folder or regular file), so a stat is needed only for the
// read-only bit, for links (whose target decides) and for other kinds.
std::vector<DirectoryEntry> ListFolder(const Text& folder, bool read_only_bits, int* error) {
  std::vector<DirectoryEntry> entries;
  std::string native = folder.empty() ? std::string(".") : Native(folder);
  DIR* dir = ::opendir(native.c_str());
  if (!dir) {
    *error = errno;
    return entries;
  }
  int dfd = ::dirfd(dir);
  while (struct dirent* e = ::readdir(dir)) {
    if (!read_only_bits && (e->d_type == DT_DIR || e->d_type == DT_REG)) {
      entries.push_back({TextFromNativeName(e->d_name),
                         AttributesFromMode(e->d_type == DT_DIR ? S_IFDIR | S_IWUSR : S_IFREG | S_IWUSR, e->d_name),
                         false});
      continue;
    }
    struct stat st;
    if (::fstatat(dfd, e->d_name, &st, 0) != 0) {
      // A dangling link or an entry that vanished: list it as what it
      // claims to be, without the archive bit, so file filters skip it.
      if (::fstatat(dfd, e->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
      st.st_mode = S_IFLNK | (st.st_mode & 0777);
    }
    bool link = e->d_type == DT_LNK || S_ISLNK(st.st_mode);
    struct stat own;
    if (e->d_type == DT_UNKNOWN && ::fstatat(dfd, e->d_name, &own, AT_SYMLINK_NOFOLLOW) == 0)
      link = S_ISLNK(own.st_mode);
    entries.push_back({TextFromNativeName(e->d_name), AttributesFromMode(st.st_mode, e->d_name), link});
  }
  ::closedir(dir);
  SortLikeNtfs(&entries);
  return entries;
}

}  // namespace

std::vector<DirectoryEntry> RealFileSystem::ListRecordingFailure(const Text& folder, bool read_only_bits) {
  int error = 0;
  std::vector<DirectoryEntry> entries = ListFolder(folder, read_only_bits, &error);
  if (error != 0) Fail(error);
  return entries;
}

std::vector<DirectoryEntry> RealFileSystem::List(const Text& folder) { return ListRecordingFailure(folder, true); }

std::vector<DirectoryEntry> RealFileSystem::ListKinds(const Text& folder) {
  return ListRecordingFailure(folder, false);
}

bool RealFileSystem::Rename(const Text& from, const Text& to) {
  if (from.empty() || to.empty()) return Fail(ENOENT);
  std::string a = Native(from), b = Native(to);
  if (SyncsEachFile()) SyncBeforeRename(a);
  return RenameNoReplace(AT_FDCWD, a.c_str(), b.c_str()) || Fail(errno);
}

namespace {

// The folder at `folder` (following a link, as Identify does), held open
// for the *at calls, while it is the one `id` names; invalid otherwise.
UniqueFd OpenFolderWithId(const Text& folder, const FileId& id) {
  UniqueFd dir(::open(Native(folder.empty() ? Text(".") : folder).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  struct stat st;
  if (dir.valid() && (::fstat(dir.get(), &st) != 0 || !(FileId{st.st_dev, st.st_ino} == id))) dir.reset();
  return dir;
}

}  // namespace

void RealFileSystem::RenameIn(const Text& folder, const FileId& id, std::vector<NameChange>& changes) {
  // The folder held open is the one every rename happens in, wherever its
  // path leads by then.
  const UniqueFd dir = OpenFolderWithId(folder, id);
  const bool same = dir.valid();
  for (NameChange& change : changes) {
    if (!same) {
      change.error = FileError{ESTALE};
      continue;
    }
    const std::string from = Native(change.from), to = Native(change.to);
    if (!PlainName(from) || !PlainName(to)) {
      change.error = FileError{kUnusableName};
      continue;
    }
    if (SyncsEachFile()) SyncBeforeRename(from, dir.get());
    if (!RenameNoReplace(dir.get(), from.c_str(), to.c_str())) change.error = FileError{errno};
  }
}

bool RealFileSystem::ReplaceWith(const Text& from, const Text& to) {
  if (from.empty() || to.empty()) return Fail(ENOENT);
  std::string target = Native(to);
  struct stat st;
  const bool replacing = ::lstat(target.c_str(), &st) == 0;
  if (replacing && ReadOnlyFile(st)) return Fail(EACCES);  // as writing it would
  std::string source = Native(from);
  // The file replaced would be lost with an empty new one: a replacing
  // rename syncs even while syncs are deferred.
  if (durable_ && (replacing || SyncsEachFile())) SyncBeforeRename(source);
  return ::rename(source.c_str(), target.c_str()) == 0 || Fail(errno);
}

bool RealFileSystem::Delete(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  std::string native = Native(path);
  struct stat st;
  if (::lstat(native.c_str(), &st) == 0 && ReadOnlyFile(st)) return Fail(EACCES);
  return ::unlink(native.c_str()) == 0 || Fail(errno);
}

bool RealFileSystem::DeleteUnchanged(const Text& path, const FileStamp& expected) {
  if (path.empty()) return Fail(ENOENT);
  std::string native = Native(path);
  // One look gives both the stamp and the read-only bit.
  struct stat st;
  if (FreshStatus(AT_FDCWD, native.c_str(), AT_SYMLINK_NOFOLLOW, &st) != 0 || StampOf(st) != expected)
    return Fail(kChangedSinceRead);
  if (ReadOnlyFile(st)) return Fail(EACCES);
  return ::unlink(native.c_str()) == 0 || Fail(errno);
}

void RealFileSystem::DeleteUnchangedIn(const Text& folder, const FileId& id, std::vector<UnchangedFile>& files) {
  // The folder held open is the one every deletion happens in, wherever
  // its path leads by then.
  const UniqueFd dir = OpenFolderWithId(folder, id);
  const bool same = dir.valid();
  // One hidden name drawn for the batch (".~.PID-RANDOM.quillmere-tmp"),
  // each file's made from it by its place in the batch.
  const std::string aside_tail = same ? Native(TemporaryName("", false)).substr(2) : std::string();
  auto delete_one = [&](UnchangedFile& file) {
    struct stat st;
    if (!same) {
      file.error = FileError{ESTALE};
      return;
    }
    if (!file.copy.empty() &&
        (FreshStatus(dir.get(), Native(NameOf(file.copy)).c_str(), AT_SYMLINK_NOFOLLOW, &st) != 0 ||
         !S_ISREG(st.st_mode) || !AsWritten(StampOf(st), file.copy_stamp))) {
      file.error = FileError{kCopyChanged};
      return;
    }
    const std::string name = Native(NameOf(file.path));
    // One look gives both the stamp and the read-only bit.
    if (name.empty() || FreshStatus(dir.get(), name.c_str(), AT_SYMLINK_NOFOLLOW, &st) != 0 ||
        StampOf(st) != file.expected) {
      file.error = FileError{kChangedSinceRead};
      return;
    }
    if (ReadOnlyFile(st)) {
      file.error = FileError{EACCES};
      return;
    }
    // Moved aside before it is deleted, so that what goes is the file just
    // looked at: one renamed onto its name in the meantime (an editor
    // saving) is found out by its inode and put back. A run cut off here
    // leaves it under a hidden name that no run clears.
    const std::string aside = ".~" + std::to_string(&file - files.data()) + aside_tail;
    if (!RenameNoReplace(dir.get(), name.c_str(), aside.c_str())) {
      file.error = FileError{errno == ENOENT ? kChangedSinceRead : errno};
      return;
    }
    struct stat moved;
    if (FreshStatus(dir.get(), aside.c_str(), AT_SYMLINK_NOFOLLOW, &moved) == 0 && moved.st_ino == st.st_ino &&
        moved.st_size == st.st_size && moved.st_mtim.tv_sec == st.st_mtim.tv_sec &&
        moved.st_mtim.tv_nsec == st.st_mtim.tv_nsec) {
      if (::unlinkat(dir.get(), aside.c_str(), 0) == 0) return;
      file.error = FileError{errno};
    } else {
      file.error = FileError{kChangedSinceRead};
    }
    RenameNoReplace(dir.get(), aside.c_str(), name.c_str());
  };
  // The first two deletions show whether deleting waits for the device
  // here (on a disk mounted with discard, say, a deleted file's blocks are
  // discarded before unlink returns): only when both waited are the rest
  // shared among a few threads, whose waits overlap and may outnumber the
  // cores. One slow deletion alone is as often a moment's preemption, and
  // a thread started for nothing costs more than a few deletions. Each
  // file's looks and deletion stay one step, so the files may go in any
  // order.
  std::size_t timed = 0;
  bool waits = true;
  for (; timed < std::min<std::size_t>(2, files.size()); ++timed) {
    const auto began = std::chrono::steady_clock::now();
    delete_one(files[timed]);
    waits = waits && std::chrono::steady_clock::now() - began > kDeletionThatWaits;
  }
  const std::size_t left = files.size() - timed;
  const std::size_t helpers = same && waits && files.size() >= kDeletionsWorthThreads && ThreadCount() > 1
                                  ? std::min(kMostDeletionThreads - 1, left / 2)
                                  : 0;
  if (helpers == 0) {
    for (std::size_t i = timed; i < files.size(); ++i) delete_one(files[i]);
    return;
  }
  std::atomic<std::size_t> next{timed};
  auto work = [&] {
    for (std::size_t i; (i = next.fetch_add(1)) < files.size();) delete_one(files[i]);
  };
  // The pool's end, as this returns, waits for its helpers. They are spare
  // threads: an operation deletes batch after batch, folder by folder, and
  // starting threads for each would cost a small folder's gain.
  WorkPool pool(static_cast<unsigned>(helpers) + 1, Workers::kSpare);
  for (std::size_t k = 0; k < helpers; ++k) pool.Run(work);
  work();
}

bool RealFileSystem::RemoveDirectory(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  // rmdir never follows a link and refuses a folder that is not empty.
  return ::rmdir(Native(path).c_str()) == 0 || Fail(errno);
}

bool RealFileSystem::CreateDirectory(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  return ::mkdir(Native(path).c_str(), 0755) == 0 || Fail(errno);
}

bool RealFileSystem::ChangeDirectory(const Text& path) {
  if (path.empty()) return Fail(ENOENT);
  return ::chdir(Native(path).c_str()) == 0 || Fail(errno);
}

Text RealFileSystem::CurrentDirectory() {
  std::unique_ptr<char, void (*)(void*)> cwd(::getcwd(nullptr, 0), &std::free);
  return cwd ? TextFromNativeName(cwd.get()) : Text();
}

bool RealFileSystem::Identify(const Text& path, FileId* id) {
  struct stat st;
  if (path.empty()) return Fail(ENOENT);
  if (::stat(Native(path).c_str(), &st) != 0) return Fail(errno);
  id->device = st.st_dev;
  id->inode = st.st_ino;
  return true;
}

bool RealFileSystem::IdentifyFolderNoLink(const Text& path, FileId* id) {
  struct stat st;
  if (path.empty() || ::lstat(Native(path).c_str(), &st) != 0) return false;
  if (!S_ISDIR(st.st_mode)) return Fail(S_ISLNK(st.st_mode) ? ELOOP : ENOTDIR);
  id->device = st.st_dev;
  id->inode = st.st_ino;
  return true;
}

FileStamp RealFileSystem::Stamp(const Text& path) {
  struct stat st;
  if (path.empty() || FreshStatus(AT_FDCWD, Native(path).c_str(), AT_SYMLINK_NOFOLLOW, &st) != 0) return {};
  return StampOf(st);
}

long long RealFileSystem::ModifiedTime(const Text& path) {
  struct stat st;
  if (path.empty() || ::stat(Native(path).c_str(), &st) != 0) return -1;
  return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
}

std::unique_ptr<FileSystem> RealFileSystem::ForAnotherThread() {
  if (typeid(*this) != typeid(RealFileSystem)) return nullptr;
  return std::make_unique<RealFileSystem>(*this);
}

void RealFileSystem::DeferSyncs(bool deferred) {
  if (deferred) ++deferred_;
  else if (deferred_ > 0) --deferred_;
}

bool RealFileSystem::SyncAll(const Text& folder) {
  if (!durable_) return true;
  // One syncfs puts every file of the file system on the disk with one
  // journal commit, where a sync per file would wait for one commit each.
  int fd = ::open(Native(folder.empty() ? Text(".") : folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return Fail(errno);
  const int code = ::syncfs(fd) == 0 ? 0 : errno;
  ::close(fd);
  return code == 0 || Fail(code);
}

}  // namespace qm
