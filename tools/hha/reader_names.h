// The file names that #SYSTEM, #WINDOWS and #STRINGS give to the book's
// readers. Windows viewers decode these strings in the book's code page
// (936) and look the result up in the directory, which holds UTF-8 names;
// other viewers look the bytes up as they are. Only an ASCII string reads
// the same both ways, so a file whose stored name is not ASCII is named by
// an ASCII internal name in the book's root folder:
// - a file at the root, or any contents or index file, is stored a second
//   time under that name (contents and index files are small, and readers
//   such as 7-Zip refuse two entries that share bytes);
// - a page inside a folder gets a small page under that name that leads
//   on to it, since its own relative links would not resolve from the root.
// Unpacking leaves these names out: they begin with "$", as the format's
// own bookkeeping files do.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace hha {

class ReaderNames {
 public:
  struct Alias {
    std::string internal;  // "$Quillmere_contents.hhc"
    std::string stored;    // the file it stands for: "名字.hhc"
  };
  struct LeadOnPage {
    std::string internal;  // "$Quillmere_home.htm"
    std::string content;   // a page in code page 936 that opens `stored`
  };

  /// `in_root` holds the names, in ASCII lower case, of the files in the
  /// book's root folder: no internal name is given that one of them holds.
  explicit ReaderNames(std::set<std::string> in_root = {}) : in_root_(std::move(in_root)) {}

  /// The string to write for the stored file `stored` (UTF-8, "/"
  /// separators): `stored` itself when it is ASCII without "#", "?" or "%",
  /// otherwise an ASCII internal name made from `kind` ("contents", "index", "home"). The
  /// same stored name always gives the same internal name.
  std::string For(const std::string& stored, std::string_view kind);

  const std::vector<Alias>& aliases() const { return aliases_; }
  const std::vector<LeadOnPage>& lead_on_pages() const { return pages_; }

 private:
  std::map<std::string, std::string> given_;  // stored name -> internal name
  std::set<std::string> taken_;               // internal names given
  std::set<std::string> in_root_;             // the root folder's files, in lower case
  std::vector<Alias> aliases_;
  std::vector<LeadOnPage> pages_;
};

/// True when every byte of `s` is ASCII.
bool IsAscii(std::string_view s);

}  // namespace hha
