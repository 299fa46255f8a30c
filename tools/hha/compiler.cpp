#include "compiler.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "../book_limit.h"
#include "background_index.h"
#include "book_paths.h"
#include "chm_container.h"
#include "full_text_index.h"
#include "html_text.h"
#include "names.h"
#include "output_file.h"
#include "page_encoding.h"
#include "page_references.h"
#include "reader_names.h"
#include "runtime/compiler_contract.h"
#include "runtime/encoding.h"
#include "runtime/file_reader.h"
#include "runtime/file_writer.h"
#include "runtime/progress_protocol.h"
#include "runtime/text.h"
#include "runtime/unique_fd.h"
#include "sitemap_links.h"
#include "system_files.h"
#include "topic_tables.h"

namespace hha {
namespace {

namespace fs = std::filesystem;

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return !in.bad();
}

bool IsFolder(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The real path of `path` (links and "." / ".." resolved); empty when it
// cannot be resolved.
std::string RealPathOf(const std::string& path) {
  char* real = ::realpath(path.c_str(), nullptr);
  std::string out = real ? real : "";
  std::free(real);
  return out;
}

// True when the real path `p` is `real_root` or lies below it.
bool PathUnder(const std::string& p, std::string real_root) {
  if (real_root.empty() || p.empty()) return false;
  if (p == real_root) return true;
  if (real_root.back() != '/') real_root += '/';
  return p.compare(0, real_root.size(), real_root) == 0;
}

// True when the real path of `path` is `real_root` (itself a real path) or
// lies below it.
bool RealPathUnder(const std::string& path, const std::string& real_root) {
  return PathUnder(RealPathOf(path), real_root);
}

// True when the open file or folder `fd`, opened by `path`, lies inside
// `real_root`: what the descriptor reached, not what the name leads to
// now, so that a link swapped in after a look cannot take it elsewhere.
// Where /proc cannot tell, the real path of `path` counts when it is the
// very file opened.
bool OpenedInside(int fd, const std::string& path, const std::string& real_root) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  char reached[4096];
  const ssize_t n = ::readlink(self.c_str(), reached, sizeof reached);
  if (n > 0 && n < static_cast<ssize_t>(sizeof reached) && reached[0] == '/')
    return PathUnder(std::string(reached, static_cast<std::size_t>(n)), real_root);
  const std::string real = RealPathOf(path);
  struct stat opened {
  }, named{};
  return !real.empty() && ::fstat(fd, &opened) == 0 && ::stat(real.c_str(), &named) == 0 &&
         opened.st_dev == named.st_dev && opened.st_ino == named.st_ino && PathUnder(real, real_root);
}

enum class BookRead { kOk, kNotOpened, kUnreadable, kOutside };

// Opens the regular file at `path` for reading into `in`, with its status
// in `st`, when it lies inside `real_root` as opened: kOutside when it does
// not, kNotOpened or kUnreadable when it cannot be read. Opened without
// waiting, so that a file swapped for a FIFO meanwhile is refused instead
// of waited on.
BookRead OpenBookFile(const std::string& path, const std::string& real_root, qm::UniqueFd& in, struct stat& st) {
  in.reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!in.valid()) return BookRead::kNotOpened;
  if (::fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return BookRead::kUnreadable;
  // What was opened, not what the name was when it was looked at: a link
  // swapped in since must not bring a file from elsewhere into the book.
  if (!OpenedInside(in.get(), path, real_root)) return BookRead::kOutside;
  return BookRead::kOk;
}

// One read of `fd`, going on after interruptions.
ssize_t ReadSome(int fd, void* at, std::size_t room) {
  for (;;) {
    const ssize_t n = ::read(fd, at, room);
    if (n >= 0 || errno != EINTR) return n;
  }
}

// Reads the regular file at `path` whole when it lies inside `real_root`
// as opened (see OpenBookFile).
BookRead ReadBookFile(const std::string& path, const std::string& real_root, std::string& out) {
  out.clear();
  qm::UniqueFd in;
  struct stat st {};
  if (BookRead opened = OpenBookFile(path, real_root, in, st); opened != BookRead::kOk) return opened;
  return qm::ReadToEnd(in.get(), static_cast<std::size_t>(st.st_size), &out) ? BookRead::kOk : BookRead::kUnreadable;
}

// A file of the book: its stored name and where it is on disk. Contents
// and index files are stored as rewritten for readers (`content`).
struct BookFile {
  std::string name;
  std::string disk_path;
  std::optional<std::string> content;
};

// Collects the files to store, in order, without duplicates, without the
// output file itself.
class FileList {
 public:
  FileList(std::string root, std::string real_root, std::string output, const MessageSink& sink, std::size_t& warnings)
      : root_(std::move(root)),
        real_root_(std::move(real_root)),
        output_(std::move(output)),
        sink_(sink),
        warnings_(warnings) {}

  void Warn(const std::string& text) {
    ++warnings_;
    sink_(Severity::Warning, text);
  }

  /// Adds the file a project or contents text names. `what` says where the
  /// name came from, for messages. Returns the stored name when the file is
  /// part of the book.
  std::optional<std::string> Add(const std::string& gbk, const std::string& what) {
    return Add(BesideProject(gbk), Shown(gbk), what);
  }

