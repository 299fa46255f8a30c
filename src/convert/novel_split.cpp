// Splitting a novel streams through it once: the text is decoded a piece
// at a time, cut into lines, each line tested against the rule, and each
// line appended to the chapter text being written; a chapter is written
// as it goes, so a text of any size takes memory for a few pieces.
//
// The chapters are written into a hidden temporary folder beside the text,
// which takes the book's name only when every chapter is complete: a run cut
// off midway (killed, the power gone) leaves no folder under the book's name
// with some chapters missing or cut short, and the next split beside that
// text removes what such a run left.

#include "convert/novel_split.h"

#include <cstring>
#include <memory>

#include "core/book_page.h"
#include "core/text_decoding.h"
#include "runtime/encoding.h"
#include "runtime/path_kind.h"
#include "runtime/paths.h"
#include "runtime/temporary_files.h"

namespace qm {
namespace {

constexpr std::size_t kNameTitleBytes = 80;  // of the heading in a file name
// A line longer than this is no heading: it goes on as prose in parts of
// this size, so that a text without line ends takes no more memory.
constexpr std::size_t kLongestLine = 1 << 20;

// One output text, written as it grows: created exclusively with its first
// megabyte, then appended to.
class ChapterFile {
 public:
  ChapterFile(FileSystem& fs, Text path) : fs_(fs), path_(std::move(path)) {}
  bool Add(std::string_view data) {
    buffer_ += data;
    return buffer_.size() < kFlushSize || Flush();
  }
  bool Close() { return Flush(); }

 private:
  static constexpr std::size_t kFlushSize = 1 << 20;
  bool Flush() {
    if (!ok_) return false;
    ok_ = created_ ? fs_.Append(path_, buffer_) : fs_.CreateNew(path_, buffer_);
    created_ = true;
    buffer_.clear();
    return ok_;
  }
  FileSystem& fs_;
  Text path_;
  std::string buffer_;
  bool created_ = false, ok_ = true;
};

// A heading made fit for a file name: characters that NTFS refuses become
// their full-width forms, control characters and bytes that are no GBK
// character become "_", a dot at the end "．", and a long heading is cut.
Text NamePart(std::string_view heading) {
  static const char kRefused[] = "\\/:*?\"<>|";
  static const Text kFullWidth = Gbk("＼／：＊？＂＜＞｜");
  Text out;
  for (std::size_t i = 0; i < heading.size() && out.size() < kNameTitleBytes;) {
    auto b = static_cast<unsigned char>(heading[i]);
    if (b < 0x80) {
      const char* refused = b ? std::strchr(kRefused, b) : nullptr;
      if (refused) out += kFullWidth.substr(2 * static_cast<std::size_t>(refused - kRefused), 2);
      else out += b < 0x20 || b == 0x7F ? '_' : static_cast<char>(b);
      ++i;
      continue;
    }
    auto t = i + 1 < heading.size() ? static_cast<unsigned char>(heading[i + 1]) : 0;
    if (b >= 0x81 && b <= 0xFE && t >= 0x40 && t <= 0xFE && t != 0x7F) {
      out.append(heading.substr(i, 2));
      i += 2;
    } else {
      out += '_';
      ++i;
    }
  }
  while (!out.empty() && out.back() == ' ') out.pop_back();
  if (!out.empty() && out.back() == '.') out.replace(out.size() - 1, 1, Gbk("．"));
  return out;
}

Text NumberPrefix(std::size_t n, std::size_t width) {
  Text digits = ToText(static_cast<long long>(n));
  if (digits.size() < width) digits.insert(0, width - digits.size(), '0');
  return digits;
}

bool IsBlankLine(std::string_view line) {
  for (std::size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
    if (c == '\xA1' && i + 1 < line.size() && line[i + 1] == '\xA1') {
      ++i;
      continue;
    }
    return false;
  }
  return true;
}

// Follows the numbers of the chapter (or volume) headings and notes where
// one is not the one after the last.
class NumberWatch {
 public:
  void See(const HeadingInfo& h, std::vector<Text>* notes) {
    if (!h.numbered) return;
    long long& last = h.volume ? last_volume_ : last_chapter_;
    if (last > 0) {
      Text what = Gbk("第") + ToText(last) + h.unit + Gbk("之后是第") + ToText(h.number) + h.unit;
      if (h.number > last + 1) {
        notes->push_back(what + Gbk("：缺 ") + ToText(h.number - last - 1) + Gbk(" 个序号"));
      } else if (h.number == 1 && last > 1) {
        notes->push_back(what + Gbk("：序号重新开始"));
      } else if (h.number <= last) {
        notes->push_back(what + Gbk("：序号重复或倒退"));
      }
    }
    last = h.number;
  }

