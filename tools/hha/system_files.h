// The bookkeeping files readers use to open a book: #SYSTEM, #WINDOWS and
// #STRINGS.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "byte_io.h"
#include "runtime/hhp_project.h"

namespace hha {

// The project as the main program reads it too.
using qm::HhpProject;
using qm::ParseProject;
using qm::ParseWindowDefinition;
using qm::WindowDefinition;

/// What #SYSTEM records, as readers get it: file names as ReaderNames gives
/// them (ASCII), texts (title, font, the compiled file's name) in the
/// book's code page.
struct SystemInfo {
  std::string contents_file;
  std::string index_file;
  std::string default_topic;
  std::string title;
  std::string default_window;
  std::string compiled_name;  // the compiled file's name without ".chm"
  std::string default_font;
  std::uint32_t lcid = 0x804;
  std::uint64_t filetime = 0;  // Windows FILETIME of the compile
  bool full_text_search = false;
};

/// True for the languages whose code pages use two-byte characters.
bool IsDbcsLanguage(std::uint32_t lcid);

Bytes BuildSystemFile(const SystemInfo& info);

/// #STRINGS: NUL-terminated texts; offset 0 is the empty text. A text
/// never straddles a 4 KB block, since some readers fetch it block by block.
class StringTable {
 public:
  StringTable() { bytes_.push_back(0); }
  /// The offset of `s`, added at the end (0 for the empty text).
  std::uint32_t Add(const std::string& s);
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

/// The kind of file a window definition names, for its reader name.
enum class WindowFileKind { Contents, Index, Page };

/// Builds #WINDOWS, its texts added to `strings`. File names of the
/// definitions (contents, index, default and home files) pass through
/// reader_name; captions and jump texts stay as written.
Bytes BuildWindowFiles(const std::vector<WindowDefinition>& windows,
                       const std::function<std::string(const std::string& gbk, WindowFileKind)>& reader_name,
                       StringTable& strings);

}  // namespace hha