  /// The same for a path already converted; `shown` names it in messages.
  std::optional<std::string> Add(const BookPath& p, const std::string& shown, const std::string& what) {
    if (!p.ok) {
      Warn(what + " \"" + shown + "\" skipped: " + p.error);
      if (p.unstorable) LeaveOut(shown);
      return std::nullopt;
    }
    if (p.name.size() > 1000) {
      Warn(what + " \"" + shown + "\" skipped: the name is too long for a book");
      LeaveOut(shown);
      return std::nullopt;
    }
    // A name the project and its contents both give is looked up once.
    if (auto known = added_.find(p.disk_name); known != added_.end()) return files_[known->second].name;
    std::optional<std::string> disk = FindInBook(root_, p.disk_name);
    if (!disk) {
      Warn(what + " \"" + shown + "\" not found; it is not in the book");
      return std::nullopt;
    }
    if (!PathUnder(RealPathOfFile(*disk), RealRoot())) {
      Warn(what + " \"" + shown + "\" leads through a link out of the project's folder; it is not in the book");
      return std::nullopt;
    }
    if (IsOutput(*disk)) {
      Warn(what + " \"" + shown + "\" is the file being compiled; it is not stored inside itself");
      return std::nullopt;
    }
    auto [seen, fresh] = index_.try_emplace(qm::AsciiLowerBytes(p.name), files_.size());
    if (!fresh) {
      const BookFile& f = files_[seen->second];
      if (!SameFile(f.disk_path, *disk)) {
        Warn(what + " \"" + p.name + "\" differs from \"" + f.name +
             "\" only in letter case, which book readers cannot tell apart; only the first is stored");
        return f.name;
      }
      added_.emplace(p.disk_name, seen->second);
      return f.name;
    }
    added_.emplace(p.disk_name, files_.size());
    files_.push_back({p.name, *disk, std::nullopt});
    return p.name;
  }

  /// Notes a named file that is not in the book (once per name).
  void LeaveOut(const std::string& shown) {
    if (std::find(left_out_.begin(), left_out_.end(), shown) == left_out_.end()) left_out_.push_back(shown);
  }

  /// True when the name a project or contents text gives names a file
  /// in the book's folder (nothing is added, nothing reported).
  bool HasFile(const std::string& gbk) {
    BookPath p = BesideProject(gbk);
    return p.ok && FindInBook(root_, p.disk_name).has_value();
  }

  std::vector<BookFile>& Files() { return files_; }
  /// The real path of the book's folder, as it was when the compile began.
  const std::string& RealRoot() const { return real_root_; }
  const std::string& Root() const { return root_; }
  /// Files named in the project that are not in the book: every file of its
  /// list, its contents file or its default topic that was skipped, and any named file that
  /// cannot be stored under any name.
  const std::vector<std::string>& LeftOut() const { return left_out_; }

  /// The project spelling under which `gbk` (a name given to Add) reaches
  /// its stored name: changed only for names that hold "\\" as a character.
  std::string Respelled(const std::string& gbk) const {
    auto it = respelled_.find(gbk);
    return it == respelled_.end() ? gbk : qm::TextFromNativeName(it->second);
  }

 private:
  // The book path of `gbk`. A Linux name may hold "\\" as an ordinary
  // character: a name without "/" that is the name of a file beside the
  // project is that file, stored with "_" for each "\\" (which readers
  // would take for a folder).
  BookPath BesideProject(const std::string& gbk) {
    if (gbk.find('\\') != std::string::npos && gbk.find('/') == std::string::npos) {
      std::string literal = NameFromProject(gbk);
      // Asked once per name: the project and its contents often give the same.
      auto [known, fresh] = literal_file_.try_emplace(gbk, false);
      if (fresh) {
        struct stat st {};
        known->second = qm::IsValidUtf8(literal) && literal != "." && literal != ".." &&
                        ::stat((root_ + "/" + literal).c_str(), &st) == 0 && S_ISREG(st.st_mode);
      }
      if (known->second) {
        BookPath p;
        p.ok = true;
        p.disk_name = literal;
        p.name = literal;
        for (char& c : p.name)
          if (c == '\\') c = '_';
        respelled_[gbk] = p.name;
        return p;
      }
    }
    return ToBookPath(gbk);
  }

  // The real path of the file at `path`: that of its folder, resolved once
  // per folder (thousands of pages share a few), and its name, unless the
  // name is itself a link, which is resolved whole. Which file is read is
  // checked again as it is opened.
  std::string RealPathOfFile(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? std::string() : path.substr(slash + 1);
    struct stat st {};
    if (slash == 0 || name.empty() || name == "." || name == ".." || ::lstat(path.c_str(), &st) != 0 ||
        S_ISLNK(st.st_mode))
      return RealPathOf(path);
    auto [folder, fresh] = real_folders_.try_emplace(path.substr(0, slash));
    if (fresh) folder->second = RealPathOf(folder->first);
    if (folder->second.empty()) return {};
    return folder->second + (folder->second.back() == '/' ? "" : "/") + name;
  }

  // True when `path` is the compiled file, as it was when first asked.
  bool IsOutput(const std::string& path) {
    if (!output_id_) {
      struct stat st {};
      output_id_ = ::stat(output_.c_str(), &st) == 0 ? std::pair{st.st_dev, st.st_ino} : std::pair<dev_t, ino_t>{};
    }
    struct stat st {};
    return output_id_->second != 0 && ::stat(path.c_str(), &st) == 0 && st.st_dev == output_id_->first &&
           st.st_ino == output_id_->second;
  }

  static bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  }