 private:
  long long last_chapter_ = 0, last_volume_ = 0;
};

// The book's name: the text file's name without its extension.
Text BookOf(const Text& path) {
  Text name = NameOf(path);
  std::size_t dot = name.rfind('.');
  if (dot != Text::npos && dot > 0) name.resize(dot);
  return name;
}

// Gives the finished temporary folder `temp` the first free name of
// `book`, `book(2)`, ... beside `path`; a rename never replaces anything.
bool NameBookFolder(FileSystem& fs, const Text& path, const Text& temp, Text* folder) {
  const Text parent = FolderOf(path);
  const Text book = BookOf(path);
  for (int k = 1; k <= 1000; ++k) {
    Text name = k == 1 ? book : book + "(" + ToText(k) + ")";
    Text candidate = parent.empty() ? name : JoinPath(parent, name);
    if (NameTaken(fs, candidate)) continue;
    if (fs.Rename(temp, candidate)) {
      *folder = candidate;
      return true;
    }
    if (!NameTaken(fs, candidate)) return false;  // not taken, yet not named
  }
  return false;
}

// Removes the temporary folder `folder` of a split with what it holds
// (plain files only: a folder in it means it is not ours, and it stays).
void RemoveSplitFolder(FileSystem& fs, const Text& folder) {
  for (const DirectoryEntry& e : fs.List(folder)) {
    if (e.name == "." || e.name == "..") continue;
    fs.Delete(JoinPath(folder, e.name));
  }
  fs.RemoveDirectory(folder);
}

// Removes beside `path` the temporary folders of splits that were cut off.
void RemoveStaleSplitFolders(FileSystem& fs, const Text& path) {
  const Text parent = FolderOf(path);
  for (const DirectoryEntry& e : fs.List(parent.empty() ? Text(".") : parent)) {
    if ((e.attributes & kDirectory) == 0 || !IsStaleTemporaryName(e.name)) continue;
    const Text folder = parent.empty() ? e.name : JoinPath(parent, e.name);
    if (!fs.IsLink(folder)) RemoveSplitFolder(fs, folder);
  }
}

// The splitting of one text, line by line.
class Splitter {
 public:
  Splitter(FileSystem& fs, ChapterRule& rule, Text book, std::size_t digits, NovelSplit& out)
      : fs_(fs), rule_(rule), book_(std::move(book)), digits_(digits), out_(out) {}

  // Takes the next decoded piece; a line cut by its end waits for the next.
  bool Add(std::string_view piece) {
    std::size_t from = 0;
    for (std::size_t nl; ok_ && (nl = piece.find('\n', from)) != std::string_view::npos; from = nl + 1) {
      if (carry_.empty()) {
        Line(piece.substr(from, nl + 1 - from));
      } else {
        carry_.append(piece.substr(from, nl + 1 - from));
        Line(carry_);
        carry_.clear();
      }
    }
    if (ok_) carry_.append(piece.substr(from));
    if (ok_ && carry_.size() > kLongestLine) {
      Line(carry_, /*may_be_heading=*/false);
      carry_.clear();
    }
    return ok_;
  }

  bool Finish() {
    if (ok_ && !carry_.empty()) Line(carry_);
    carry_.clear();
    if (ok_ && !file_) {  // only blank lines, or nothing at all
      Open(book_, false);
      if (ok_) ok_ = file_->Add(lead_);
    }
    if (ok_) ok_ = file_->Close();
    file_.reset();
    if (ok_ && !headings_) {
      // No heading at all: the one text is the whole book, named after it.
      out_.no_heading = true;
      Text whole = NumberPrefix(0, digits_) + " " + NamePart(book_) + ".txt";
      if (out_.names.front() != whole) {
        ok_ = fs_.Rename(JoinPath(out_.folder, out_.names.front()), JoinPath(out_.folder, whole));
        if (ok_) out_.names.front() = whole;
      }
    }
    return ok_;
  }

  bool Ok() const { return ok_; }

 private:
  void Line(std::string_view line, bool may_be_heading = true) {
    std::string_view content = line;
    if (content.ends_with('\n')) content.remove_suffix(1);
    if (content.ends_with('\r')) content.remove_suffix(1);
    if (may_be_heading && rule_.Matches(content)) {
      ++headings_;
      HeadingInfo heading = ReadHeading(content);
      watch_.See(heading, &out_.notes);
      Open(heading.title.empty() ? Gbk("无题") : heading.title, true);
      if (ok_ && !lead_.empty()) {  // blank lines before the first heading
        ok_ = file_->Add(lead_);
        lead_.clear();
      }
    } else if (!file_) {
      if (lead_.size() < (1 << 20) && IsBlankLine(line)) {
        lead_.append(line);
        return;
      }
      Open(Gbk("前言"), false);
      if (ok_) ok_ = file_->Add(lead_);
      lead_.clear();
    }
    if (ok_) ok_ = file_->Add(line);
  }