  std::string root_;
  std::string real_root_;
  std::string output_;
  const MessageSink& sink_;
  std::size_t& warnings_;
  std::vector<BookFile> files_;
  std::vector<std::string> left_out_;
  std::unordered_map<std::string, std::size_t> index_;         // folded name -> files_ position
  std::unordered_map<std::string, std::size_t> added_;         // name on disk, once added -> files_ position
  std::optional<std::pair<dev_t, ino_t>> output_id_;           // the compiled file's device and inode, once asked
  std::unordered_map<std::string, std::string> respelled_;     // project name -> stored name
  std::unordered_map<std::string, bool> literal_file_;         // project name with "\\" -> names a file as it stands
  std::unordered_map<std::string, std::string> real_folders_;  // a folder's path -> its real path
};

// Adds the local pages the sitemap file `stored` links to, and keeps the
// file's text as readers get it: every Local value in the spelling of the
// stored name, with "/" between folders, which every reader resolves
// ("\" is what the project's own format writes, and some readers fail on it).
// In a code page 936 book, references to characters it has are written as
// the characters (`gbk_language`).
void AddLinkedPages(FileList& list, const std::string& stored, const std::string& what, bool gbk_language) {
  std::size_t index = 0;
  while (index < list.Files().size() && list.Files()[index].name != stored) ++index;
  if (index == list.Files().size()) return;
  std::string text;
  const std::string& disk_path = list.Files()[index].disk_path;
  if (const BookRead read = ReadBookFile(disk_path, list.RealRoot(), text); read != BookRead::kOk) {
    list.Warn(read == BookRead::kOutside
                  ? what + " \"" + Printable(stored) +
                        "\" leads through a link out of the project's folder; it is not in the book"
                  : "cannot read " + what + " " + Printable(disk_path));
    return;
  }
  // A Local value is read with its attribute references undone. One that
  // holds "?" or "#" names a file with those characters when the book's
  // folder has it; otherwise they start a query or fragment.
  std::set<std::string> seen, stored_links, whole_links;
  for (const std::string& raw : SitemapLocalLinks(text)) {
    const std::string link = qm::AttributeValueText(raw);
    const bool whole = link.find_first_of("?#") != std::string::npos && list.HasFile(link);
    if (whole) whole_links.insert(link);
    std::string file = whole ? link : std::string(LinkFilePart(link));
    if (file.empty() || !seen.insert(file).second) continue;
    BookPath p = ToBookPath(file);
    if (!p.ok && !p.unstorable) continue;  // links to the web or into other books
    if (list.Add(file, "page linked from the " + what)) stored_links.insert(file);
  }
  std::string rewritten = RewriteLocalLinks(text, [&](std::string_view raw) {
    const std::string value = qm::AttributeValueText(raw);
    if (whole_links.count(value) && stored_links.count(value)) return LocalForReaders(value, true, true);
    return LocalForReaders(value, stored_links.count(std::string(LinkFilePart(value))) != 0);
  });
  list.Files()[index].content = gbk_language ? WithCharactersForReferences(rewritten) : std::move(rewritten);
}

// The references that lead to no file, remembered by a hash of their
// lower-case names so that a name met again costs no look at the disk and
// a page of a million such references little memory; at most kRemembered of
// them (beyond, each is looked up again). Only the first kReportedPerPage of
// a page are reported one by one.
class MissingNames {
 public:
  static constexpr std::size_t kRemembered = std::size_t{1} << 18;
  static constexpr std::size_t kReportedPerPage = 1000;

  bool Seen(const std::string& lower) const { return hashes_.count(std::hash<std::string>{}(lower)) != 0; }

  /// Notes `lower` for `page`; true when it is to be reported.
  bool Note(const std::string& lower, const std::string& page, FileList& list) {
    if (hashes_.size() < kRemembered) hashes_.insert(std::hash<std::string>{}(lower));
    if (page != page_) {
      page_ = page;
      reported_ = 0;
    }
    if (++reported_ == kReportedPerPage + 1)
      list.Warn("page \"" + Printable(page) + "\" refers to more missing or unusable files; they are not listed");
    return reported_ <= kReportedPerPage;
  }

 private:
  std::unordered_set<std::size_t> hashes_;
  std::string page_;
  std::size_t reported_ = 0;
};

// Follows the local references of the stored page `page` (images, style
// sheets, scripts, linked pages) and adds the files they name. `known`
// holds every name of a file already looked at, in lower case, and
// `missing` those that lead nowhere, so each reference costs one set lookup
// after the first.
void AddReferencedFiles(FileList& list, const std::string& page, std::string_view html,
                        std::unordered_set<std::string>& known, MissingNames& missing) {
  std::size_t slash = page.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : page.substr(0, slash + 1);
  ForEachPageReference(html, [&](std::string_view reference) {
    std::string file = LocalReference(reference);
    if (file.empty()) return;
    // Pages are written in code page 936 or in UTF-8: take the reading that
    // names a file.
    std::vector<std::string> spellings = {qm::NativeName(file)};
    if (!IsAscii(file) && qm::IsValidUtf8(file)) spellings.push_back(file);
    std::optional<BookPath> first, found;
    bool handled = false;
    for (const std::string& spelling : spellings) {
      BookPath p = ToBookPathUtf8(folder + spelling);
      if (!first) first = p;
      if (!p.ok) continue;
      const std::string lower = qm::AsciiLowerBytes(p.name);
      if (known.count(lower) || missing.Seen(lower)) {
        handled = true;
        break;
      }
      if (FindInBook(list.Root(), p.disk_name)) {
        found = p;
        break;
      }
    }
    if (handled || !first) return;
    const BookPath& p = found ? *found : *first;
    if (!p.ok) {
      if (const std::string lower = qm::AsciiLowerBytes(folder + file);
          !p.unstorable && !missing.Seen(lower) && missing.Note(lower, page, list))
        list.Warn("page \"" + Printable(page) + "\" refers to \"" + Printable(file) + "\": " + p.error);
      return;
    }
    if (found) {
      known.insert(qm::AsciiLowerBytes(p.name));
      list.Add(p, Printable(p.name), "file referred to by page \"" + Printable(page) + "\"");
    } else if (missing.Note(qm::AsciiLowerBytes(p.name), page, list)) {
      list.Warn("page \"" + Printable(page) + "\" refers to \"" + Printable(p.name) +
                "\", which is not found; it is not in the book");
    }
  });
}