  // Starts the next output text; the text before the first heading takes
  // number 0, chapters count from 1.
  void Open(const Text& title, bool chapter) {
    if (file_ && !file_->Close()) ok_ = false;
    file_.reset();
    if (!ok_) return;
    if (chapter && next_ == 0) next_ = 1;
    Text name = NumberPrefix(next_++, digits_) + " " + NamePart(title) + ".txt";
    out_.names.push_back(name);
    file_ = std::make_unique<ChapterFile>(fs_, JoinPath(out_.folder, name));
  }

  FileSystem& fs_;
  ChapterRule& rule_;
  const Text book_;
  const std::size_t digits_;
  NovelSplit& out_;
  long headings_ = 0;
  std::unique_ptr<ChapterFile> file_;
  std::string carry_, lead_;
  std::size_t next_ = 0;
  NumberWatch watch_;
  bool ok_ = true;
};

// Every number keeps a leading zero, which tells a chapter text's name from
// a name that merely begins with a number (ChapterTextHeading): when the
// largest number has no room for it, every name gets one digit more than
// that number has, so that all names have the same width and listings keep
// the order.
bool WidenNumbers(FileSystem& fs, NovelSplit& out) {
  if (out.names.empty() || out.names.back()[0] == '0') return true;
  const std::size_t width = out.names.back().find(' ') + 1;  // the last number is the largest
  for (Text& name : out.names) {
    std::size_t space = name.find(' ');
    if (space >= width) continue;
    Text wider = Text(width - space, '0') + name;
    if (!fs.Rename(JoinPath(out.folder, name), JoinPath(out.folder, wider))) return false;
    name = wider;
  }
  return true;
}

}  // namespace

NovelSplit SplitNovel(FileSystem& fs, const Text& path, ChapterRule& rule, std::size_t piece_size,
                      std::size_t least_digits) {
  NovelSplit out;
  std::string piece, decoded;
  if (!fs.ReadPart(path, 0, piece_size, &piece)) {
    out.failure = WithReason(Gbk("无法读取"), fs.LastError());
    return out;
  }
  // The encoding is known from the first piece unless the text may be
  // UTF-8, which takes a look at all of it.
  TextEncodingDetector detector;
  std::uint64_t offset = piece.size();
  for (bool more = detector.Add(piece); more && piece.size() == piece_size; more = detector.Add(piece)) {
    if (!fs.ReadPart(path, offset, piece_size, &piece)) {
      out.failure = WithReason(Gbk("无法读取"), fs.LastError());
      return out;
    }
    if (piece.empty()) break;
    offset += piece.size();
  }
  TextDecoder decoder(detector.Finish());
  RemoveStaleSplitFolders(fs, path);
  const Text parent = FolderOf(path);
  const Text temp_name = TemporaryName(BookOf(path));
  const Text temp = parent.empty() ? temp_name : JoinPath(parent, temp_name);
  if (!fs.CreateDirectory(temp)) {
    out.failure = WithReason(Gbk("无法在它旁边建立新文件夹"), fs.LastError());
    return out;
  }
  out.folder = temp;
  Splitter splitter(fs, rule, BookOf(path), least_digits, out);
  offset = 0;
  for (;;) {
    if (!fs.ReadPart(path, offset, piece_size, &piece)) {
      out.failure = WithReason(Gbk("读取中断，分出的文本不完整，没有留下"), fs.LastError());
      break;
    }
    if (piece.empty()) break;
    offset += piece.size();
    if (!splitter.Add(decoder.Add(piece, &decoded))) break;
    if (piece.size() < piece_size) break;
  }
  if (out.failure.empty()) {
    if (splitter.Ok()) splitter.Add(decoder.Finish(&decoded));
    if (!splitter.Finish() || !WidenNumbers(fs, out))
      out.failure = WithReason(Gbk("无法写入新文件夹，分出的文本不完整，没有留下"), fs.LastError());
  }
  if (out.failure.empty() && !NameBookFolder(fs, path, temp, &out.folder)) {
    out.failure = WithReason(Gbk("无法给新文件夹取名，分出的文本没有留下"), fs.LastError());
  }
  if (!out.failure.empty()) {
    RemoveSplitFolder(fs, temp);
    out.folder.clear();
  }
  return out;
}

}  // namespace qm