// Writes the compressed stream to an unnamed temporary file.
class SpoolFile {
 public:
  /// In the folder `dir` (a descriptor): unnamed where the file system
  /// can, else under a fresh name that goes at once.
  explicit SpoolFile(int dir) {
    qm::UniqueFd fd(::openat(dir, ".", O_RDWR | O_TMPFILE | O_CLOEXEC, 0600));
    std::mt19937_64 pick(static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         static_cast<std::uint64_t>(::getpid()));
    for (int attempt = 0; !fd.valid() && attempt < 100; ++attempt) {
      const std::string name = ".hha-spool-" + std::to_string(pick() % 1000000000);
      fd.reset(::openat(dir, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
      if (fd.valid()) ::unlinkat(dir, name.c_str(), 0);
      else if (errno != EEXIST) break;
    }
    if (fd.valid()) {
      file_ = ::fdopen(fd.get(), "w+b");
      if (file_) fd.release();
    }
  }
  ~SpoolFile() {
    if (file_) std::fclose(file_);
  }
  SpoolFile(const SpoolFile&) = delete;
  SpoolFile& operator=(const SpoolFile&) = delete;

  bool Ok() const { return file_ != nullptr; }
  Status Write(const std::uint8_t* data, std::size_t size) {
    if (size && std::fwrite(data, 1, size, file_) != size) return Failed("cannot write the temporary file");
    return Status::Ok();
  }
  /// Copies everything written so far to out: inside the kernel where the
  /// file system can, else through a buffer.
  Status CopyTo(qm::PendingWrite& out) {
    struct stat st {};
    if (std::fflush(file_) != 0 || ::fstat(::fileno(file_), &st) != 0)
      return Failed("cannot read back the temporary file");
    loff_t from = 0;
    const auto size = static_cast<loff_t>(st.st_size);
    while (from < size) {
      const ssize_t n =
          ::copy_file_range(::fileno(file_), &from, out.fd(), nullptr, static_cast<std::size_t>(size - from), 0);
      if (n > 0) continue;
      // A file system without the call (or two devices, on older kernels)
      // takes the buffered copy from here on; other errors are failures.
      if (n < 0 && errno != EXDEV && errno != ENOSYS && errno != EINVAL && errno != EOPNOTSUPP)
        return Failed("cannot write the compiled file");
      break;
    }
    if (from == size) return Status::Ok();
    if (std::fseek(file_, static_cast<long>(from), SEEK_SET) != 0) return Failed("cannot read back the temporary file");
    std::vector<char> buf(1 << 20);
    std::size_t n;
    while ((n = std::fread(buf.data(), 1, buf.size(), file_)) > 0)
      if (!out.Write(std::string_view(buf.data(), n))) return Failed("cannot write the compiled file");
    if (std::ferror(file_)) return Failed("cannot read back the temporary file");
    return Status::Ok();
  }

 private:
  // `what` and the reason the last call gave.
  static Status Failed(const std::string& what) { return Status::Fail(what + ": " + std::strerror(errno)); }
  std::FILE* file_ = nullptr;
};

// The time a book is stamped with, in seconds since 1970: that of
// SOURCE_DATE_EPOCH when it holds one, so that the same project gives the
// same bytes on every run (reproducible builds), else now.
std::uint64_t BookTime() {
  if (const char* fixed = std::getenv("SOURCE_DATE_EPOCH"); fixed && *fixed >= '0' && *fixed <= '9') {
    char* end = nullptr;
    errno = 0;
    unsigned long long secs = std::strtoull(fixed, &end, 10);
    if (errno == 0 && *end == '\0' && secs <= 0xFFFFFFFFull) return secs;
  }
  using namespace std::chrono;
  return static_cast<std::uint64_t>(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

std::uint64_t BookFiletime() { return (BookTime() + 11644473600ull) * 10000000ull; }

// Adds a folder entry for every folder that holds a stored file.
void AddFolderEntries(std::vector<DirectoryEntry>& entries) {
  std::set<std::string> folders = {"/"};
  for (const DirectoryEntry& e : entries) {
    for (std::size_t slash = e.name.find('/', 1); slash != std::string::npos; slash = e.name.find('/', slash + 1))
      folders.insert(e.name.substr(0, slash + 1));
  }
  std::set<std::string, bool (*)(const std::string&, const std::string&)> unique(
      [](const std::string& a, const std::string& b) { return CompareChmNames(a, b) < 0; });
  for (const std::string& f : folders)
    if (unique.insert(f).second) entries.push_back({f, 0, 0, 0});
}

// Reads and parses the project file. A folder (or device) reads as an empty
// project, which would replace an earlier book with an empty one: only a
// regular file is a project.
Status LoadProject(const std::string& project_path, HhpProject& project) {
  struct stat project_stat {};
  if (::stat(project_path.c_str(), &project_stat) == 0 && !S_ISREG(project_stat.st_mode))
    return Status::Fail("the project " + Printable(project_path) + " is not a regular file");
  std::string text;
  if (!ReadWholeFile(project_path, text))
    return Status::Fail("cannot read the project file " + Printable(project_path));
  project = qm::ParseProjectFile(text);
  return Status::Ok();
}

// The compiled file's path, relative to the project's folder `root`; the
// project file's own name with ".chm" when the project names none.
Status ResolveOutputPath(const HhpProject& project, const std::string& root, const std::string& real_root,
                         const std::string& project_stem, std::string& output) {
  const qm::CompiledFile book = qm::CompiledFileOf(project, root, project_stem);
  if (!book.error.empty()) return Status::Fail(book.error);
  // A missing folder is left to the write, which then fails.
  if (!book.folder.empty() && IsFolder(book.folder) && !RealPathUnder(book.folder, real_root))
    return Status::Fail("the compiled file \"" + Shown(project.compiled_file) + "\" lies outside the project's folder");
  output = book.path;
  if (output.empty() || output.back() == '/') return Status::Fail("the compiled file has no name");
  return Status::Ok();
}

// Puts the project's files, contents, index and default topic on the list
// and fills the #SYSTEM facts that name them.
SystemInfo GatherFiles(const HhpProject& project, const std::string& output, FileList& list,
                       ReaderNames& reader_names) {
  for (const std::string& entry : project.files)
    if (!list.Add(entry, "file")) list.LeaveOut(Shown(entry));
  SystemInfo system;
  system.lcid = project.language;
  system.title = ReaderText(project.title);
  system.default_font = project.default_font;
  // Readers that choose the page's character set from the book's default
  // font (xchm) need one to read Chinese pages.
  if (system.default_font.empty() && IsGbkLanguage(project.language)) system.default_font = qm::Gbk("宋体") + ",9,134";
  system.full_text_search = project.full_text_search;
  system.default_window = project.default_window;
  system.filetime = BookFiletime();
  system.compiled_name = qm::GbkFromUtf8(fs::path(output).stem().string());
  if (!project.contents_file.empty()) {
    if (auto name = list.Add(project.contents_file, "contents file")) {
      system.contents_file = reader_names.For(*name, "contents");
      AddLinkedPages(list, *name, "contents file", IsGbkLanguage(project.language));
    } else {
      list.LeaveOut(Shown(project.contents_file));  // the book would have no table of contents
    }
  } else {
    list.Warn("the project names no contents file; the book has no table of contents");
  }
  if (!project.index_file.empty()) {
    if (auto name = list.Add(project.index_file, "index file")) {
      system.index_file = reader_names.For(*name, "index");
      AddLinkedPages(list, *name, "index file", IsGbkLanguage(project.language));
    }
  }
  if (!project.default_topic.empty()) {
    if (auto name = list.Add(project.default_topic, "default topic"))
      system.default_topic = reader_names.For(*name, "home");
    else list.LeaveOut(Shown(project.default_topic));
  } else {
    list.Warn("the project names no default topic");
  }
  return system;
}

// The compressed section and the directory entries of what it holds.
class BookSection {
 public:
  BookSection(LzxSectionWriter& section, ContainerLayout& layout) : section_(section), layout_(layout) {}

  /// Compresses `data` as the file `name`.
  Status Store(const std::string& name, const Bytes& data) {
    layout_.entries.push_back({name, 1, section_.uncompressed_size(), data.size()});
    return section_.Write(data.data(), data.size());
  }

  /// Compresses as the file `name` what `produce` gives its sink, piece by
  /// piece as it comes.
  Status StoreStreamed(const std::string& name, const std::function<bool(const FullTextIndex::IndexSink&)>& produce) {
    const std::uint64_t start = section_.uncompressed_size();
    Status status;
    produce([&](const std::uint8_t* data, std::size_t size) {
      status = section_.Write(data, size);
      return status.ok;
    });
    if (!status.ok) return status;
    layout_.entries.push_back({name, 1, start, section_.uncompressed_size() - start});
    return status;
  }

  LzxSectionWriter& Section() { return section_; }
  ContainerLayout& Layout() { return layout_; }

 private:
  LzxSectionWriter& section_;
  ContainerLayout& layout_;
};

// The tables of the book's pages, filled while the pages are stored.
struct PageTables {
  PageTables(const HhpProject& project, qm::WorkPool& pool) : gbk_language(IsGbkLanguage(project.language)) {
    if (project.full_text_search) index.emplace(pool);
  }
  StringTable strings;  // #STRINGS, for the windows and the page titles
  TopicTables topics;
  std::optional<BackgroundIndex> index;
  bool gbk_language;
  std::size_t converted = 0;  // pages stored in another encoding than on disk
};

// The page as the book stores it: in code page 936 in a book of that code
// page, else as it is.
std::string StoredPage(std::string_view raw, PageTables& tables) {
  if (!tables.gbk_language) return std::string(raw);
  BookPage page = PageForBook(raw);
  if (!page.converted_from.empty()) ++tables.converted;
  return std::move(page.text);
}

// The Windows code page readers decode the words of a book of `lcid` in.
std::uint32_t CodePageOf(std::uint32_t lcid) {
  switch (lcid) {
    case 0x804:
    case 0x1004: return 936;
    case 0x404:
    case 0xC04:
    case 0x1404: return 950;
    case 0x411: return 932;
    case 0x412: return 949;
    default: return 1252;
  }
}

// Stores #WINDOWS for the project's windows, with their texts and file
// names as readers take them (their texts go to #STRINGS).
Status StoreWindows(HhpProject& project, const SystemInfo& system, const FileList& list, ReaderNames& reader_names,
                    BookSection& book, PageTables& tables) {
  for (WindowDefinition& w : project.windows) {
    w.caption = ReaderText(w.caption);
    w.jump1_text = ReaderText(w.jump1_text);
    w.jump2_text = ReaderText(w.jump2_text);
  }
  // Windows-style viewers show an index tab only when the window names the
  // index file; a project's "Index file=" fills a default window without one.
  for (WindowDefinition& w : project.windows)
    if (&w == project.DefaultWindow() && w.index_file.empty() && !system.index_file.empty())
      w.index_file = project.index_file;
  for (WindowDefinition& w : project.windows)
    for (std::string* name : {&w.contents_file, &w.index_file, &w.default_file, &w.home_file})
      *name = list.Respelled(*name);
  if (project.windows.empty()) return Status::Ok();
  auto reader_name = [&](const std::string& gbk, WindowFileKind kind) -> std::string {
    if (gbk.empty()) return {};
    BookPath p = ToBookPath(gbk);
    if (!p.ok) return {};
    return reader_names.For(p.name, kind == WindowFileKind::Contents ? "contents"
                                    : kind == WindowFileKind::Index  ? "index"
                                                                     : "home");
  };
  return book.Store("/#WINDOWS", BuildWindowFiles(project.windows, reader_name, tables.strings));
}

// Stores the topic tables, #STRINGS and the search index once every page
// is stored.
Status StoreTables(const HhpProject& project, PageTables& tables, BookSection& book) {
  if (tables.topics.size() > 0) {
    if (Status s = book.Store("/#TOPICS", tables.topics.topics()); !s.ok) return s;
    if (Status s = book.Store("/#URLTBL", tables.topics.url_table()); !s.ok) return s;
    if (Status s = book.Store("/#URLSTR", tables.topics.url_strings()); !s.ok) return s;
  }
  if (!project.windows.empty() || tables.topics.size() > 0)
    if (Status s = book.Store("/#STRINGS", tables.strings.bytes()); !s.ok) return s;
  if (tables.index)
    return book.StoreStreamed("/$FIftiMain", [&](const FullTextIndex::IndexSink& sink) {
      return tables.index->Finish(project.language, CodePageOf(project.language), sink);
    });
  return Status::Ok();
}

// What became of one file of the list.
enum class Stored { kYes, kNotOpened, kUnreadable, kOutside, kFailed };

// Refuses a file of `size` bytes when, after the `stored` bytes before it,
// the book would hold more than hh.exe unpacks.
Status CheckRoom(const BookFile& f, std::uint64_t size, std::uint64_t stored) {
  if (size <= book_limit::kMaxContentBytes - std::min(stored, book_limit::kMaxContentBytes)) return Status::Ok();
  return Status::Fail("\"" + Printable(f.name) + "\" (" + std::to_string(size) +
                      " bytes) would make the book hold more than " + book_limit::kShown +
                      " of files, more than a book may hold; nothing was compiled");
}

// Compresses the file `f` (the `start`-th byte of the section onwards),
// from its rewritten text or from disk; a page's bytes on disk are kept in
// `page` for its references, and its stored form in `stored`.
Stored CompressFile(const BookFile& f, bool is_page, std::uint64_t start, const std::string& real_root,
                    LzxSectionWriter& section, std::vector<std::uint8_t>& buffer, std::string& page,
                    std::string& stored, PageTables& tables, Status& status) {
  if (f.content) {
    status = CheckRoom(f, f.content->size(), start);
    if (status.ok) status = section.Write(reinterpret_cast<const std::uint8_t*>(f.content->data()), f.content->size());
    return status.ok ? Stored::kYes : Stored::kFailed;
  }
  qm::UniqueFd in;
  struct stat st {};
  switch (OpenBookFile(f.disk_path, real_root, in, st)) {
    case BookRead::kOk: break;
    case BookRead::kNotOpened:
      // Too big for the book is said even of a file that cannot be opened.
      if (::stat(f.disk_path.c_str(), &st) == 0) status = CheckRoom(f, static_cast<std::uint64_t>(st.st_size), start);
      return status.ok ? Stored::kNotOpened : Stored::kFailed;
    case BookRead::kUnreadable: return Stored::kUnreadable;
    case BookRead::kOutside: return Stored::kOutside;
  }
  const auto size = static_cast<std::size_t>(st.st_size);
  status = CheckRoom(f, size, start);
  if (!status.ok) return Stored::kFailed;
  bool read_error = false;
  if (is_page) {
    // A page is held whole: its references are read from it.
    read_error = !qm::ReadToEnd(in.get(), size, &page);
  } else {
    // Other files go on in pieces; a short piece once `size` bytes are in
    // is the end.
    for (std::size_t total = 0;;) {
      const ssize_t n = ReadSome(in.get(), buffer.data(), buffer.size());
      if (n < 0) read_error = true;
      if (n <= 0) break;
      total += static_cast<std::size_t>(n);
      status = section.Write(buffer.data(), static_cast<std::size_t>(n));
      if (!status.ok) return Stored::kFailed;
      if (total == size && static_cast<std::size_t>(n) < buffer.size()) break;
    }
  }
  if (is_page && !read_error) {
    stored = StoredPage(page, tables);
    status = section.Write(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
  }
  if (!status.ok) return Stored::kFailed;
  return read_error ? Stored::kUnreadable : Stored::kYes;
}

// Compresses every file of the list; files found in pages join the list
// while it is walked.
Status StoreFiles(const HhpProject& project, FileList& list, BookSection& book, PageTables& tables,
                  const MessageSink& sink, CompileResult& result) {
  std::unordered_set<std::string> known;
  for (const BookFile& f : list.Files()) known.insert(qm::AsciiLowerBytes(f.name));
  MissingNames missing;
  std::vector<std::uint8_t> buffer(1 << 16);
  std::string page, stored;
  LzxSectionWriter& section = book.Section();
  for (std::size_t i = 0; i < list.Files().size(); ++i) {
    const BookFile f = list.Files()[i];
    sink(Severity::Progress, qm::ProgressLine(i, list.Files().size(), f.name));
    std::uint64_t start = section.uncompressed_size();
    bool is_page = IsWebPageName(f.name);
    page.clear();
    stored.clear();
    Status status;
    Stored outcome = CompressFile(f, is_page, start, list.RealRoot(), section, buffer, page, stored, tables, status);
    if (outcome == Stored::kFailed) return status;
    if (outcome != Stored::kYes) {
      list.Warn(outcome == Stored::kOutside
                    ? "\"" + Printable(f.name) +
                          "\" leads through a link out of the project's folder; it is not in the book"
                    : std::string(outcome == Stored::kNotOpened ? "cannot open " : "cannot read ") +
                          Printable(f.disk_path) + "; it is not in the book");
      list.LeaveOut(Printable(f.name));
      continue;
    }
    book.Layout().entries.push_back({"/" + f.name, 1, start, section.uncompressed_size() - start});
    ++result.files_stored;
    if (project.display_progress) sink(Severity::Info, f.name);
    if (!is_page) continue;
    AddReferencedFiles(list, f.name, page, known, missing);
    if (f.content) stored = *f.content;
    // A page without a title is named by its file name in search hits.
    std::string title = PageTitle(stored);
    if (title.empty()) title = qm::GbkFromUtf8(fs::path(f.name).stem().string());
    const std::uint32_t topic = tables.topics.Add(f.name, title, tables.strings);
    if (tables.index) tables.index->AddPage(topic, std::move(stored), std::move(title));
  }
  return Status::Ok();
}

// Internal names hold a copy of the file they stand for (a contents or
// index file, a page at the root): readers such as 7-Zip refuse two
// entries that share bytes.
Status StoreAliases(const ReaderNames& reader_names, FileList& list, BookSection& book, PageTables& tables) {
  for (const ReaderNames::Alias& alias : reader_names.aliases()) {
    for (const BookFile& f : list.Files()) {
      if (f.name != alias.stored) continue;
      std::string text;
      if (f.content) text = *f.content;
      else if (ReadBookFile(f.disk_path, list.RealRoot(), text) != BookRead::kOk) break;
      else if (IsWebPageName(f.name)) text = StoredPage(std::move(text), tables);
      if (Status s = book.Store("/" + alias.internal, Bytes(text.begin(), text.end())); !s.ok) return s;
      break;
    }
  }
  return Status::Ok();
}

// Compresses the bookkeeping files and every page into section 1.
// The names, in ASCII lower case, of the files in the book's root folder
// that begin with "$", as the internal names given to readers do.
std::set<std::string> RootNamesLikeInternalOnes(const std::string& root) {
  std::set<std::string> names;
  if (DIR* dir = ::opendir(root.c_str())) {
    while (const dirent* e = ::readdir(dir))
      if (e->d_name[0] == '$') names.insert(qm::AsciiLowerBytes(e->d_name));
    ::closedir(dir);
  }
  return names;
}

Status CompressBook(HhpProject& project, const SystemInfo& system, FileList& list, ReaderNames& reader_names,
                    BookSection& book, const MessageSink& sink, CompileResult& result) {
  PageTables tables(project, book.Section().pool());
  if (Status s = StoreWindows(project, system, list, reader_names, book, tables); !s.ok) return s;
  for (const ReaderNames::LeadOnPage& page : reader_names.lead_on_pages())
    if (Status s = book.Store("/" + page.internal, Bytes(page.content.begin(), page.content.end())); !s.ok) return s;
  if (Status s = StoreFiles(project, list, book, tables, sink, result); !s.ok) return s;
  if (Status s = StoreAliases(reader_names, list, book, tables); !s.ok) return s;
  if (Status s = StoreTables(project, tables, book); !s.ok) return s;
  result.pages_converted = tables.converted;
  return book.Section().Finish();
}

// The bytes before the compressed stream: headers, directory, #SYSTEM.
ContainerHead AssembleContainer(ContainerLayout layout, const LzxSectionWriter& section, const SystemInfo& system) {
  layout.uncompressed_files.push_back({"/#SYSTEM", BuildSystemFile(system)});
  layout.uncompressed_size = section.uncompressed_size();
  layout.compressed_size = section.compressed_size();
  layout.frame_offsets = section.frame_offsets();
  AddFolderEntries(layout.entries);
  return BuildContainerHead(std::move(layout));
}

// Draws the names of the temporary book beside `base`: `base` + ".tmp-" +
// six letters, which RemoveStaleTemporaryBooks recognises.
std::function<std::string()> TemporaryBookNames(const std::string& base) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  auto pick = std::make_shared<std::mt19937_64>(
      static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
      (static_cast<std::uint64_t>(::getpid()) << 32));
  return [base, pick] {
    std::string name = base + ".tmp-";
    for (int i = 0; i < 6; ++i) name += kLetters[(*pick)() % (sizeof kLetters - 1)];
    return name;
  };
}

// Writes head and the spooled stream beside `output`, then puts the file in
// place in one step. A read-only book stays as it is, as on Windows, where
// it cannot be replaced.
Status WriteAtomically(int dir, const std::string& name, const std::string& output, const Bytes& head,
                       SpoolFile& spool) {
  if (struct stat existing{}; ::fstatat(dir, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
                              S_ISREG(existing.st_mode) && (existing.st_mode & S_IWUSR) == 0)
    return Status::Fail("the compiled file " + Printable(output) + " is read-only and was not replaced");
  // The mode is 0644 less the process's umask, as for any file a program
  // creates; the book is on the disk before it takes its name.
  qm::PendingWrite out;
  if (!out.Create(dir, TemporaryBookNames(name), 100, 0644))
    return Status::Fail("cannot create the compiled file " + Printable(output));
  Status written = Status::Ok();
  if (!out.Write(std::string_view(reinterpret_cast<const char*>(head.data()), head.size())))
    written = Status::Fail("cannot write the compiled file " + Printable(output));
  if (written.ok) written = spool.CopyTo(out);
  if (written.ok && !out.Sync()) written = Status::Fail("cannot write " + Printable(output));
  if (!out.Close() && written.ok) written = Status::Fail("cannot write " + Printable(output));
  if (written.ok && !out.PlaceAs(name, qm::PendingWrite::Replace::kFile))
    written = Status::Fail("cannot put the compiled file in place at " + Printable(output));
  return written;  // a book not placed is removed with `out`
}

}  // namespace

CompileResult CompileProject(const std::string& project_path, const MessageSink& sink, const CompileOptions& options) {
  CompileResult result;
  auto fail = [&](const std::string& why) {
    result.status = Status::Fail(why);
    sink(Severity::Error, why);
    return result;
  };
  // The project's folder as it is when the compile begins: every file the
  // book takes, and the book itself, must lie inside it.
  const fs::path project_folder = fs::path(project_path).parent_path();
  const std::string real_root = RealPathOf(project_folder.empty() ? "." : project_folder.string());
  HhpProject project;
  if (Status s = LoadProject(project_path, project); !s.ok) return fail(s.message);
  for (const std::string& w : project.warnings) {
    ++result.warnings;
    sink(Severity::Warning, w);
  }
  fs::path project_fs(project_path);
  std::string root = project_fs.parent_path().empty() ? "." : project_fs.parent_path().string();
  std::string output;
  if (Status s = ResolveOutputPath(project, root, real_root, project_fs.stem().string(), output); !s.ok)
    return fail(s.message);
  result.output_path = output;
  std::string output_dir = fs::path(output).parent_path().string();
  if (output_dir.empty()) output_dir = ".";
  const std::string output_name = fs::path(output).filename().string();
  // The book's folder is held from here on: whatever its name comes to
  // lead to, the book is written into the folder checked now.
  qm::UniqueFd out_dir(::open(output_dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (out_dir.valid() && !OpenedInside(out_dir.get(), output_dir, real_root))
    return fail("the compiled file \"" + Shown(project.compiled_file) + "\" lies outside the project's folder");
  if (out_dir.valid()) {
    if (Status s = CheckOutputFile(out_dir.get(), output_name, output, project_path); !s.ok) return fail(s.message);
    RemoveStaleTemporaryBooks(out_dir.get(), output_name);
  }

  FileList list(root, real_root, output, sink, result.warnings);
  ReaderNames reader_names(RootNamesLikeInternalOnes(root));
  const SystemInfo system = GatherFiles(project, output, list, reader_names);

  if (!out_dir.valid())
    return fail("the folder \"" + Printable(output_dir) + "\" for the compiled file does not exist");
  SpoolFile spool(out_dir.get());
  if (!spool.Ok()) return fail("cannot create a temporary file in " + Printable(output_dir));
  // One pool for every job of the compile; compression shares it.
  qm::WorkPool pool(qm::ThreadCount(options.compression.threads));
  LzxSectionWriter section([&](const std::uint8_t* d, std::size_t n) { return spool.Write(d, n); }, options.compression,
                           &pool);
  ContainerLayout layout;
  layout.lcid = project.language;
  layout.timestamp = static_cast<std::uint32_t>(BookTime());
  BookSection book(section, layout);
  if (Status s = CompressBook(project, system, list, reader_names, book, sink, result); !s.ok) return fail(s.message);
  result.left_out = list.LeftOut();

  ContainerHead head = AssembleContainer(std::move(layout), section, system);
  if (!head.status.ok) return fail(head.status.message);
  if (Status s = WriteAtomically(out_dir.get(), output_name, output, head.bytes, spool); !s.ok) return fail(s.message);

  result.uncompressed_bytes = section.uncompressed_size();
  result.output_bytes = head.bytes.size() + section.compressed_size();
  sink(Severity::Info,
       "Compiled " + std::to_string(result.files_stored) + " files into " + Printable(output) + " (" +
           std::to_string(result.output_bytes) + " bytes, " + std::to_string(result.warnings) + " warnings)" +
           (result.pages_converted ? "; " + std::to_string(result.pages_converted) +
                                         " pages are stored converted to code page 936, as unpacking gives them"
                                   : std::string()));
  return result;
}

}  // namespace hha
